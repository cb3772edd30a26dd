#include "Unit2.h"

#include "auto_select.h"
#include "random.h"
#include "spin_edit.h"
#include "text.h"

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

namespace besedka {
namespace {

constexpr QSize kClientSize(305, 105);
constexpr int kFocusPeriod = 2000;

// Fields have the background of highlighted text, as on the form.
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

TForm2::TForm2(Random& random, Clock& clock, QWidget* parent)
    : ToolDialog(QStringLiteral("Редактор"), kClientSize, parent), random_(random), clock_(clock) {
    createControls();
    connectControls();
}

void TForm2::createControls() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(0, 1, 305, 104);

    GroupBox1 = new QGroupBox(QStringLiteral("Путь файла:"), this);
    GroupBox1->setGeometry(8, 8, 185, 57);
    Edit1 = new AutoSelectEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 24, 169, 21);
    Edit1->setText(QString::fromLatin1(kDefaultPath));
    Edit1->setAccessibleName(GroupBox1->title());
    setFieldBackground(Edit1);

    GroupBox2 = new QGroupBox(QStringLiteral("Интервал (сек.):"), this);
    GroupBox2->setGeometry(200, 8, 97, 57);
    SpinEdit1 = new SpinEdit(kMinInterval, kMaxInterval, GroupBox2);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(8, 24, 81, 22);
    SpinEdit1->setValue(kDefaultInterval);
    SpinEdit1->setAccessibleName(GroupBox2->title());
    setFieldBackground(SpinEdit1);

    Button1 = pushButton(this, QStringLiteral("Хорошо"), QRect(72, 72, 75, 25));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = pushButton(this, QStringLiteral("Отмена"), QRect(157, 72, 75, 25));
    Button2->setObjectName(QStringLiteral("Button2"));

    setTabOrder(Edit1, SpinEdit1);
    setTabOrder(SpinEdit1, Button1);
    setTabOrder(Button1, Button2);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kFocusPeriod);
}

void TForm2::connectControls() {
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(SpinEdit1, &SpinEdit::textChanged, this, [this] { SpinEdit1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm2::openEditor() {
    emit opened();
    showAndActivate();
    Timer1->start();
}

void TForm2::closeEditor() {
    Timer1->stop();
    hide();
    emit closed();
}

void TForm2::closeFromFrame() {
    closeEditor();
}

void TForm2::restoreDefaults() {
    restoringDefaults_ = true;
    Edit1->setText(QString::fromLatin1(kDefaultPath));
    SpinEdit1->setValue(kDefaultInterval);
    restoringDefaults_ = false;
}

std::string TForm2::path() const {
    return fromQString(Edit1->text());
}

int TForm2::interval() const {
    return SpinEdit1->value();
}

// Handlers

void TForm2::Button1Click() {
    closeEditor();
}

void TForm2::Button2Click() {
    // "Отмена" keeps what was typed: the fields are in force as they change.
    closeEditor();
}

void TForm2::Timer1Timer() {
    const int r = random_.range(1, 6, &clock_);
    QWidget* field = r % 2 == 1 ? static_cast<QWidget*>(Edit1) : SpinEdit1;
    field->setFocus(Qt::OtherFocusReason);
}

void TForm2::Edit1Change() {
    if (!restoringDefaults_) {
        emit defaultsMarkCleared();
    }
}

void TForm2::SpinEdit1Change() {
    if (!restoringDefaults_) {
        emit defaultsMarkCleared();
    }
}

} // namespace besedka
