#include "chat/run_window.h"

#include "chat/main_window.h"
#include "chat/qt_sound_player.h"
#include "chat/sound_files.h"
#include "common/design_font.h"
#include "common/program_icon.h"
#include "common/standard_dialogs.h"
#include "common/translations.h"
#include "files/backups.h"
#include "files/file_store.h"
#include "talk/clock.h"

#include <QApplication>

namespace besedka {

int runWindow(int& argc, char** argv, const PathMap& paths,
              const std::function<void(MainWindow&)>& shown) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("besedka"));
    // The main window is a tool window, which Qt does not count when deciding
    // that the last window has closed; the program ends when it closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installRussianTranslations(app);
    installProgramIcon();
    installDesignFontSubstitute();

    StandardDialogs dialogs;
    if (const auto problem = soundFileProblem(paths)) {
        dialogs.showError(nullptr, *problem);
        return 1;
    }
    QtSoundPlayer sound(paths);
    FileStore files(paths);
    backUpBeforeFirstWrite(
        files, [](const BackupProblem& problem) { qWarning("besedka: %s", problem.text.c_str()); },
        "перед: разговор");
    files.setNotice([](const std::string& notice) { qWarning("besedka: %s", notice.c_str()); });
    const auto clock = clockFromEnvironment();

    MainWindow window(files, *clock, sound, dialogs);
    QObject::connect(&window, &MainWindow::closed, &app, &QCoreApplication::quit);
    window.showCentred();
    if (shown) {
        shown(window);
    }
    return QApplication::exec();
}

} // namespace besedka
