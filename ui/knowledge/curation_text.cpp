#include "knowledge/curation_text.h"

#include "common/qt_text.h"
#include "files/file_error.h"

#include <QRegularExpression>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace besedka {
namespace {

struct ReasonWords {
    int code;
    const char* russian;
};

constexpr std::array kReasons{
    ReasonWords{EACCES, "нет прав доступа"},
    ReasonWords{EPERM, "операция не разрешена"},
    ReasonWords{ENOENT, "нет такого файла или папки"},
    ReasonWords{ENOSPC, "на диске нет места"},
    ReasonWords{EDQUOT, "превышена дисковая квота"},
    ReasonWords{EROFS, "файловая система только для чтения"},
    ReasonWords{EISDIR, "это папка"},
    ReasonWords{ENOTDIR, "часть пути — не папка"},
    ReasonWords{EEXIST, "файл уже существует"},
    ReasonWords{EIO, "ошибка ввода-вывода"},
    ReasonWords{ENAMETOOLONG, "слишком длинное имя"},
    ReasonWords{ELOOP, "слишком много символических ссылок"},
    ReasonWords{EBUSY, "устройство или файл заняты"},
    ReasonWords{ENOMEM, "не хватает памяти"},
    ReasonWords{EMFILE, "открыто слишком много файлов"},
    ReasonWords{EFBIG, "файл слишком велик"},
    ReasonWords{ETXTBSY, "файл занят"},
};

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// A reason as the engine words it in English ("Permission denied") in Russian;
// one that is not known is given by its system number.
QString russianReasonText(const QString& english) {
    for (const ReasonWords& reason : kReasons) {
        if (english == QString::fromUtf8(::strerrordesc_np(reason.code))) {
            return QString::fromUtf8(reason.russian);
        }
    }
    if (english == QStringLiteral("Not a regular file")) {
        return QStringLiteral("это не обычный файл");
    }
    return QStringLiteral("системная ошибка");
}

QString fileErrorText(const FileError& error, const std::filesystem::path& workdir) {
    const QString file = toQString(error.path());
    const QString reason =
        error.reason() ? QStringLiteral(": ") + russianReason(error.reason()) : QString();
    switch (error.operation()) {
    case FileError::Operation::Open:
        return QStringLiteral("не удалось открыть файл %1 базы %2%3")
            .arg(file, baseName(workdir), reason);
    case FileError::Operation::Create:
        return QStringLiteral("не удалось записать файл %1 базы %2%3")
            .arg(file, baseName(workdir), reason);
    case FileError::Operation::Lock:
        break;
    }
    return QStringLiteral("не удалось заблокировать папку %1 базы %2%3")
        .arg(file, baseName(workdir), reason);
}

// The engine's curation messages the window can meet, each as a pattern of
// its English and the Russian that says the same; the base is %B.
struct Wording {
    const char* english;
    const char* russian;
};

constexpr std::array kWordings{
    Wording{R"(^no learned line (\d+) (?:of|in) (\S+).*$)",
            "в файле \\2 базы %B нет выученной строки \\1"},
    Wording{R"(^line (\d+) of (\S+) is now .*$)",
            "строка \\1 файла \\2 базы %B изменилась с тех пор, как была показана"},
    Wording{R"(^line (\d+) of (\S+) breaks the grammar.*$)",
            "строка \\1 файла \\2 базы %B нарушает формат базы"},
    Wording{R"(^line (\d+) of (\S+) has no answer (\d+).*$)",
            "у строки \\1 файла \\2 базы %B нет ответа \\3"},
    Wording{R"(^no backup made: .*$)", "резервная копия базы %B не сделана, поэтому ничего не "
                                       "изменено"},
    Wording{R"(^not a besedka-knowledge document: line (\d+), column (\d+).*$)",
            "это не документ базы знаний беседки: ошибка в строке \\1, столбце \\2"},
    Wording{R"(^not a besedka-knowledge document: .*\(byte (\d+)\)$)",
            "это не документ базы знаний беседки: ошибка в байте \\1"},
    Wording{R"(^not a besedka-knowledge document: (\S+?): (.*)$)",
            "это не документ базы знаний беседки: \\1 — \\2"},
    Wording{R"(^no backups: .*$)", "нет папки для резервных копий: не заданы ни XDG_STATE_HOME, "
                                   "ни HOME"},
    Wording{R"(^no backups yet.*$)", "у базы %B ещё нет резервных копий"},
    Wording{R"(^no backup (?:folder )?(\S+).*$)", "у базы %B нет резервной копии \\1"},
    Wording{R"(^backup (\S+) .*$)", "резервная копия \\1 базы %B повреждена или неполна"},
    Wording{R"(^cannot lock (.*): (.*)$)", "не удалось заблокировать базу %B: \\2"},
    Wording{R"(^cannot write (.*): (.*)$)", "не удалось записать \\1: \\2"},
    Wording{R"(^cannot read (.*): (.*)$)", "не удалось прочитать \\1: \\2"},
};

// Reasons inside a message ("...: Permission denied") and the engine's short
// phrases about a document's field, in Russian.
QString translateParts(QString text) {
    for (const ReasonWords& reason : kReasons) {
        text.replace(QString::fromUtf8(::strerrordesc_np(reason.code)),
                     QString::fromUtf8(reason.russian));
    }
    text.replace(QStringLiteral("unknown field"), QStringLiteral("неизвестное поле"));
    text.replace(QStringLiteral("missing"), QStringLiteral("нет такого поля"));
    text.replace(QStringLiteral("twice"), QStringLiteral("дважды"));
    return text;
}

QString wordedAgain(const QString& english, const std::filesystem::path& workdir) {
    for (const Wording& wording : kWordings) {
        const QRegularExpression pattern(QString::fromUtf8(wording.english));
        if (const auto match = pattern.match(english); match.hasMatch()) {
            QString russian = english;
            russian.replace(pattern, QString::fromUtf8(wording.russian));
            return translateParts(russian.replace(QStringLiteral("%B"), baseName(workdir)));
        }
    }
    return QStringLiteral("шаг с базой %1 не выполнен").arg(baseName(workdir));
}

} // namespace

