// The knowledge window's parts: menus, the outline with its search field,
// the answers beside it and the figures in the status bar.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/outline_model.h"
#include "knowledge/outline_view.h"

#include <QAction>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace besedka {
namespace {

// How long typing may pause before the search runs.
constexpr int kFilterDelayMs = 120;
// How long a burst of file events may last before the view reads the files.
constexpr int kFollowDelayMs = 250;

QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

// A shortcut that works only while `widget` (or a part of it) has the focus,
// so that the same key can mean something else elsewhere.
void bindTo(QAction* action, QWidget* widget) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    widget->addAction(action);
}

QLabel* addFigure(QStatusBar* bar, const char* name) {
    auto* label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    bar->addWidget(label);
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(QLatin1String(name));
    pushButton->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return pushButton;
}

} // namespace

KnowledgeWindow::KnowledgeWindow(const PathMap& paths, KnowledgeDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), paths_(paths), dialogs_(dialogs), model_(new OutlineModel(this)),
      filterTimer_(new QTimer(this)), followTimer_(new QTimer(this)),
      watcher_(new QFileSystemWatcher(this)) {
    setObjectName(QStringLiteral("knowledgeWindow"));
    setWindowTitle(QStringLiteral("База знаний — ") +
                   QString::fromStdString(paths_.workdir().string()));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(buildOutlinePanel());
    splitter->addWidget(buildAnswerPanel());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter, 1);
    layout->addWidget(buildCheckPanel());
    setCentralWidget(central);
    buildMenus();
    buildKeys();
    buildStatusBar();
    fitToScreen();

    filterTimer_->setSingleShot(true);
    filterTimer_->setInterval(kFilterDelayMs);
    connect(filterTimer_, &QTimer::timeout, this, &KnowledgeWindow::applyFilter);
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(kFollowDelayMs);
    connect(followTimer_, &QTimer::timeout, this, &KnowledgeWindow::followChange);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, followTimer_,
            qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::fileChanged, followTimer_, qOverload<>(&QTimer::start));
    reload();
    outlineView_->setFocus();
}

KnowledgeWindow::~KnowledgeWindow() = default;

QWidget* KnowledgeWindow::buildOutlinePanel() {
    auto* panel = new QWidget(this);
    auto* searchLabel = new QLabel(QStringLiteral("&Найти:"), panel);
    searchField_ = new QLineEdit(panel);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->setAccessibleName(QStringLiteral("Найти"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setToolTip(QStringLiteral("Фразы и ответы, в которых есть этот текст"));
    searchLabel->setBuddy(searchField_);
    matchCount_ = new QLabel(panel);
    matchCount_->setObjectName(QStringLiteral("matchCount"));
    connect(searchField_, &QLineEdit::textChanged, filterTimer_, qOverload<>(&QTimer::start));
    // Escape empties the search, and once it is empty goes back to the outline.
    auto* clearSearch = new QShortcut(QKeySequence(Qt::Key_Escape), searchField_);
    clearSearch->setContext(Qt::WidgetShortcut);
    connect(clearSearch, &QShortcut::activated, this, [this] {
        if (searchField_->text().isEmpty()) {
            outlineView_->setFocus();
        } else {
            searchField_->clear();
            applyFilter();
        }
    });

    outlineView_ = new OutlineView(panel);
    outlineView_->setObjectName(QStringLiteral("outlineView"));
    outlineView_->setAccessibleName(QStringLiteral("Выученные фразы"));
    outlineView_->setUniformRowHeights(true);
    outlineView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    outlineView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outlineView_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::DoubleClicked);
    outlineView_->setModel(model_);
    connect(model_, &QAbstractItemModel::modelReset, outlineView_,
            [this] { outlineView_->setDeepestLevel(model_->deepestLevel()); });
    connect(model_, &OutlineModel::keyEdited, this, &KnowledgeWindow::editKey);
    connect(outlineView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &KnowledgeWindow::showAnswers);
    connect(outlineView_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        expanded_.insert(model_->lineOf(index).value_or(0));
    });
    connect(outlineView_, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        expanded_.erase(model_->lineOf(index).value_or(0));
    });

    forgetButton_ = button(panel, "forgetButton", QStringLiteral("&Забыть"));
    forgetButton_->setToolTip(
        QStringLiteral("Убрать выбранные фразы вместе с их ветвями (Delete)"));
    connect(forgetButton_, &QPushButton::clicked, this, &KnowledgeWindow::forgetSelected);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(searchField_, 1);
    searchRow->addWidget(matchCount_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(forgetButton_);
    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(searchRow);
    layout->addWidget(outlineView_, 1);
    layout->addLayout(buttonRow);
    return panel;
}

