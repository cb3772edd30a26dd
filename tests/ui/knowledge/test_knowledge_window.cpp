// The knowledge window driven as a user drives it, on a temporary working
// directory: the outline, the search, corrections, forgetting, restoring a
// backup and following another process's changes.
#include "common/qt_text.h"
#include "curation/outline.h"
#include "curation/tree.h"
#include "files/directory_lock.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/path_map.h"
#include "files/string_list.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/knowledge_window.h"
#include "knowledge/outline_model.h"
#include "knowledge/refusal_text.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

using testing::part;
using testing::typeText;
using testing::WorkDir;

namespace {

// Answers every question at once from a queue (yes when it is empty) and
// keeps what it was told.
class FakeKnowledgeDialogs final : public KnowledgeDialogs {
  public:
    bool confirm(QWidget*, const QString& question) override {
        questions << question;
        const bool yes = answers.empty() || answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return yes;
    }
    void inform(QWidget*, const QString& message) override { messages << message; }
    void showError(QWidget*, const QString& message) override { errors << message; }
    std::optional<QString> askText(QWidget*, const QString& label) override {
        questions << label;
        return texts.empty() ? std::nullopt : std::optional(texts.takeFirst());
    }

    std::optional<QString> chooseFileToOpen(QWidget*, const QString&, const QString&) override {
        return chosen();
    }
    std::optional<QString> chooseFileToSave(QWidget*, const QString&, const QString&,
                                            const QString&) override {
        return chosen();
    }
    std::optional<QString> chooseDirectory(QWidget*, const QString&) override { return chosen(); }
    std::unique_ptr<Progress> showProgress(QWidget*, const QString&) override {
        struct Steps final : Progress {
            explicit Steps(bool cancel) : cancel_(cancel) {}
            bool step(std::size_t, std::size_t) override { return !cancel_; }
            bool cancel_;
        };
        return std::make_unique<Steps>(cancelProgress);
    }

    QStringList questions, messages, errors, texts, paths;
    std::deque<bool> answers;
    bool cancelProgress = false;

  private:
    std::optional<QString> chosen() {
        return paths.empty() ? std::nullopt : std::optional(paths.takeFirst());
    }
};

QStringList texts(std::initializer_list<const char*> utf8) {
    QStringList list;
    for (const char* text : utf8) {
        list << QString::fromUtf8(text);
    }
    return list;
}

// Line 2 skips a level and still hangs under line 1; line 4 under line 3.
const std::vector<std::string> kTree{
    "Заголовок",
    "ПРИВЕТ^Привет!;Здравствуй.;",
    "__КАК ДЕЛА?^Хорошо.;",
    "_ЧТО НОВОГО?^Ничего.;",
    "__А У ТЕБЯ?^Тоже ничего.;",
    "ПОКА^До встречи.;",
    "_УЖЕ?^Да.;",
};

// Why a text shown in the window is not Russian: a Latin word (three letters
// or more) outside the names it quotes in «» (files, bases, backups, places
// in a document), or a command-line option; empty when it is.
QString notRussian(const QString& text) {
    QString unquoted = text;
    unquoted.remove(QRegularExpression(QStringLiteral("«[^»]*»")));
    const auto latin = QRegularExpression(QStringLiteral("[A-Za-z]{3,}|--")).match(unquoted);
    if (latin.hasMatch()) {
        return QStringLiteral("«%1» in: %2").arg(latin.captured(), text);
    }
    if (!text.contains(QRegularExpression(QStringLiteral("[а-яё]{3,}")))) {
        return QStringLiteral("no Russian word in: ") + text;
    }
    return {};
}

} // namespace

class KnowledgeWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_.path().string()));
        workdir_ = std::make_unique<WorkDir>();
        writeTree(kTree);
        dialogs_ = std::make_unique<FakeKnowledgeDialogs>();
        window_ = std::make_unique<KnowledgeWindow>(PathMap(workdir_->root()), *dialogs_);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            view()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        tester_.reset();
        window_.reset();
        dialogs_.reset();
        workdir_.reset();
    }

    void placesEachLineUnderTheNearestShallowerOne() {
        QCOMPARE(window_->windowTitle().left(12), QStringLiteral("База знаний "));
        const QAbstractItemModel& model = *view()->model();
        QCOMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ", "ПОКА"}));
        const QModelIndex greeting = model.index(0, 0);
        QCOMPARE(keysUnder(greeting), texts({"КАК ДЕЛА?", "ЧТО НОВОГО?"}));
        QCOMPARE(keysUnder(model.index(1, 0, greeting)), texts({"А У ТЕБЯ?"}));
        QCOMPARE(model.index(0, OutlineModel::AnswersColumn).data().toInt(), 2);
        QCOMPARE(model.index(1, OutlineModel::NumberColumn).data().toInt(), 6);
        QCOMPARE(part<QLabel>(*window_, "linesFigure")->text(), QStringLiteral("Выучено фраз: 6"));
        QCOMPARE(part<QLabel>(*window_, "rootsFigure")->text(), QStringLiteral("Корневых: 2"));
        QCOMPARE(part<QLabel>(*window_, "answersFigure")->text(), QStringLiteral("Ответов: 7"));

        selectLine(model.index(1, 0));
        QCOMPARE(answers(), texts({"До встречи."}));
    }

    void searchFoldsCaseAndKeepsTheWayToMatches() {
        typeText(part<QLineEdit>(*window_, "searchField"), QStringLiteral("ничего"));
        QTRY_COMPARE(part<QLabel>(*window_, "matchCount")->text(), QStringLiteral("Найдено: 2"));
        const QAbstractItemModel& model = *view()->model();
        QCOMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ"}));
        QCOMPARE(keysUnder(model.index(0, 0)), texts({"ЧТО НОВОГО?"}));
        QVERIFY(view()->isExpanded(model.index(0, 0)));
        QCOMPARE(answers(), texts({"Ничего."})); // the first match is current

        part<QLineEdit>(*window_, "searchField")->clear();
        QTRY_COMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ", "ПОКА"}));
        QVERIFY(part<QLabel>(*window_, "matchCount")->text().isEmpty());
    }

    void refusesTextsTheGrammarCannotHold() {
        const std::vector<std::string> before = treeLines();
        selectLine(view()->model()->index(0, 0));
        QTest::keyClick(view(), Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit*>(editor) != nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        typeText(editor, QStringLiteral("здравствуй^"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(dialogs_->errors.size(), 1);
        QVERIFY(dialogs_->errors.front().contains(QStringLiteral("«^»")));

        dialogs_->texts << QStringLiteral("Ответ; и ещё");
        QTest::mouseClick(part<QPushButton>(*window_, "addAnswerButton"), Qt::LeftButton);
        QCOMPARE(dialogs_->errors.size(), 2);
        QCOMPARE(treeLines(), before);
        QCOMPARE(answers(), texts({"Привет!", "Здравствуй."}));
    }

    void correctsKeysAndAnswersInPlace() {
        selectLine(view()->model()->index(1, 0));
        QTest::keyClick(view(), Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        typeText(editor, QStringLiteral("до свидания"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(treeLines()[5], std::string("ДО СВИДАНИЯ^До встречи.;"));

        dialogs_->texts << QStringLiteral("Счастливо!");
        QTest::mouseClick(part<QPushButton>(*window_, "addAnswerButton"), Qt::LeftButton);
        QCOMPARE(treeLines()[5], std::string("ДО СВИДАНИЯ^До встречи.;Счастливо!;"));

        QListWidget* list = part<QListWidget>(*window_, "answerList");
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_F2);
        editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        typeText(editor, QStringLiteral("Пока-пока."));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(treeLines()[5], std::string("ДО СВИДАНИЯ^Пока-пока.;Счастливо!;"));

        list->setFocus();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(treeLines()[5], std::string("ДО СВИДАНИЯ^Пока-пока.;"));
        QCOMPARE(treeLines().size(), kTree.size()); // nothing else moved
        QCOMPARE(view()->currentIndex().data().toString(), QStringLiteral("ДО СВИДАНИЯ"));
    }

    void forgetsALineWithItsBranch() {
        const QModelIndex greeting = view()->model()->index(0, 0);
        selectLine(view()->model()->index(1, 0, greeting));
        dialogs_->answers = {false};
        QTest::keyClick(view(), Qt::Key_Delete);
        QCOMPARE(treeLines().size(), kTree.size()); // answered no
        QTest::keyClick(view(), Qt::Key_Delete);
        QVERIFY(dialogs_->questions.back().contains(QStringLiteral("2 строки")));
        QCOMPARE(treeLines(),
                 (std::vector<std::string>{kTree[0], kTree[1], kTree[2], kTree[5], kTree[6]}));
        QCOMPARE(keysUnder(view()->model()->index(0, 0)), texts({"КАК ДЕЛА?"}));
        QVERIFY(dialogs_->errors.isEmpty());
    }

    // A chat that learned into the line after it was shown keeps its answer.
    void forgetsNothingWhenTheLineChangedOnDisk() {
        selectLine(view()->model()->index(1, 0));
        std::vector<std::string> changed = kTree;
        changed[5] = "ПОКА^До встречи.;Пока!;";
        writeTree(changed);
        QTest::mouseClick(part<QPushButton>(*window_, "forgetButton"), Qt::LeftButton);
        QCOMPARE(treeLines(), changed);
        QCOMPARE(dialogs_->errors.size(), 1);
        QVERIFY(dialogs_->errors.front().contains(QStringLiteral("изменилась на диске")));
        QCOMPARE(answers(), texts({"До встречи.", "Пока!"})); // the view shows the file
    }

    // Another program holding Base (a stopped kb command, a flock) makes a
    // change give up after a moment with a message, instead of freezing the
    // window until it lets go.
    void givesUpOnABaseAnotherProgramHolds() {
        selectLine(view()->model()->index(1, 0));
        const DirectoryLock held(workdir_->root() / "Base", std::chrono::seconds(0), {});
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(part<QPushButton>(*window_, "forgetButton"), Qt::LeftButton);
        dialogs_->texts << QStringLiteral("Счастливо!");
        QTest::mouseClick(part<QPushButton>(*window_, "addAnswerButton"), Qt::LeftButton);
        QVERIFY(clock.elapsed() < 4000);
        QCOMPARE(treeLines(), kTree);
        QCOMPARE(dialogs_->errors.size(), 2);
        for (const QString& error : dialogs_->errors) {
            QVERIFY2(error.contains(QStringLiteral("база занята другой программой")),
                     qPrintable(error));
        }
    }

    void restoresABackupAndCanUndoTheRestore() {
        selectLine(view()->model()->index(1, 0));
        QTest::keyClick(view(), Qt::Key_Delete);
        const std::vector<std::string> forgotten = treeLines();
        QCOMPARE(forgotten.size(), kTree.size() - 2);

        QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
        auto* dialog = window_->findChild<QDialog*>(QStringLiteral("backupsDialog"));
        QVERIFY(dialog != nullptr);
        auto* list = part<QTreeWidget>(*dialog, "backupList");
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("7"));
        QTest::mouseClick(part<QPushButton>(*dialog, "restoreButton"), Qt::LeftButton);
        QCOMPARE(treeLines(), kTree);
        QCOMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ", "ПОКА"}));

        QCOMPARE(list->topLevelItemCount(), 2); // the state restored over was backed up
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(part<QPushButton>(*dialog, "restoreButton"), Qt::LeftButton);
        QCOMPARE(treeLines(), forgotten);
        QVERIFY(dialogs_->errors.isEmpty());
    }

    // Another process saves the tree (a new file renamed into place): the view
    // follows, keeping the open and the current line.
    void followsAChangeMadeElsewhere() {
        const QModelIndex greeting = view()->model()->index(0, 0);
        view()->expand(greeting);
        selectLine(view()->model()->index(1, 0, greeting));
        std::vector<std::string> learned = kTree;
        learned.insert(learned.begin() + 1, "ЗДРАВСТВУЙ^Привет.;");
        StringList(toCp1251(learned)).save(FileStore(PathMap(workdir_->root())), paths::kWords);
        QTRY_COMPARE_WITH_TIMEOUT(keysUnder(QModelIndex()), texts({"ЗДРАВСТВУЙ", "ПРИВЕТ", "ПОКА"}),
                                  2000);
        const QModelIndex moved = view()->model()->index(1, 0);
        QVERIFY(view()->isExpanded(moved));
        QCOMPARE(view()->currentIndex().data().toString(), QStringLiteral("ЧТО НОВОГО?"));
        QCOMPARE(view()->currentIndex().parent(), moved);
        QCOMPARE(part<QLabel>(*window_, "linesFigure")->text(), QStringLiteral("Выучено фраз: 7"));
    }

    void teachesExportsAndMergesFromTheMenu() {
        const std::string text = workdir_->path("dialogues.txt").string();
        std::ofstream(text) << "Как тебя зовут?\nБеседка.\n\nЛюбишь чай?\nОчень!\n";
        dialogs_->paths << QString::fromStdString(text);
        dialogs_->cancelProgress = true;
        trigger("teachItem");
        QCOMPARE(treeLines(), kTree);
        QVERIFY(dialogs_->messages.back().contains(QStringLiteral("отменено")));
        dialogs_->paths << QString::fromStdString(text);
        dialogs_->cancelProgress = false;
        trigger("teachItem");
        QCOMPARE(treeLines().size(), kTree.size() + 2);
        QVERIFY(keysUnder(QModelIndex()).contains(QStringLiteral("КАК ТЕБЯ ЗОВУТ")));
        QVERIFY2(
            dialogs_->messages.back().endsWith(QStringLiteral("Ответит, как учили: 2 из 2 пар.")),
            qPrintable(dialogs_->messages.back()));

        // Another working directory that knows one line more merges into this one.
        WorkDir other;
        std::vector<std::string> otherTree = kTree;
        otherTree.push_back("ЧАЙ?^Зелёный.;");
        writeTree(otherTree, other);
        dialogs_->paths << QString::fromStdString(other.root().string());
        trigger("mergeItem");
        QVERIFY(keysUnder(QModelIndex()).contains(QStringLiteral("ЧАЙ?")));

        const std::string json = workdir_->path("export.json").string();
        dialogs_->paths << QString::fromStdString(json);
        trigger("exportItem");
        std::ifstream in(json);
        const std::string exported{std::istreambuf_iterator<char>(in), {}};
        QVERIFY(exported.find("Зелёный.") != std::string::npos);
        QVERIFY(dialogs_->errors.isEmpty());
    }

    void changesNothingWhenNoBackupCanBeMade() {
        const std::string text = workdir_->path("dialogues.txt").string();
        std::ofstream(text) << "Как тебя зовут?\nБеседка.\n";
        const std::string notAFolder = workdir_->path("not-a-folder").string();
        std::ofstream(notAFolder) << "x";
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(notAFolder));
        dialogs_->paths << QString::fromStdString(text);
        trigger("teachItem");
        QCOMPARE(treeLines(), kTree);
        QCOMPARE(dialogs_->errors.size(), 1);
        QVERIFY(dialogs_->errors.front().startsWith(
            QStringLiteral("Ничего не изменено: не удалось сделать резервную копию (")));
        // Forgetting is refused alike, in Russian, naming no option of the
        // command line.
        selectLine(view()->model()->index(1, 0));
        QTest::mouseClick(part<QPushButton>(*window_, "forgetButton"), Qt::LeftButton);
        QCOMPARE(treeLines(), kTree);
        QCOMPARE(dialogs_->errors.size(), 2);
        for (const QString& error : dialogs_->errors) {
            QVERIFY2(notRussian(error).isEmpty(), qPrintable(notRussian(error)));
            QVERIFY2(error.contains(QStringLiteral("не удалось сделать резервную копию (файл «")),
                     qPrintable(error));
        }
    }

    // A taught dialogue goes sixty levels down: the deepest key still shows
    // its text in the view, and its tooltip holds it whole.
    void showsTheKeysOfDeepLines() {
        std::vector<std::string> deep{"Заголовок"};
        for (int level = 0; level < 60; ++level) {
            deep.push_back(std::string(static_cast<std::size_t>(level), '_') + "ФРАЗА НОМЕР " +
                           std::to_string(level) + "^Ответ.;");
        }
        writeTree(deep);
        trigger("reloadItem");
        view()->expandAll();
        QModelIndex deepest = view()->model()->index(0, 0);
        while (view()->model()->rowCount(deepest) > 0) {
            deepest = view()->model()->index(0, 0, deepest);
        }
        view()->setCurrentIndex(deepest);
        view()->scrollTo(deepest);
        const QRect shown = view()->visualRect(deepest);
        QVERIFY2(shown.left() >= 0 && shown.left() + 60 < view()->viewport()->width(),
                 qPrintable(QStringLiteral("the key starts at %1 of %2")
                                .arg(shown.left())
                                .arg(view()->viewport()->width())));
        const QString tip = deepest.data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains(QStringLiteral("ФРАЗА НОМЕР 59")), qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("Уровень 60")), qPrintable(tip));
    }

    // A corrected key is stored as teaching stores one, so that it matches.
    void storesACorrectedKeyAsTeachingDoes() {
        selectLine(view()->model()->index(1, 0));
        QTest::keyClick(view(), Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        typeText(editor, QStringLiteral("добрый день!.."));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(treeLines()[5], std::string("ДОБРЫЙ ДЕНЬ^До встречи.;"));
    }

    // Each change of the window is backed up first, labelled with what
    // followed, so that an answer deleted after other edits comes back alone.
    void undoesAnAnswerDeletedAfterOtherChanges() {
        selectLine(view()->model()->index(1, 0));
        dialogs_->texts << QStringLiteral("Счастливо!");
        QTest::mouseClick(part<QPushButton>(*window_, "addAnswerButton"), Qt::LeftButton);
        const std::vector<std::string> added = treeLines();
        QListWidget* list = part<QListWidget>(*window_, "answerList");
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(dialogs_->questions.back().contains(QStringLiteral("«ПОКА»")));
        QCOMPARE(treeLines()[5], std::string("ПОКА^Счастливо!;"));

        QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
        auto* dialog = window_->findChild<QDialog*>(QStringLiteral("backupsDialog"));
        auto* backups = part<QTreeWidget>(*dialog, "backupList");
        QCOMPARE(backups->topLevelItemCount(), 2);
        QCOMPARE(backups->topLevelItem(0)->text(3),
                 QStringLiteral("перед: удалить ответ «До встречи.»"));
        QVERIFY2(backups->topLevelItem(0)->text(0).startsWith(QStringLiteral("сегодня, ")),
                 qPrintable(backups->topLevelItem(0)->text(0)));
        QTest::mouseClick(part<QPushButton>(*dialog, "restoreButton"), Qt::LeftButton);
        QCOMPARE(treeLines(), added);
        QVERIFY(dialogs_->errors.isEmpty());
    }

    // What fails is told in Russian, naming the file and the base.
    void tellsFailuresInRussianNamingFileAndBase() {
        WorkDir empty;
        std::filesystem::remove_all(empty.root() / "Base");
        dialogs_->paths << QString::fromStdString(empty.root().string());
        trigger("mergeItem");
        dialogs_->paths << QStringLiteral("/proc/besedka.json");
        trigger("exportItem");
        QCOMPARE(dialogs_->errors.size(), 2);
        QVERIFY2(dialogs_->errors[0].contains(QStringLiteral("не удалось открыть файл Base\\"),
                                              Qt::CaseInsensitive) &&
                     dialogs_->errors[0].contains(QString::fromStdString(empty.root().string())),
                 qPrintable(dialogs_->errors[0]));
        QVERIFY2(dialogs_->errors[1].contains(QStringLiteral("/proc/besedka.json")) &&
                     dialogs_->errors[1].contains(QStringLiteral("не экспортирована")),
                 qPrintable(dialogs_->errors[1]));
        for (const QString& error : dialogs_->errors) {
            QVERIFY2(!error.contains(QStringLiteral("Cannot")) &&
                         !error.contains(QStringLiteral("No such")),
                     qPrintable(error));
        }

        // A line that teaching refuses is told so when asked about the rest.
        const std::string text = workdir_->path("refused.txt").string();
        std::ofstream(text) << "Как дела?\nХорошо; а у тебя?\n";
        dialogs_->paths << QString::fromStdString(text);
        dialogs_->answers = {false};
        trigger("teachItem");
        QVERIFY2(dialogs_->questions.back().contains(
                     QStringLiteral("(первая — строка 2: в ней есть «;», этот символ разделяет "
                                    "части строк базы)")),
                 qPrintable(dialogs_->questions.back()));
        QCOMPARE(treeLines(), kTree);
    }

    // Every refusal the engine makes has its Russian wording, with the file
    // and the base it is about named in quotes.
    void wordsEveryRefusalInRussian() {
        RefusalFacts facts;
        facts.line = 7;
        facts.number = 3;
        facts.total = 12;
        facts.path = "/home/user/work/Base/Words.Dat";
        facts.text = "tree[2].answers";
        facts.names = {"2026-12-07_12-30-05Z-41", "2026-12-07_12-30-05Z-42"};
        facts.reason = std::make_error_code(std::errc::permission_denied);
        RefusalFacts ofAnotherBase = facts;
        ofAnotherBase.workdir = "/home/user/other";
        for (int i = 0; i <= static_cast<int>(kLastRefusal); ++i) {
            for (const RefusalFacts& given : {facts, ofAnotherBase}) {
                const QString text = refusalText(static_cast<Refusal>(i), given, "/home/user/work");
                QVERIFY2(notRussian(text).isEmpty(),
                         qPrintable(QStringLiteral("code %1: ").arg(i) + notRussian(text)));
            }
        }
    }

    void importsADocumentAfterAskingAndMergesOne() {
        const std::string json = workdir_->path("export.json").string();
        dialogs_->paths << QString::fromStdString(json);
        trigger("exportItem");
        selectLine(view()->model()->index(1, 0));
        QTest::keyClick(view(), Qt::Key_Delete);
        QCOMPARE(treeLines().size(), kTree.size() - 2);

        dialogs_->paths << QString::fromStdString(json);
        dialogs_->answers = {false};
        trigger("importItem");
        QVERIFY(
            dialogs_->questions.back().contains(QStringLiteral("Заменить всё, что знает база")));
        QCOMPARE(treeLines().size(), kTree.size() - 2); // answered no
        dialogs_->paths << QString::fromStdString(json);
        trigger("importItem");
        QCOMPARE(treeLines(), kTree);

        std::ofstream(workdir_->path("broken.json")) << "{\"format\": \"besedka-knowledge\"";
        dialogs_->paths << QString::fromStdString(workdir_->path("broken.json").string());
        trigger("mergeDocumentItem");
        QCOMPARE(dialogs_->errors.size(), 1);
        QVERIFY2(dialogs_->errors[0].contains(QStringLiteral("не документ базы знаний")),
                 qPrintable(dialogs_->errors[0]));
        // The parser's reason, in Russian, at its place.
        QVERIFY2(dialogs_->errors[0].contains(
                     QStringLiteral("ошибка в записи в строке 1, столбце 31 (байт 31): конец "
                                    "документа там, где ожидалось «}»")),
                 qPrintable(dialogs_->errors[0]));
        QCOMPARE(treeLines(), kTree);
    }

    void escapeEmptiesTheSearch() {
        auto* search = part<QLineEdit>(*window_, "searchField");
        search->setFocus();
        typeText(search, QStringLiteral("ничего"));
        QTRY_COMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ"}));
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(search->text().isEmpty());
        QCOMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ", "ПОКА"}));
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(view()->hasFocus());
    }

    // Typing on, deleting back and emptying the search on a random tree:
    // the view shows the lines kb find finds and the lines above them.
    void searchShowsWhatKbFindFinds() {
        std::mt19937 random(5);
        const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        const std::vector<std::string> words{"ёж", "еж", "кот", "котёнок", "пёс", "сон"};
        std::vector<std::string> tree{"Заголовок"};
        for (int i = 0; i < 150; ++i) {
            tree.push_back(std::string(pick(4), '_') + words[pick(words.size())] + " " +
                           words[pick(words.size())] + "^" + words[pick(words.size())] + ".;");
        }
        writeTree(tree);
        trigger("reloadItem");
        const StringList lines(toCp1251(tree));
        const Outline outline(lines.textLines());
        auto* search = part<QLineEdit>(*window_, "searchField");
        QSignalSpy filtered(view()->model(), &QAbstractItemModel::modelReset);
        for (int step = 0; step < 14; ++step) {
            if (search->text().isEmpty() || pick(3) != 0) {
                typeText(search, QString::fromUtf8(" ёеожкстн").at(static_cast<int>(pick(9))));
            } else {
                QTest::keyClick(search, Qt::Key_Backspace);
            }
            filtered.clear();
            QTRY_VERIFY(!filtered.isEmpty());
            std::set<std::size_t> expected;
            for (const NumberedLine& found : findInTree(lines, fromQString(search->text()))) {
                for (std::optional<std::size_t> at = found.number - 1; at;
                     at = outline.parent(*at)) {
                    expected.insert(*at);
                }
            }
            if (search->text().isEmpty()) {
                for (std::size_t line = 1; line < lines.count(); ++line) {
                    expected.insert(line);
                }
            }
            QCOMPARE(shownLines(QModelIndex()), expected);
        }
    }

    // The search and the check read the tree the view shows: a change made
    // elsewhere is seen by the search that was on and by the next check.
    void searchesAndChecksTheTreeAsItIsNow() {
        auto* search = part<QLineEdit>(*window_, "searchField");
        typeText(search, QStringLiteral("ни"));
        auto* count = part<QLabel>(*window_, "matchCount");
        QTRY_COMPARE(count->text(), QStringLiteral("Найдено: 2"));
        std::vector<std::string> learned = kTree;
        learned.insert(learned.begin() + 1, "НИКОГДА^Никогда не говори никогда.;");
        StringList(toCp1251(learned)).save(FileStore(PathMap(workdir_->root())), paths::kWords);
        QTRY_COMPARE_WITH_TIMEOUT(part<QLabel>(*window_, "linesFigure")->text(),
                                  QStringLiteral("Выучено фраз: 7"), 2000);
        QCOMPARE(count->text(), QStringLiteral("Найдено: 3"));
        typeText(search, QStringLiteral("к"));
        QTRY_COMPARE(count->text(), QStringLiteral("Найдено: 1"));
        QCOMPARE(keysUnder(QModelIndex()), texts({"НИКОГДА"}));

        auto* field = part<QLineEdit>(*window_, "checkField");
        auto* result = part<QLabel>(*window_, "checkResult");
        field->setText(QStringLiteral("ну никогда"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY2(result->text().contains(QStringLiteral("строка дерева 2: её ключ «НИКОГДА»")),
                 qPrintable(result->text()));
        part<QLineEdit>(*window_, "afterField")
            ->setText(QStringLiteral("Никогда не говори никогда."));
        field->setText(QStringLiteral("пока"));
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY2(result->text().contains(QStringLiteral("«ПОКА»")), qPrintable(result->text()));
    }

    // The phrase check tells which line or list would answer, selects the
    // answering line even where the search hides it, and writes nothing.
    void checksWhichLineWouldAnswerAPhrase() {
        typeText(part<QLineEdit>(*window_, "searchField"), QStringLiteral("ничего"));
        QTRY_COMPARE(keysUnder(QModelIndex()), texts({"ПРИВЕТ"}));
        QTest::keyClick(window_.get(), Qt::Key_K, Qt::ControlModifier);
        auto* field = part<QLineEdit>(*window_, "checkField");
        QVERIFY(field->hasFocus());
        const auto check = [&](const QString& phrase, const QString& after = {}) {
            part<QLineEdit>(*window_, "afterField")->setText(after);
            field->clear();
            typeText(field, phrase);
            QTest::keyClick(field, Qt::Key_Return);
            return part<QLabel>(*window_, "checkResult")->text();
        };
        QString result = check(QStringLiteral("ну пока, друг"));
        QVERIFY2(result.contains(QStringLiteral("строка дерева 6: её ключ «ПОКА»")),
                 qPrintable(result));
        QCOMPARE(view()->currentIndex().data().toString(), QStringLiteral("ПОКА"));
        QVERIFY(view()->selectionModel()->isSelected(view()->currentIndex()));
        QVERIFY(part<QLineEdit>(*window_, "searchField")->text().isEmpty());

        result = check(QStringLiteral("а у тебя?"), QStringLiteral("ничего."));
        QVERIFY2(result.contains(QStringLiteral("строка дерева 5 в ветви строки 4")),
                 qPrintable(result));
        QCOMPARE(view()->currentIndex().data().toString(), QStringLiteral("А У ТЕБЯ?"));

        result = check(QStringLiteral("ты дура"));
        QVERIFY2(result.startsWith(QStringLiteral("Список оскорблений: во фразе есть «ДУРА»")),
                 qPrintable(result));
        result = check(QStringLiteral("какая погода"));
        QVERIFY2(result.startsWith(QStringLiteral("Ничего:")) &&
                     result.contains(QStringLiteral("чат выучит фразу")),
                 qPrintable(result));
        QVERIFY(view()->selectionModel()->selectedIndexes().isEmpty());

        field->setText(QStringLiteral("пока \U0001F600"));
        QTest::keyClick(field, Qt::Key_Return);
        result = part<QLabel>(*window_, "checkResult")->text();
        QVERIFY2(result.contains(QStringLiteral("«\U0001F600» нет в кодировке Windows-1251")),
                 qPrintable(result));
        QCOMPARE(check(QStringLiteral("кот"), QStringLiteral("Мяу.")),
                 QStringLiteral("Ни в одной строке дерева нет ответа «Мяу.»: в поле «после "
                                "реплики» пишут ответ, который даёт дерево."));

        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(field->text().isEmpty() && part<QLabel>(*window_, "checkResult")->text().isEmpty());
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(view()->hasFocus());
        QCOMPARE(treeLines(), kTree);
        QVERIFY(dialogs_->errors.isEmpty());

        // On a tree taller than the view the answering line stays in sight
        // when the longest result, told after it is scrolled to, takes more
        // room below the outline.
        std::vector<std::string> tall{"Заголовок"};
        for (int i = 0; i < 100; ++i) {
            tall.push_back("СТРОКА " + std::to_string(i) + "^Ответ.;");
        }
        tall.push_back("ПОКА^До встречи.;");
        writeTree(tall);
        trigger("reloadItem");
        auto* shown = part<QLabel>(*window_, "checkResult");
        const int oneLine = shown->height();
        check(QStringLiteral("пока ") + QString(110, QLatin1Char('x')));
        QVERIFY2(
            shown->text().startsWith(QStringLiteral("Длинная фраза: 116 знаков, а длинной "
                                                    "считается фраза от 110; в 4 случаях из 6")) &&
                shown->text().endsWith(
                    QStringLiteral("строка дерева 102: её ключ «ПОКА» есть во фразе.")),
            qPrintable(shown->text()));
        // It settles in steps, a layout pass at a time.
        QTRY_COMPARE(shown->height(), shown->heightForWidth(shown->width()));
        QVERIFY(shown->height() > oneLine);
        const QRect line = view()->visualRect(view()->currentIndex());
        QVERIFY2(line.top() >= 0 && line.bottom() < view()->viewport()->height(),
                 qPrintable(QStringLiteral("line at %1 to %2 in %3")
                                .arg(line.top())
                                .arg(line.bottom())
                                .arg(view()->viewport()->height())));

        // A tree that cannot be read is said so, not taken for one that knows nothing.
        std::filesystem::remove(workdir_->path("Base/Words.Dat"));
        trigger("reloadItem");
        check(QStringLiteral("пока"));
        QVERIFY2(shown->text().contains(QStringLiteral("не удалось открыть файл Base\\Words.Dat"),
                                        Qt::CaseInsensitive),
                 qPrintable(shown->text()));
    }

    // After a forget the place stays: the line after the forgotten one.
    void keepsThePlaceAfterAForget() {
        const QModelIndex greeting = view()->model()->index(0, 0);
        selectLine(view()->model()->index(0, 0, greeting));
        QTest::keyClick(view(), Qt::Key_Delete);
        QVERIFY(dialogs_->questions.back().contains(QStringLiteral("«КАК ДЕЛА?»")));
        QCOMPARE(view()->currentIndex().data().toString(), QStringLiteral("ЧТО НОВОГО?"));
    }

    // The window opens within the screen's free area, whatever its size
    // and scale (this test runs again at QT_SCALE_FACTOR=2).
    void fitsTheScreen() {
        const QRect room = window_->screen()->availableGeometry();
        QVERIFY2(room.contains(window_->geometry()), qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                                                    .arg(window_->width())
                                                                    .arg(window_->height())
                                                                    .arg(room.width())
                                                                    .arg(room.height())));
    }

  private:
    void trigger(const char* item) const { part<QAction>(*window_, item)->trigger(); }

    QTreeView* view() const { return part<QTreeView>(*window_, "outlineView"); }

    QStringList keysUnder(const QModelIndex& parent) const {
        QStringList keys;
        for (int row = 0; row < view()->model()->rowCount(parent); ++row) {
            keys << view()->model()->index(row, 0, parent).data().toString();
        }
        return keys;
    }

    // The line numbers of the rows under `parent`, all the way down.
    std::set<std::size_t> shownLines(const QModelIndex& parent) const {
        std::set<std::size_t> lines;
        const QAbstractItemModel& model = *view()->model();
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            lines.insert(model.index(row, OutlineModel::NumberColumn, parent).data().toULongLong() -
                         1);
            lines.merge(shownLines(index));
        }
        return lines;
    }

    QStringList answers() const {
        QStringList texts;
        const auto* list = part<QListWidget>(*window_, "answerList");
        for (int row = 0; row < list->count(); ++row) {
            texts << list->item(row)->text();
        }
        return texts;
    }

    // A click on the row, as the user picks a line.
    void selectLine(const QModelIndex& index) {
        view()->scrollTo(index);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {},
                          view()->visualRect(index).center());
        QCOMPARE(view()->currentIndex().internalId(), index.internalId());
        view()->setFocus();
    }

    static std::vector<std::string> toCp1251(const std::vector<std::string>& utf8) {
        std::vector<std::string> lines;
        for (const std::string& line : utf8) {
            lines.push_back(utf8ToCp1251(line));
        }
        return lines;
    }

    void writeTree(const std::vector<std::string>& utf8) const { writeTree(utf8, *workdir_); }
    static void writeTree(const std::vector<std::string>& utf8, const WorkDir& workdir) {
        std::string text;
        for (const std::string& line : toCp1251(utf8)) {
            text += line + "\r\n";
        }
        std::ofstream(workdir.path("Base/Words.Dat"), std::ios::binary) << text;
    }

    std::vector<std::string> treeLines() const {
        StringList tree;
        tree.load(FileStore(PathMap(workdir_->root())), paths::kWords);
        std::vector<std::string> lines;
        for (const std::string& line : tree.lines()) {
            lines.push_back(cp1251ToUtf8(line));
        }
        return lines;
    }

    test::TempDir state_;
    std::unique_ptr<WorkDir> workdir_;
    std::unique_ptr<FakeKnowledgeDialogs> dialogs_;
    std::unique_ptr<KnowledgeWindow> window_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

} // namespace besedka

QTEST_MAIN(besedka::KnowledgeWindowTest)
#include "test_knowledge_window.moc"
