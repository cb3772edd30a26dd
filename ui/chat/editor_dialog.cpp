#include "chat/editor_dialog.h"

#include "chat/auto_select.h"
#include "chat/spin_edit.h"
#include "common/qt_text.h"
#include "talk/random.h"

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

namespace besedka {
namespace {

constexpr QSize kClientSize(305, 105);
constexpr int kFocusPeriod = 2000;

// Fields have the background of highlighted text, as in the design.
void setFieldBackground(QWidget* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::HighlightedText));
    field->setPalette(palette);
}

QPushButton* pushButton(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setAccessibleName(caption);
    // Neither button is bound to Enter.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

EditorDialog::EditorDialog(Random& random, Clock& clock, QWidget* parent)
    : ToolDialog(QStringLiteral("Редактор"), kClientSize, parent), random_(random), clock_(clock) {
    createControls();
    connectControls();
}

void EditorDialog::createControls() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);

    bevel_ = new QFrame(this);
    bevel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel_->setGeometry(0, 1, 305, 104);

    pathGroup_ = new QGroupBox(QStringLiteral("Путь файла:"), this);
    pathGroup_->setObjectName(QStringLiteral("pathGroup"));
    pathGroup_->setGeometry(8, 8, 185, 57);
    pathField_ = new AutoSelectEdit(pathGroup_);
    pathField_->setObjectName(QStringLiteral("pathField"));
    pathField_->setGeometry(8, 24, 169, 21);
    pathField_->setText(QString::fromLatin1(kDefaultPath));
    pathField_->setAccessibleName(pathGroup_->title());
    setFieldBackground(pathField_);

    intervalGroup_ = new QGroupBox(QStringLiteral("Интервал (сек.):"), this);
    intervalGroup_->setObjectName(QStringLiteral("intervalGroup"));
    intervalGroup_->setGeometry(200, 8, 97, 57);
    intervalField_ = new SpinEdit(kMinInterval, kMaxInterval, intervalGroup_);
    intervalField_->setObjectName(QStringLiteral("intervalField"));
    intervalField_->setGeometry(8, 24, 81, 22);
    intervalField_->setValue(kDefaultInterval);
    intervalField_->setAccessibleName(intervalGroup_->title());
    setFieldBackground(intervalField_);

    okButton_ = pushButton(this, QStringLiteral("Хорошо"), QRect(72, 72, 75, 25));
    okButton_->setObjectName(QStringLiteral("okButton"));
    cancelButton_ = pushButton(this, QStringLiteral("Отмена"), QRect(157, 72, 75, 25));
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    setTabOrder(pathField_, intervalField_);
    setTabOrder(intervalField_, okButton_);
    setTabOrder(okButton_, cancelButton_);

    focusTimer_ = new QTimer(this);
    focusTimer_->setObjectName(QStringLiteral("focusTimer"));
    focusTimer_->setInterval(kFocusPeriod);
}

void EditorDialog::connectControls() {
    connect(pathField_, &QLineEdit::textChanged, this, [this] {
        emit pathChanged();
        fieldEdited();
    });
    connect(intervalField_, &SpinEdit::textChanged, this, [this] { fieldEdited(); });
    connect(okButton_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });
    connect(focusTimer_, &QTimer::timeout, this, [this] { moveFocus(); });
}

void EditorDialog::openEditor() {
    emit opened();
    showAndActivate();
    focusTimer_->start();
}

void EditorDialog::closeEditor() {
    focusTimer_->stop();
    hide();
    emit closed();
}

void EditorDialog::closeFromFrame() {
    closeEditor();
}

void EditorDialog::restoreDefaults() {
    restoringDefaults_ = true;
    pathField_->setText(QString::fromLatin1(kDefaultPath));
    intervalField_->setValue(kDefaultInterval);
    restoringDefaults_ = false;
}

std::string EditorDialog::path() const {
    return fromQString(pathField_->text());
}

int EditorDialog::interval() const {
    return intervalField_->value();
}

// Handlers

void EditorDialog::confirm() {
    closeEditor();
}

void EditorDialog::cancel() {
    // "Отмена" keeps what was typed: the fields are in force as they change.
    // Intended; held by EditorDialogTest::cancelKeepsWhatWasTyped.
    closeEditor();
}

void EditorDialog::moveFocus() {
    const int r = random_.range(1, 6, &clock_);
    QWidget* field = r % 2 == 1 ? static_cast<QWidget*>(pathField_) : intervalField_;
    field->setFocus(Qt::OtherFocusReason);
}

void EditorDialog::fieldEdited() {
    if (!restoringDefaults_) {
        emit defaultsMarkCleared();
    }
}

} // namespace besedka
