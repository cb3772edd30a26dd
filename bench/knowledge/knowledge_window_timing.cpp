// Times the knowledge window on a generated tree of N lines: from creating
// the window to the first paint of its outline, and for each keystroke of a
// search, from the moment the search runs (after the typing pause) to the
// painted result; then for a few phrases checked ("Проверить фразу"), from
// Enter to the painted result with the answering line selected.
//
// Usage: knowledge_window_timing LINES [SEARCH]   (under a display, or with
// QT_QPA_PLATFORM=offscreen)
#include "common/design_font.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/knowledge_window.h"
#include "text/cp1251.h"
#include "text/russian.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using namespace besedka;

constexpr int kFilterDelayMs = 120; // the window's pause before it searches

// Lines of a plausible outline: keys of two to five words in capitals, as
// the chat stores them, a quarter of the lines root lines, the others one
// level under the line before or higher.
std::vector<std::string> generatedTree(std::size_t count) {
    static const char* const words[] = {
        "привет",  "как",    "дела",   "что",     "новое",  "погода", "хорошо", "ладно",
        "почему",  "когда",  "где",    "кто",     "ты",     "я",      "мы",     "знаешь",
        "люблю",   "музыку", "кино",   "книги",   "работа", "дом",    "завтра", "вчера",
        "сегодня", "можно",  "нельзя", "спасибо", "пока",   "утро",   "вечер",  "ночь"};
    std::mt19937 random(42);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::vector<std::string> lines{utf8ToCp1251("Заголовок")};
    std::size_t depth = 0;
    for (std::size_t i = 1; i < count; ++i) {
        depth = pick(4) == 0 ? 0 : std::min<std::size_t>(depth + 1, pick(depth + 2));
        std::string key;
        for (std::size_t w = 0, n = 2 + pick(4); w < n; ++w) {
            if (w > 0) {
                key += ' ';
            }
            key += words[pick(std::size(words))];
        }
        std::string line = std::string(depth, '_') + cyrillicUpper(utf8ToCp1251(key)) + "^";
        for (std::size_t a = 0, n = pick(4); a < n; ++a) {
            line += utf8ToCp1251(words[pick(std::size(words))]) + ".;";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// Notes the time of each paint of a widget.
class PaintClock final : public QObject {
  public:
    explicit PaintClock(const QElapsedTimer& clock) : clock_(clock) {}
    qint64 last = -1;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            last = clock_.nsecsElapsed();
        }
        return false;
    }

  private:
    const QElapsedTimer& clock_;
};

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: knowledge_window_timing LINES [SEARCH]\n");
        return 2;
    }
    const std::size_t count = std::strtoul(argv[1], nullptr, 10);
    const QString search = QString::fromUtf8(argc > 2 ? argv[2] : "привет как");
    QApplication app(argc, argv);
    installDesignFontSubstitute();

    const fs::path workdir = fs::temp_directory_path() / "besedka-knowledge-timing";
    fs::remove_all(workdir);
    fs::create_directories(workdir / "Base");
    const FileStore files{PathMap(workdir)};
    StringList(generatedTree(count)).save(files, paths::kWords);
    std::printf("tree: %zu lines, %.1f MB\n", count,
                static_cast<double>(fs::file_size(workdir / "Base" / "Words.Dat")) / 1e6);

    StandardKnowledgeDialogs dialogs; // nothing is asked
    QElapsedTimer clock;
    PaintClock paints(clock);
    clock.start();
    KnowledgeWindow window(PathMap(workdir), dialogs);
    auto* view = window.findChild<QTreeView*>(QStringLiteral("outlineView"));
    view->viewport()->installEventFilter(&paints);
    const qint64 created = clock.nsecsElapsed();
    window.show();
    while (paints.last < 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("first paint of the outline: %.0f ms (window created after %.0f ms)\n",
                ms(paints.last), ms(created));

    auto* field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
    QTest::qWait(300);
    std::vector<double> times;
    for (const QChar c : search) {
        const qint64 typed = clock.nsecsElapsed();
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        const qint64 runs = typed + qint64{kFilterDelayMs} * 1'000'000;
        paints.last = -1;
        while (paints.last < runs) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        times.push_back(ms(paints.last - runs));
        std::printf("  \"%s\": %.1f ms\n", field->text().toUtf8().constData(), times.back());
        QTest::qWait(50);
    }
    std::sort(times.begin(), times.end());
    std::printf("search per keystroke: median %.1f ms, max %.1f ms\n", times[times.size() / 2],
                times.back());

    field->clear();
    QTest::qWait(2 * kFilterDelayMs);
    auto* check = window.findChild<QLineEdit*>(QStringLiteral("checkField"));
    window.activateWindow();
    check->setFocus(); // for Escape, which empties the field and the result
    auto* result = window.findChild<QLabel*>(QStringLiteral("checkResult"));
    result->installEventFilter(&paints); // a phrase nothing answers selects no line
    for (const char* phrase : {"ну привет как дела", "сегодня можно", "абракадабра"}) {
        QTest::keyClick(check, Qt::Key_Escape);
        check->setText(QString::fromUtf8(phrase));
        QTest::qWait(50);
        paints.last = -1;
        const qint64 entered = clock.nsecsElapsed();
        QTest::keyClick(check, Qt::Key_Return);
        while (paints.last < entered) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        std::printf("  check \"%s\": %.1f ms: %s\n", phrase, ms(paints.last - entered),
                    result->text().toUtf8().constData());
    }
    fs::remove_all(workdir);
    return 0;
}
