#include "curation/check.h"
#include "engine_fixture.h"
#include "platform_choice.h"
#include "workdir.h"

namespace besedka::test {
namespace {

namespace fs = std::filesystem;

class Workdir : public ::testing::Test {
  protected:
    Workdir() {
        fs::create_directories(starter_.path() / "Base");
        fs::create_directories(starter_.path() / "Sound");
        std::ofstream(starter_.path() / "Base" / "Words.Dat") << "starter tree\r\n";
        std::ofstream(starter_.path() / "Sound" / "Close.wav") << "RIFF";
        environment_.currentDirectory = cwd_.path();
        environment_.home = home_.path().string();
        environment_.starterCandidates = {fs::path("/no/such/place"), starter_.path()};
    }

    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    TempDir starter_, cwd_, home_;
    WorkdirEnvironment environment_;
};

TEST_F(Workdir, GivenDirectoryWins) {
    fs::create_directories(cwd_.path() / "Base");
    EXPECT_EQ(chooseWorkdir(fs::path("/elsewhere"), environment_), fs::path("/elsewhere"));
}

TEST_F(Workdir, CurrentDirectoryWithBaseIsUsedInAnyLetterCase) {
    fs::create_directories(cwd_.path() / "BASE");
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), cwd_.path());
    EXPECT_FALSE(fs::exists(home_.path() / ".local"));
}

TEST_F(Workdir, FirstStartFillsTheDataDirectoryAndLaterStartsKeepLearnedFiles) {
    const fs::path data = home_.path() / ".local" / "share" / "besedka";
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), data);
    EXPECT_EQ(contents(data / "Base" / "Words.Dat"), "starter tree\r\n");
    EXPECT_EQ(contents(data / "Sound" / "Close.wav"), "RIFF");

    std::ofstream(data / "Base" / "Words.Dat") << "learned tree";
    fs::remove(data / "Sound" / "Close.wav");
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), data);
    EXPECT_EQ(contents(data / "Base" / "Words.Dat"), "learned tree");
    EXPECT_FALSE(fs::exists(data / "Sound" / "Close.wav")) << "only the first start fills";
}

TEST_F(Workdir, XdgDataHomeIsHonoured) {
    TempDir xdg;
    environment_.xdgDataHome = xdg.path().string();
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), xdg.path() / "besedka");
    EXPECT_TRUE(fs::exists(xdg.path() / "besedka" / "Base" / "Words.Dat"));
}

TEST_F(Workdir, CopyNeverOverwrites) {
    TempDir target;
    fs::create_directories(target.path() / "Base");
    std::ofstream(target.path() / "Base" / "Words.Dat") << "mine";
    EXPECT_EQ(copyMissingFiles(starter_.path(), target.path()), 1);
    EXPECT_EQ(contents(target.path() / "Base" / "Words.Dat"), "mine");
}

// What a killed or powered-off first start may leave: a stage never moved
// into place, some folders moved but no Base. The next start completes it;
// a tree zeroed by a power loss is a problem kb check names.
TEST_F(Workdir, AnInterruptedFirstStartIsCompletedAndAnEmptyTreeIsAProblem) {
    const fs::path starter = fs::path(BESEDKA_SOURCE_DIR) / "data";
    environment_.starterCandidates = {starter};
    const fs::path data = home_.path() / ".local" / "share" / "besedka";
    fs::create_directories(data / ".besedka-starter-AbC123" / "Base");
    std::ofstream(data / ".besedka-starter-AbC123" / "Base" / "Words.Dat") << "half";
    fs::create_directories(data / "D");
    std::ofstream(data / "D" / "Mine.Dat") << "mine";

    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), data);
    EXPECT_EQ(contents(data / "Base" / "Words.Dat"), contents(starter / "Base" / "Words.Dat"));
    EXPECT_EQ(contents(data / "D" / "Mine.Dat"), "mine");
    EXPECT_EQ(contents(data / "D" / "Txt.Dat"), contents(starter / "D" / "Txt.Dat"));
    for (const auto& entry : fs::directory_iterator(data)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
    EXPECT_TRUE(checkWorkingDirectory(FileStore{PathMap(data)}).ok());
    std::ofstream(data / "Base" / "Words.Dat", std::ios::trunc).flush();
    EXPECT_FALSE(checkWorkingDirectory(FileStore{PathMap(data)}).ok());
}

