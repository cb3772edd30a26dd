#include "font_dialog.h"

#include "text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>

#include <cmath>

namespace besedka {
namespace {

constexpr int kFixedSize = 8;

// Qt's dialog has no option to leave out its effects (strike-out, underline)
// and its writing-system filter: hide the widgets that hold them. The effects
// keep their room, which gives the sample beside them its height.
void hideExtras(QFontDialog& dialog) {
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
        QWidget* effects = effect->parentWidget();
        QSizePolicy policy = effects->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        effects->setSizePolicy(policy);
        effects->hide();
    }
    for (QComboBox* writingSystem : dialog.findChildren<QComboBox*>()) {
        writingSystem->hide();
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->buddy() == writingSystem) {
                label->hide();
            }
        }
    }
}

} // namespace

QFont toQFont(const FontSpec& wanted) {
    QFont font(toQString(wanted.face), wanted.size);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    return font;
}

FontSpec toFontSpec(const QFont& font) {
    FontSpec chosen;
    chosen.face = fromQString(font.family());
    const double points = font.pointSizeF();
    chosen.size = points > 0 ? static_cast<int>(std::lround(points)) : kFixedSize;
    chosen.bold = font.bold();
    chosen.italic = font.italic();
    return chosen;
}

void setUpFontDialog(QFontDialog& dialog, bool sizeFixedAt8) {
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    hideExtras(dialog);
    if (!sizeFixedAt8) {
        return;
    }
    // Queued: the dialog finishes its own update before the size is put back.
    QObject::connect(
        &dialog, &QFontDialog::currentFontChanged, &dialog,
        [&dialog](const QFont& font) {
            if (font.pointSize() != kFixedSize) {
                QFont fixed = font;
                fixed.setPointSize(kFixedSize);
                dialog.setCurrentFont(fixed);
            }
        },
        Qt::QueuedConnection);
}

FontSpec chosenFont(const QFontDialog& dialog, bool sizeFixedAt8) {
    FontSpec chosen = toFontSpec(dialog.currentFont());
    if (sizeFixedAt8) {
        chosen.size = kFixedSize;
    }
    return chosen;
}

} // namespace besedka
