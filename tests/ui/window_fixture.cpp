#include "window_fixture.h"

#include "common/design_font.h"
#include "files/path_map.h"
#include "files/string_list.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimerEvent>

#include <algorithm>

namespace besedka::testing {

namespace fs = std::filesystem;

int FakeSoundPlayer::count(Cue cue) const {
    return static_cast<int>(std::count(played.begin(), played.end(), cue));
}

void FakeDialogs::showError(QWidget*, const QString& message) {
    errors.append(message);
}

namespace {

template <typename T> std::optional<T> nextAnswer(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

std::optional<Colour> FakeDialogs::chooseColour(QWidget*, Colour initial, const QString& title) {
    if (onOpen) {
        onOpen();
    }
    colourRequests.push_back(initial);
    colourTitles.push_back(title);
    return nextAnswer(colourAnswers);
}

std::optional<FontSpec> FakeDialogs::chooseFont(QWidget*, const FontSpec& initial,
                                                bool sizeFixedAt8) {
    if (onOpen) {
        onOpen();
    }
    fontRequests.push_back({initial, sizeFixedAt8});
    return nextAnswer(fontAnswers);
}

WorkDir::WorkDir() {
    fs::copy(BESEDKA_DATA_DIR, root(), fs::copy_options::recursive);
}

fs::path WorkDir::path(const std::string& relative) const {
    return root() / relative;
}

// Moves a file aside so that the program cannot find it, and back.
void WorkDir::remove(const std::string& relative) const {
    fs::rename(path(relative), path(relative + ".away"));
}

void WorkDir::restore(const std::string& relative) const {
    fs::rename(path(relative + ".away"), path(relative));
}

WindowFixture::WindowFixture(std::uint32_t clockStart)
    : files(PathMap(workdir.root())), clock(clockStart) {
    installDesignFontSubstitute();
}

MainWindow& WindowFixture::create() {
    window_ = std::make_unique<MainWindow>(files, clock, sound, dialogs);
    return *window_;
}

MainWindow& WindowFixture::start() {
    MainWindow& window = create();
    window.showCentred();
    if (!QTest::qWaitForWindowActive(&window)) {
        qWarning("the window did not become active");
    }
    const bool settled = QTest::qWaitFor(
        [&] {
            return !part<QTimer>(window, "startupLoadTimer")->isActive() &&
                   !part<QTimer>(window, "shakeTimer")->isActive();
        },
        5000);
    if (!settled) {
        qWarning("the start-up load or the first shake did not finish");
    }
    return window;
}

std::vector<std::string> WindowFixture::fileLines(const char* windowsPath) const {
    StringList lines;
    lines.load(files, windowsPath);
    return lines.lines();
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

EditorDialog& editorOf(const MainWindow& window) {
    return *part<EditorDialog>(window, "editorDialog");
}

AboutBox& aboutBoxOf(const MainWindow& window) {
    return *part<AboutBox>(window, "aboutBox");
}

void fire(QTimer* timer) {
    const bool stopped = !timer->isActive();
    if (stopped) {
        timer->start();
    }
    QTimerEvent elapsed(timer->timerId());
    QCoreApplication::sendEvent(timer, &elapsed);
    if (stopped && timer->isActive()) {
        timer->stop();
    }
}

void WindowTest::init() {
    fixture_ = std::make_unique<WindowFixture>();
    fixture_->start();
    started();
}

void WindowTest::cleanup() {
    fixture_.reset();
}

} // namespace besedka::testing
