// The knowledge window's parts: menus, the outline with its search field,
// the answers beside it and the figures in the status bar.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/outline_model.h"

#include <QAction>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
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
    : QMainWindow(parent), paths_(paths), dialogs_(dialogs), editStore_(paths),
      model_(new OutlineModel(this)), filterTimer_(new QTimer(this)),
      followTimer_(new QTimer(this)), watcher_(new QFileSystemWatcher(this)) {
    setObjectName(QStringLiteral("knowledgeWindow"));
    setWindowTitle(QStringLiteral("База знаний — ") +
                   QString::fromStdString(paths_.workdir().string()));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(buildOutlinePanel());
    splitter->addWidget(buildAnswerPanel());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);
    buildMenus();
    buildStatusBar();
    resize(780, 540);

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

    outlineView_ = new QTreeView(panel);
    outlineView_->setObjectName(QStringLiteral("outlineView"));
    outlineView_->setAccessibleName(QStringLiteral("Выученные фразы"));
    outlineView_->setUniformRowHeights(true);
    outlineView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    outlineView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    outlineView_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::DoubleClicked);
    outlineView_->setModel(model_);
    outlineView_->header()->setStretchLastSection(false);
    outlineView_->header()->setSectionResizeMode(OutlineModel::KeyColumn, QHeaderView::Stretch);
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
    connect(addItem(baseMenu_, "teachItem", QStringLiteral("&Научить из текста...")),
            &QAction::triggered, this, &KnowledgeWindow::teachFromText);
    connect(addItem(baseMenu_, "exportItem", QStringLiteral("&Экспорт в JSON...")),
            &QAction::triggered, this, &KnowledgeWindow::exportJson);
    connect(addItem(baseMenu_, "mergeItem", QStringLiteral("Объ&единить с другой базой...")),
            &QAction::triggered, this, &KnowledgeWindow::mergeDirectory);
    baseMenu_->addSeparator();
    connect(addItem(baseMenu_, "closeItem", QStringLiteral("&Закрыть"), QKeySequence::Close),
            &QAction::triggered, this, &QWidget::close);

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Правка"));
    editMenu->setObjectName(QStringLiteral("editMenu"));
    connect(addItem(editMenu, "findItem", QStringLiteral("&Найти"), QKeySequence::Find),
            &QAction::triggered, this, [this] {
                searchField_->setFocus();
                searchField_->selectAll();
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

void KnowledgeWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    linesFigure_ = addFigure(bar, "linesFigure");
    rootsFigure_ = addFigure(bar, "rootsFigure");
    answersFigure_ = addFigure(bar, "answersFigure");
    dialoguesFigure_ = addFigure(bar, "dialoguesFigure");
    readProblem_ = addFigure(bar, "readProblem");
}

} // namespace besedka