QString russianReason(const std::error_code& reason) {
    return russianReasonText(utf8(reasonText(reason)));
}

QString baseName(const std::filesystem::path& workdir) {
    return QStringLiteral("«%1»").arg(utf8(workdir.string()));
}

QString curationMessage(const Error& error, const std::filesystem::path& workdir) {
    if (error.kind() == Error::Kind::BaseBusy) {
        return QStringLiteral("база занята другой программой, попробуйте ещё раз чуть позже "
                              "(база %1).")
            .arg(baseName(workdir));
    }
    if (error.kind() == Error::Kind::File) { // only a FileError is of this kind
        return fileErrorText(static_cast<const FileError&>(error), workdir) + QLatin1Char('.');
    }
    return wordedAgain(QString::fromUtf8(error.what()), workdir) + QLatin1Char('.');
}

QString curationSentence(const Error& error, const std::filesystem::path& workdir) {
    QString text = curationMessage(error, workdir);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

QString refusalReason(const std::string& english) {
    const QString text = utf8(english);
    static const std::array<std::pair<const char*, const char*>, 4> kReasonsOfTeaching{{
        {R"re(^holds "(.)", which the tree's lines reserve$)re",
         "в ней есть «\\1», этот символ разделяет части строк базы"},
        {R"(^holds a character without a Windows-1251 form$)",
         "в ней есть символ, которого нет в кодировке Windows-1251"},
        {R"(^has nothing left for a key.*$)",
         "от неё не остаётся фразы, когда отброшены знаки препинания в конце"},
        {R"(^follows (\d+) utterances without a blank line.*$)",
         "она идёт после \\1 реплик без пустой строки: строки базы легли бы слишком глубоко"},
    }};
    for (const auto& [reason, russian] : kReasonsOfTeaching) {
        const QRegularExpression pattern(QString::fromUtf8(reason));
        if (pattern.match(text).hasMatch()) {
            return QString(text).replace(pattern, QString::fromUtf8(russian));
        }
    }
    return QStringLiteral("база её не сохранит");
}

} // namespace besedka