QWidget* KnowledgeWindow::buildAnswerPanel() {
    auto* panel = new QWidget(this);
    auto* label = new QLabel(QStringLiteral("&Ответы:"), panel);
    answerList_ = new QListWidget(panel);
    answerList_->setObjectName(QStringLiteral("answerList"));
    answerList_->setAccessibleName(QStringLiteral("Ответы"));
    answerList_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::DoubleClicked);
    label->setBuddy(answerList_);
    connect(answerList_, &QListWidget::itemChanged, this, &KnowledgeWindow::editAnswer);

    addAnswerButton_ = button(panel, "addAnswerButton", QStringLiteral("&Добавить ответ"));
    removeAnswerButton_ = button(panel, "removeAnswerButton", QStringLiteral("&Удалить ответ"));
    connect(addAnswerButton_, &QPushButton::clicked, this, &KnowledgeWindow::addAnswer);
    connect(removeAnswerButton_, &QPushButton::clicked, this, &KnowledgeWindow::removeAnswer);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(addAnswerButton_);
    buttonRow->addWidget(removeAnswerButton_);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(label);
    layout->addWidget(answerList_, 1);
    layout->addLayout(buttonRow);
    return panel;
}

void KnowledgeWindow::buildMenus() {
    baseMenu_ = menuBar()->addMenu(QStringLiteral("&База"));
    baseMenu_->setObjectName(QStringLiteral("baseMenu"));
    connect(addItem(baseMenu_, "reloadItem", QStringLiteral("&Обновить"), QKeySequence::Refresh),
            &QAction::triggered, this, &KnowledgeWindow::reload);
    connect(addItem(baseMenu_, "backupsItem", QStringLiteral("&Резервные копии..."),
                    QKeySequence(Qt::CTRL | Qt::Key_B)),
            &QAction::triggered, this, &KnowledgeWindow::openBackups);
    baseMenu_->addSeparator();
    connect(addItem(baseMenu_, "teachItem", QStringLiteral("&Научить из текста..."),
                    QKeySequence(Qt::CTRL | Qt::Key_T)),
            &QAction::triggered, this, &KnowledgeWindow::teachFromText);
    connect(addItem(baseMenu_, "exportItem", QStringLiteral("&Экспорт в JSON..."),
                    QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, &KnowledgeWindow::exportJson);
    connect(addItem(baseMenu_, "importItem", QStringLiteral("&Импорт из JSON..."),
                    QKeySequence(Qt::CTRL | Qt::Key_I)),
            &QAction::triggered, this, &KnowledgeWindow::importJson);
    connect(addItem(baseMenu_, "mergeItem", QStringLiteral("Объ&единить с другой базой..."),
                    QKeySequence(Qt::CTRL | Qt::Key_M)),
            &QAction::triggered, this, &KnowledgeWindow::mergeDirectory);
    connect(addItem(baseMenu_, "mergeDocumentItem",
                    QStringLiteral("Объединить с &документом JSON..."),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)),
            &QAction::triggered, this, &KnowledgeWindow::mergeDocument);
    baseMenu_->addSeparator();
    connect(addItem(baseMenu_, "closeItem", QStringLiteral("&Закрыть"), QKeySequence::Close),
            &QAction::triggered, this, &QWidget::close);

    editMenu_ = menuBar()->addMenu(QStringLiteral("&Правка"));
    QMenu* editMenu = editMenu_;
    editMenu->setObjectName(QStringLiteral("editMenu"));
    connect(addItem(editMenu, "findItem", QStringLiteral("&Найти"), QKeySequence::Find),
            &QAction::triggered, this, [this] {
                searchField_->setFocus();
                searchField_->selectAll();
            });
    connect(addItem(editMenu, "checkItem", QStringLiteral("Про&верить фразу"),
                    QKeySequence(Qt::CTRL | Qt::Key_K)),
            &QAction::triggered, this, [this] {
                checkField_->setFocus();
                checkField_->selectAll();
            });
    editMenu->addSeparator();
    QAction* editKey = addItem(editMenu, "editKeyItem", QStringLiteral("Изменить &фразу"),
                               QKeySequence(Qt::Key_F2));
    bindTo(editKey, outlineView_);
    connect(editKey, &QAction::triggered, this, [this] {
        if (const auto line = currentLine()) {
            outlineView_->edit(model_->indexOfLine(*line));
        }
    });
    QAction* forget =
        addItem(editMenu, "forgetItem", QStringLiteral("&Забыть"), QKeySequence::Delete);
    bindTo(forget, outlineView_);
    connect(forget, &QAction::triggered, this, &KnowledgeWindow::forgetSelected);
    editMenu->addSeparator();
    connect(addItem(editMenu, "addAnswerItem", QStringLiteral("&Добавить ответ"),
                    QKeySequence(Qt::CTRL | Qt::Key_N)),
            &QAction::triggered, this, &KnowledgeWindow::addAnswer);
    QAction* editAnswer = addItem(editMenu, "editAnswerItem", QStringLiteral("&Изменить ответ"),
                                  QKeySequence(Qt::Key_F2));
    bindTo(editAnswer, answerList_);
    connect(editAnswer, &QAction::triggered, this, [this] {
        if (QListWidgetItem* item = answerList_->currentItem()) {
            answerList_->editItem(item);
        }
    });
    QAction* removeAnswer = addItem(editMenu, "removeAnswerItem", QStringLiteral("&Удалить ответ"),
                                    QKeySequence::Delete);
    bindTo(removeAnswer, answerList_);
    connect(removeAnswer, &QAction::triggered, this, &KnowledgeWindow::removeAnswer);
}

