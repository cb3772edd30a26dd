#include "common/translations.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace besedka {

bool installRussianTranslations(QApplication& app) {
    // The interface is Russian whatever the user's locale, so Qt's standard
    // dialogs speak Russian too. "qt_ru" gathers the catalogues of every module.
    auto translator = std::make_unique<QTranslator>();
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian), QStringLiteral("qt"), QStringLiteral("_"),
                          directory)) {
        return false;
    }
    translator->setParent(&app);
    return QApplication::installTranslator(translator.release());
}

} // namespace besedka
