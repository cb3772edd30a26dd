#include "Unit3.h"

#include "about_picture.h"
#include "colors.h"
#include "dialogs.h"
#include "file_error.h"
#include "file_store.h"
#include "plain_text.h"
#include "text.h"
#include "widget_colours.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>

#include <algorithm>

namespace besedka {
namespace {

constexpr int kClientWidth = 377;
constexpr int kNonClientHeight = 27;
constexpr Color kVersionColour = 0x00FFFF; // yellow
constexpr const char* kHistoryFile = "ReadMe.Txt";

QFrame* framedPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

QFont versionFont() {
    QFont font(QStringLiteral("Arial Black"), 14);
    font.setBold(true);
    return font;
}

// The file's lines, whatever their line ends.
QString historyText(const std::string& bytes) {
    QStringList lines;
    for (const std::string& line : splitPlainLines(bytes)) {
        lines.append(toQString(line));
    }
    return lines.join(u'\n');
}

} // namespace

TForm3::TForm3(const FileStore& files, Dialogs& dialogs, QWidget* parent)
    : ToolDialog(QStringLiteral("О программе"), QSize(kClientWidth, 152), parent), files_(files),
      dialogs_(dialogs) {
    setColour(this, QPalette::Window, toQColor(kBlack));
    createUpperPanel();
    createHistoryPanel();
}

void TForm3::createUpperPanel() {
    TabControl1 = framedPanel(this, QRect(0, 0, 377, 153));
    TabControl1->setObjectName(QStringLiteral("TabControl1"));

    Bevel1 = new QFrame(TabControl1);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(3, 5, 371, 145);

    // The blanks push the text to the right of the picture.
    const QString version = QString(26, u' ') + QStringLiteral("ВЕРСИЯ: 1.9.2.6");
    SpeedButton1 = new QToolButton(TabControl1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(version);
    SpeedButton1->setAccessibleName(version.trimmed());
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setGeometry(4, 6, 369, 142);
    SpeedButton1->setFont(versionFont());
    setColour(SpeedButton1, QPalette::ButtonText, toQColor(kVersionColour));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });

    // The picture and the history button lie over the version button; a
    // click on the picture goes to neither.
    QRImage1 = new QLabel(TabControl1);
    QRImage1->setObjectName(QStringLiteral("QRImage1"));
    QRImage1->setGeometry(7, 8, 178, 137);
    QRImage1->setScaledContents(true);
    QRImage1->setPixmap(QPixmap::fromImage(aboutPicture()));
    QRImage1->setAccessibleName(QStringLiteral("Рисунок"));

    Button1 = new QPushButton(QStringLiteral("История"), TabControl1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(Button1->text());
    Button1->setGeometry(190, 120, 179, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm3::createHistoryPanel() {
    TabControl2 = framedPanel(this, QRect(1, 151, 376, 148));
    TabControl2->setObjectName(QStringLiteral("TabControl2"));
    TabControl2->lower(); // the upper panel overlaps it by two rows

    Memo1 = new QPlainTextEdit(TabControl2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(3, 4, 370, 140);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(QFont(QStringLiteral("Courier New"), 8));
    setColour(Memo1, QPalette::Base, toQColor(kSilver));
    setColour(Memo1, QPalette::Text, palette().color(QPalette::WindowText));
    Memo1->setAccessibleName(QStringLiteral("История"));
}

void TForm3::openAbout() {
    emit opened();
    setOuterHeight(kFoldedHeight);
    showAndActivate();
}

void TForm3::closeAbout() {
    hide();
    emit closed();
}

void TForm3::closeFromFrame() {
    closeAbout();
}

int TForm3::outerHeight() const {
    return height() + kNonClientHeight;
}

void TForm3::setOuterHeight(int height) {
    setClientSize(QSize(kClientWidth, std::max(0, height - kNonClientHeight)));
}

bool TForm3::loadHistory() {
    try {
        Memo1->setPlainText(historyText(files_.read(kHistoryFile)));
        return true;
    } catch (const FileError& error) {
        dialogs_.showError(this, toQString(error.what()));
        return false;
    }
}

// Handlers

void TForm3::SpeedButton1Click() {
    closeAbout();
}

void TForm3::Button1Click() {
    // The file is read again at every press, folding included.
    if (!loadHistory()) {
        return;
    }
    int height = outerHeight() + 1;
    if (height == kFoldedHeight + 1) {
        height = kUnfoldedHeight;
    } else if (height == kUnfoldedHeight + 1) {
        height = kFoldedHeight;
    }
    setOuterHeight(height);
}

} // namespace besedka
