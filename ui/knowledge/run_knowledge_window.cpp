#include "knowledge/run_knowledge_window.h"

#include "common/design_font.h"
#include "common/program_icon.h"
#include "common/translations.h"
#include "knowledge/knowledge_dialogs.h"
#include "knowledge/knowledge_window.h"

#include <QApplication>

namespace besedka {

int runKnowledgeWindow(int& argc, char** argv, const PathMap& paths) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("besedka"));
    installRussianTranslations(app);
    installProgramIcon();
    installDesignFontSubstitute();
    // The chat window's face, a size up: this window is for reading lines.
    QApplication::setFont(QFont(QLatin1String(kDesignFace), kDesignPointSize + 1));
    StandardKnowledgeDialogs dialogs;
    KnowledgeWindow window(paths, dialogs);
    window.show();
    return QApplication::exec();
}

} // namespace besedka