// Keys that do not depend on the keyboard layout: F10 opens the menu bar, and
// Alt with the first Latin letter of a menu's name opens it as Alt with its
// Cyrillic letter does ("База" by Alt+B, "Правка" by Alt+P).
void KnowledgeWindow::buildKeys() {
    const auto openMenu = [this](const QKeySequence& key, QMenu* menu) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, menu] {
            menuBar()->setFocus(Qt::MenuBarFocusReason);
            menuBar()->setActiveAction(menu->menuAction());
        });
    };
    openMenu(QKeySequence(Qt::Key_F10), baseMenu_);
    openMenu(QKeySequence(Qt::ALT | Qt::Key_B), baseMenu_);
    openMenu(QKeySequence(Qt::ALT | Qt::Key_P), editMenu_);
    // Only the list that has the focus shows its current row in the colour
    // of a selection, so that it is plain which one a key acts on.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(outlineView_),
                                    static_cast<QAbstractItemView*>(answerList_)}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Inactive, QPalette::Highlight,
                         palette.color(QPalette::Inactive, QPalette::Midlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Inactive, QPalette::Text));
        view->setPalette(palette);
    }
}

// Opens at the design's size when the screen has room for it, and within the
// screen's free area when it has not (a small screen, a large scale factor).
void KnowledgeWindow::fitToScreen() {
    QSize size(780, 540);
    if (const QScreen* shown = screen()) {
        const QRect room = shown->availableGeometry();
        // A frame and a caption bar around the window, as most managers draw.
        const QSize frame(16, 48);
        size = size.boundedTo(room.size() - frame);
        resize(size);
        move(room.topLeft() + QPoint((room.width() - size.width() - frame.width()) / 2,
                                     (room.height() - size.height() - frame.height()) / 2));
        return;
    }
    resize(size);
}

void KnowledgeWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    linesFigure_ = addFigure(bar, "linesFigure");
    rootsFigure_ = addFigure(bar, "rootsFigure");
    answersFigure_ = addFigure(bar, "answersFigure");
    dialoguesFigure_ = addFigure(bar, "dialoguesFigure");
    readProblem_ = addFigure(bar, "readProblem");
}

} // namespace besedka
