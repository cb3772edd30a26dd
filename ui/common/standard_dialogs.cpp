#include "common/standard_dialogs.h"

#include "common/colours.h"
#include "common/font_dialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace besedka {

void StandardDialogs::showError(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QApplication::applicationName(), message);
}

std::optional<Colour> StandardDialogs::chooseColour(QWidget* parent, Colour initial,
                                                    const QString& title) {
    const QColor chosen = QColorDialog::getColor(toQColor(initial), parent, title);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return fromQColor(chosen);
}

std::optional<FontSpec> StandardDialogs::chooseFont(QWidget* parent, const FontSpec& initial,
                                                    bool sizeFixedAt8) {
    QFontDialog dialog(toQFont(initial), parent);
    setUpFontDialog(dialog, sizeFixedAt8);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return chosenFont(dialog, sizeFixedAt8);
}

} // namespace besedka