// A power loss may keep the removal of the stage and lose a rename out of
// it, or a kill may stop the removal midway: Base is there, yet the first
// start is not finished. The next start finishes it, and leaves a Base that
// is there as it is.
TEST_F(Workdir, TheNextStartFinishesAFirstStartThatLeftEntriesOrAStage) {
    const fs::path data = home_.path() / ".local" / "share" / "besedka";
    fs::create_directories(data / "Base");
    std::ofstream(data / "Base" / "Words.Dat") << "learned tree";
    std::ofstream(data / "Base" / "Mine.Dat") << "mine";
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), data);
    EXPECT_EQ(contents(data / "Sound" / "Close.wav"), "RIFF") << "a missing entry is filled";
    EXPECT_EQ(contents(data / "Base" / "Words.Dat"), "learned tree");

    fs::create_directories(data / ".besedka-starter-Zz9876" / "Sound");
    std::ofstream(data / ".besedka-starter-Zz9876" / "Sound" / "Close.wav") << "half";
    fs::remove(data / "Base" / "Words.Dat");
    EXPECT_EQ(chooseWorkdir(std::nullopt, environment_), data);
    EXPECT_FALSE(fs::exists(data / ".besedka-starter-Zz9876")) << "a stage left goes";
    EXPECT_FALSE(fs::exists(data / "Base" / "Words.Dat")) << "Base came whole, or not at all";
    EXPECT_EQ(contents(data / "Base" / "Mine.Dat"), "mine");
    EXPECT_EQ(contents(data / "Sound" / "Close.wav"), "RIFF");
}

// $XDG_DATA_HOME may name folders that are not there yet: each is made.
TEST_F(Workdir, AMissingDataHomeIsMadeWithEveryFolderAboveIt) {
    environment_.xdgDataHome = (home_.path() / "no" / "such" / "home").string();
    const fs::path chosen = chooseWorkdir(std::nullopt, environment_);
    EXPECT_EQ(chosen, home_.path() / "no" / "such" / "home" / "besedka");
    EXPECT_EQ(contents(chosen / "Base" / "Words.Dat"), "starter tree\r\n");
}

TEST_F(Workdir, NoStarterDataLeavesAnEmptyChoice) {
    environment_.starterCandidates.clear();
    const fs::path chosen = chooseWorkdir(std::nullopt, environment_);
    EXPECT_EQ(chosen, home_.path() / ".local" / "share" / "besedka");
    EXPECT_FALSE(fs::exists(chosen / "Base"));
}

// Every combination of QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY; an empty
// variable counts as unset.
TEST(PlatformChoice, UserFirstThenTheDesktopsXServerThenNativeWayland) {
    struct Case {
        const char* qt;
        const char* wayland;
        const char* display;
        const char* platform; // nullptr: the program sets none
        bool movesUnavailable;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, false},
        {nullptr, nullptr, ":0", nullptr, false},
        {nullptr, "wayland-0", ":0", "xcb", false},
        {nullptr, "wayland-0", nullptr, nullptr, true},
        {"wayland", nullptr, nullptr, nullptr, false},
        {"wayland", nullptr, ":0", nullptr, false},
        {"wayland", "wayland-0", ":0", nullptr, false},
        {"wayland", "wayland-0", "", nullptr, false},
        {"", "wayland-0", ":0", "xcb", false},
        {nullptr, "wayland-0", "", nullptr, true},
        {nullptr, "", ":0", nullptr, false},
    };
    for (const Case& c : cases) {
        const PlatformChoice choice = choosePlatform(c.qt, c.wayland, c.display);
        EXPECT_EQ(choice.platform.value_or("none"), c.platform ? c.platform : "none")
            << (c.qt ? c.qt : "-") << ' ' << (c.wayland ? c.wayland : "-") << ' '
            << (c.display ? c.display : "-");
        EXPECT_EQ(choice.movesUnavailable, c.movesUnavailable);
    }
    // No window can open without a display or a platform chosen.
    EXPECT_TRUE(choosePlatform(nullptr, nullptr, nullptr).noDisplay);
    EXPECT_TRUE(choosePlatform(nullptr, "", "").noDisplay);
    EXPECT_FALSE(choosePlatform("offscreen", nullptr, nullptr).noDisplay);
    EXPECT_FALSE(choosePlatform(nullptr, nullptr, ":0").noDisplay);
    EXPECT_FALSE(choosePlatform(nullptr, "wayland-0", nullptr).noDisplay);
}

} // namespace
} // namespace besedka::test
