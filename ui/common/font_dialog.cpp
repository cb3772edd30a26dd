#include "common/font_dialog.h"

#include "common/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>

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

// The dialog has no option to limit its sizes either: its size list (which it
// fills anew for every face and style) keeps only 8, and its size field, the
// one with a number validator, takes no typing.
void offerOnly8(QFontDialog& dialog) {
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<const QIntValidator*>(edit->validator()) != nullptr) {
            edit->setReadOnly(true);
        }
    }
    const QStringList only8{QString::number(kFixedSize)};
    for (QListView* list : dialog.findChildren<QListView*>()) {
        auto* sizes = qobject_cast<QStringListModel*>(list->model());
        bool isNumber = false;
        if (sizes == nullptr || sizes->stringList().isEmpty() ||
            (sizes->stringList().first().toInt(&isNumber), !isNumber)) {
            continue;
        }
        const auto keepOnly8 = [sizes, only8] {
            if (sizes->stringList() != only8) {
                sizes->setStringList(only8);
            }
        };
        QObject::connect(sizes, &QStringListModel::modelReset, &dialog, keepOnly8);
        keepOnly8();
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
    offerOnly8(dialog);
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
