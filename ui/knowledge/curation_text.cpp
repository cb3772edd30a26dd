#include "knowledge/curation_text.h"

#include "common/qt_text.h"
#include "curation/curation_error.h"
#include "files/file_error.h"
#include "knowledge/refusal_text.h"

#include <array>
#include <cerrno>

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

} // namespace

QString russianReason(const std::error_code& reason) {
    if (reason == notARegularFile()) {
        return QStringLiteral("это не обычный файл");
    }
    if (reason == linkOfAnotherUser()) {
        return QStringLiteral("это символическая ссылка другого пользователя, по ней программа "
                              "не идёт");
    }
    if (reason.category() == std::system_category() ||
        reason.category() == std::generic_category()) {
        for (const ReasonWords& words : kReasons) {
            if (reason.value() == words.code) {
                return QString::fromUtf8(words.russian);
            }
        }
    }
    return QStringLiteral("системная ошибка");
}

QString baseName(const std::filesystem::path& workdir) {
    return QStringLiteral("«%1»").arg(utf8(workdir.string()));
}

QString curationMessage(const Error& error, const std::filesystem::path& workdir) {
    switch (error.kind()) {
    case Error::Kind::File: // only a FileError is of this kind
        return fileErrorText(static_cast<const FileError&>(error), workdir) + QLatin1Char('.');
    case Error::Kind::Curation:
    case Error::Kind::BaseBusy:
        break;
    }
    // Only a CurationError is of the others.
    const auto& refused = static_cast<const CurationError&>(error);
    return refusalText(refused.code(), refused.facts(), workdir) + QLatin1Char('.');
}

QString curationSentence(const Error& error, const std::filesystem::path& workdir) {
    QString text = curationMessage(error, workdir);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

QString refusalReason(const RefusedLine& refused, const std::filesystem::path& workdir) {
    return refusalText(refused.code, refused.facts, workdir);
}

QString backupFailureCause(BackupProblem::Cause cause, const std::string& path,
                           const std::error_code& reason) {
    switch (cause) {
    case BackupProblem::Cause::NoStateHome:
        return QStringLiteral("не задана домашняя папка, где их хранить");
    case BackupProblem::Cause::OutOfMemory:
        return QStringLiteral("не хватило памяти");
    case BackupProblem::Cause::File:
        break;
    }
    return QStringLiteral("файл «%1»: %2").arg(utf8(path), russianReason(reason));
}

QString backupFailureCause(const BackupProblem& problem) {
    return backupFailureCause(problem.cause, problem.path.string(), problem.reason);
}

} // namespace besedka
