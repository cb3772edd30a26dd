#include "chat/about_box.h"

#include "chat/about_picture.h"
#include "common/colours.h"
#include "common/dialogs.h"
#include "common/qt_text.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "text/plain_text.h"

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
constexpr Colour kVersionColour = 0x00FFFF; // yellow

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

AboutBox::AboutBox(const FileStore& files, Dialogs& dialogs, QWidget* parent)
    : ToolDialog(QStringLiteral("О программе"), QSize(kClientWidth, 152), parent), files_(files),
      dialogs_(dialogs) {
    setColour(this, QPalette::Window, toQColor(kBlack));
    createUpperPanel();
    createHistoryPanel();
}

void AboutBox::createUpperPanel() {
    upperPanel_ = framedPanel(this, QRect(0, 0, 377, 153));
    upperPanel_->setObjectName(QStringLiteral("upperPanel"));

    bevel_ = new QFrame(upperPanel_);
    bevel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel_->setGeometry(3, 5, 371, 145);

    // The blanks push the text to the right of the picture.
    const QString version = QString(26, u' ') + QStringLiteral("ВЕРСИЯ: 1.9.2.6");
    versionButton_ = new QToolButton(upperPanel_);
    versionButton_->setObjectName(QStringLiteral("versionButton"));
    versionButton_->setText(version);
    versionButton_->setAccessibleName(version.trimmed());
    versionButton_->setAutoRaise(true);
    versionButton_->setFocusPolicy(Qt::NoFocus);
    versionButton_->setGeometry(4, 6, 369, 142);
    versionButton_->setFont(versionFont());
    setColour(versionButton_, QPalette::ButtonText, toQColor(kVersionColour));
    connect(versionButton_, &QToolButton::clicked, this, [this] { closeAbout(); });

    // The picture and the history button lie over the version button; a
    // click on the picture goes to neither.
    picture_ = new QLabel(upperPanel_);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setGeometry(7, 8, 178, 137);
    picture_->setScaledContents(true);
    picture_->setPixmap(QPixmap::fromImage(aboutPicture()));
    picture_->setAccessibleName(QStringLiteral("Рисунок"));

    historyButton_ = new QPushButton(QStringLiteral("История"), upperPanel_);
    historyButton_->setObjectName(QStringLiteral("historyButton"));
    historyButton_->setAccessibleName(historyButton_->text());
    historyButton_->setGeometry(190, 120, 179, 25);
    connect(historyButton_, &QPushButton::clicked, this, [this] { toggleHistory(); });
}

void AboutBox::createHistoryPanel() {
    historyPanel_ = framedPanel(this, QRect(1, 151, 376, 148));
    historyPanel_->setObjectName(QStringLiteral("historyPanel"));
    historyPanel_->lower(); // the upper panel overlaps it by two rows

    history_ = new QPlainTextEdit(historyPanel_);
    history_->setObjectName(QStringLiteral("history"));
    history_->setGeometry(3, 4, 370, 140);
    history_->setReadOnly(true);
    history_->setLineWrapMode(QPlainTextEdit::NoWrap);
    history_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    history_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    history_->setFont(QFont(QStringLiteral("Courier New"), 8));
    setColour(history_, QPalette::Base, toQColor(kSilver));
    setColour(history_, QPalette::Text, palette().color(QPalette::WindowText));
    history_->setAccessibleName(QStringLiteral("История"));
}

void AboutBox::openAbout() {
    emit opened();
    setOuterHeight(kFoldedHeight);
    showAndActivate();
}

void AboutBox::closeAbout() {
    hide();
    emit closed();
}

void AboutBox::closeFromFrame() {
    closeAbout();
}

int AboutBox::outerHeight() const {
    return height() + kNonClientHeight;
}

void AboutBox::setOuterHeight(int height) {
    setClientSize(QSize(kClientWidth, std::max(0, height - kNonClientHeight)));
}

bool AboutBox::loadHistory() {
    try {
        history_->setPlainText(historyText(files_.read(paths::kReadMe)));
        return true;
    } catch (const FileError& error) {
        dialogs_.showError(this, QString::fromUtf8(error.what()));
        return false;
    }
}

// Handlers

void AboutBox::toggleHistory() {
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
