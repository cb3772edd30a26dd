#pragma once

#include "chat/about_box.h"
#include "chat/editor_dialog.h"
#include "chat/main_window.h"
#include "chat/sound_player.h"
#include "common/dialogs.h"
#include "files/file_store.h"
#include "talk/clock.h"
#include "temp_dir.h"

#include <QStringList>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace besedka::testing {

// Records the cues the window asks for; makes no sound.
class FakeSoundPlayer final : public SoundPlayer {
  public:
    void play(Cue cue) override { played.push_back(cue); }
    int count(Cue cue) const;
    std::vector<Cue> played;
};

// Answers every dialog at once and keeps what it was shown. Colour and font
// dialogs take their answers from the queues, in order; an empty queue or an
// empty answer cancels.
class FakeDialogs final : public Dialogs {
  public:
    struct FontRequest {
        FontSpec initial;
        bool sizeFixedAt8;
    };

    void showError(QWidget* parent, const QString& message) override;
    std::optional<Colour> chooseColour(QWidget* parent, Colour initial,
                                       const QString& title) override;
    std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial,
                                       bool sizeFixedAt8) override;

    QStringList errors;
    std::deque<std::optional<Colour>> colourAnswers;
    std::deque<std::optional<FontSpec>> fontAnswers;
    std::vector<Colour> colourRequests; // the colour each colour dialog opened on
    QStringList colourTitles;
    std::vector<FontRequest> fontRequests;
    // Runs as each colour or font dialog opens.
    std::function<void()> onOpen;
};

// A temporary copy of the starter working directory data/.
class WorkDir {
  public:
    WorkDir();
    std::filesystem::path path(const std::string& relative) const;
    void remove(const std::string& relative) const;
    void restore(const std::string& relative) const;
    const std::filesystem::path& root() const { return dir_.path(); }

  private:
    test::TempDir dir_;
};

// The main window over a temporary working directory, a fake clock, a fake
// sound player and fake dialogs.
class WindowFixture {
  public:
    explicit WindowFixture(std::uint32_t clockStart = 36'000'000);

    // Creates the window without showing it.
    MainWindow& create();
    // Creates, shows and activates the window and lets the start-up load and
    // the first shake run.
    MainWindow& start();
    MainWindow& window() { return *window_; }

    // The lines of a knowledge-base file of the working directory.
    std::vector<std::string> fileLines(const char* windowsPath) const;

    WorkDir workdir;
    FileStore files;
    FakeClock clock;
    FakeSoundPlayer sound;
    FakeDialogs dialogs;

  private:
    std::unique_ptr<MainWindow> window_;
};

// Types text into a widget one character at a time (Qt Test's keyClicks
// cannot take Cyrillic).
void typeText(QWidget* widget, const QString& text);

// A window's part by its object name, as a test tool finds it; the test
// program stops when there is none.
template <typename T> T* part(const QObject& owner, const char* name) {
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (found == nullptr) {
        qFatal("no part named %s", name);
    }
    return found;
}

// The main window's editor dialog and about box.
EditorDialog& editorOf(const MainWindow& window);
AboutBox& aboutBoxOf(const MainWindow& window);

// Runs one period of a timer now, as if it had elapsed; a stopped timer stays
// stopped unless the tick itself starts it.
void fire(QTimer* timer);

// A test class whose every test function gets a fresh main window, started.
class WindowTest : public QObject {
    Q_OBJECT

  protected:
    WindowFixture& fixture() { return *fixture_; }
    MainWindow& mainWindow() { return fixture_->window(); }
    // Runs after the window has started, before each test function.
    virtual void started() {}

  private slots:
    void init();
    void cleanup();

  private:
    std::unique_ptr<WindowFixture> fixture_;
};

} // namespace besedka::testing
