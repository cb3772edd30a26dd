#pragma once

#include "clock.h"
#include "dialogs.h"
#include "file_store.h"
#include "main_window.h"
#include "sound_player.h"

#include <QStringList>
#include <QTemporaryDir>
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
    std::optional<Color> chooseColor(QWidget* parent, Color initial, const QString& title) override;
    std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial,
                                       bool sizeFixedAt8) override;

    QStringList errors;
    std::deque<std::optional<Color>> colourAnswers;
    std::deque<std::optional<FontSpec>> fontAnswers;
    std::vector<Color> colourRequests; // the colour each colour dialog opened on
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
    const std::filesystem::path& root() const { return root_; }

  private:
    QTemporaryDir dir_;
    std::filesystem::path root_;
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

} // namespace besedka::testing
