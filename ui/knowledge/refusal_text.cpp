#include "knowledge/refusal_text.h"

#include "common/qt_text.h"
#include "knowledge/curation_text.h"
#include "knowledge/json_fault_text.h"
#include "text/tree_line.h"

#include <QStringList>

namespace besedka {
namespace {

QString utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString quoted(const std::string& utf8Text) {
    return QStringLiteral("«%1»").arg(utf8(utf8Text));
}

// What is wrong with a line of the tree, as a clause.
QString grammarFault(TreeLineFault fault) {
    switch (fault) {
    case TreeLineFault::EmptyLine:
        return QStringLiteral("строка пуста");
    case TreeLineFault::NoSeparator:
        return QStringLiteral("после фразы нет «^»");
    case TreeLineFault::EmptyKey:
        return QStringLiteral("в ней нет фразы");
    case TreeLineFault::SemicolonInKey:
        return QStringLiteral("во фразе есть «;»");
    case TreeLineFault::CaretAmongAnswers:
        return QStringLiteral("среди ответов есть «^»");
    case TreeLineFault::UnclosedAnswer:
        return QStringLiteral("последний ответ не закрыт «;»");
    case TreeLineFault::EmptyAnswer:
        return QStringLiteral("в ней есть пустой ответ");
    }
    return {};
}

QString quotedNames(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names) {
        list << quoted(name);
    }
    return list.join(QStringLiteral(", "));
}

// The file of the facts and why it failed: "«/a/b»: нет прав доступа".
QString fileWithReason(const RefusalFacts& facts) {
    return facts.reason ? quoted(facts.path) + QStringLiteral(": ") + russianReason(facts.reason)
                        : quoted(facts.path);
}

// The file of a base: the working directory of the facts when they name one.
QString fileOfBase(const RefusalFacts& facts) {
    return facts.workdir.empty()
               ? fileWithReason(facts)
               : QStringLiteral("%1 базы %2").arg(quoted(facts.path), baseName(facts.workdir)) +
                     (facts.reason ? QStringLiteral(": ") + russianReason(facts.reason)
                                   : QString());
}

QString learnedLine(const RefusalFacts& facts, const QString& base) {
    return QStringLiteral("строка %1 файла %2 базы %3")
        .arg(number(facts.line), quoted(facts.path), base);
}

QString noBackup(const QString& cause, const QString& base) {
    return QStringLiteral("не удалось сделать резервную копию (%1), а без неё база %2 не меняется")
        .arg(cause, base);
}

// What an export document holds in a place where it does not belong.
QString misplaced(const RefusalFacts& facts, const QString& value) {
    return QStringLiteral("в %1 не место %2").arg(quoted(facts.path), value);
}

// A document that cannot be imported or merged, and why.
QString notADocument(const QString& why) {
    return QStringLiteral("это не документ базы знаний беседки: ") + why;
}

} // namespace

QString refusalText(Refusal code, const RefusalFacts& facts, const std::filesystem::path& workdir) {
    const QString base = baseName(facts.workdir.empty() ? workdir : facts.workdir);
    switch (code) {
    case Refusal::NoLearnedLine:
        return QStringLiteral("в файле %1 базы %2 нет выученной строки %3")
                   .arg(quoted(facts.path), base, number(facts.line)) +
               (facts.total > 0
                    ? QStringLiteral(" (в нём строки со 2-й по %1-ю)").arg(number(facts.total))
                    : QString());
    case Refusal::LineChanged:
        return learnedLine(facts, base) +
               QStringLiteral(" изменилась с тех пор, как была показана, теперь она такая: %1")
                   .arg(quoted(facts.text));
    case Refusal::LineBreaksGrammar:
        return learnedLine(facts, base) + QStringLiteral(" нарушает формат базы: ") +
               grammarFault(static_cast<TreeLineFault>(facts.number));
    case Refusal::NoSuchAnswer:
        return QStringLiteral("у строки %1 файла %2 базы %3 нет ответа %4")
            .arg(number(facts.line), quoted(facts.path), base, number(facts.number));
    case Refusal::PhraseEmpty:
        return QStringLiteral("пустой текст сохранить нельзя");
    case Refusal::PhraseDelimiter:
        return QStringLiteral("в тексте есть «^», «_» или «;», а они разделяют части строк базы");
    case Refusal::PhraseControl:
        return QStringLiteral("в тексте есть перевод строки или другой управляющий символ");
    case Refusal::PhraseNotInCodePage:
        return QStringLiteral("в тексте есть символ, которого нет в кодировке базы");
    case Refusal::NoBackupWithoutStateHome:
        return noBackup(backupFailureCause(BackupProblem::Cause::NoStateHome, facts.path, {}),
                        base);
    case Refusal::NoBackupWithoutMemory:
        return noBackup(backupFailureCause(BackupProblem::Cause::OutOfMemory, facts.path, {}),
                        base);
    case Refusal::NoBackupFileFailed:
        return noBackup(backupFailureCause(BackupProblem::Cause::File, facts.path, facts.reason),
                        base);
    case Refusal::NoBackupsWithoutStateHome:
        return QStringLiteral("неизвестно, где искать резервные копии: не задана домашняя папка");
    case Refusal::NoBackupFolder:
        return QStringLiteral("нет папки резервной копии %1").arg(quoted(facts.path));
    case Refusal::AmbiguousBackup:
        return QStringLiteral("с %1 начинаются несколько резервных копий базы %2: %3; укажите "
                              "копию точнее")
            .arg(quoted(facts.text), base, quotedNames(facts.names));
    case Refusal::NoBackupsYet:
        return QStringLiteral("у базы %1 ещё нет резервных копий (папка %2)")
            .arg(base, quoted(facts.path));
    case Refusal::NoSuchBackup:
        return QStringLiteral("у базы %1 нет резервной копии %2").arg(base, quoted(facts.text)) +
               (facts.names.empty()
                    ? QString()
                    : QStringLiteral(" (ближайшие: %1)").arg(quotedNames(facts.names)));
    case Refusal::BackupsUnreadable:
        return QStringLiteral("не удалось прочитать резервные копии: %1")
            .arg(fileWithReason(facts));
    case Refusal::BackupDamaged:
        return QStringLiteral("резервная копия %1 базы %2 повреждена или неполна")
            .arg(quoted(facts.text), base);
    case Refusal::RestoreNotPlaced:
        return QStringLiteral("не удалось записать %1, база %2 осталась как была")
            .arg(fileWithReason(facts), base);
    case Refusal::RestoreUnfinished:
        return QStringLiteral("не удалось записать %1; база %2 возвращается к копии %3, и это "
                              "закончит следующий запуск, который её изменит")
            .arg(fileWithReason(facts), base, quoted(facts.text));
    case Refusal::RestoreFailed:
        return QStringLiteral("сбой при работе с файлом %1").arg(fileWithReason(facts));
    case Refusal::FileNotOpened:
        return QStringLiteral("не удалось открыть файл %1").arg(fileOfBase(facts));
    case Refusal::FileNotWritten:
        return QStringLiteral("не удалось записать файл %1").arg(fileOfBase(facts));
    case Refusal::FolderNotLocked:
        return QStringLiteral("не удалось заблокировать папку %1").arg(fileOfBase(facts));
    case Refusal::TextIsExportDocument:
        return QStringLiteral("это документ с базой знаний: его не учат, а импортируют или "
                              "объединяют с базой");
    case Refusal::NotAText:
        return QStringLiteral("это не текст: в %1 из %2 его строк есть управляющие символы")
            .arg(number(facts.number), number(facts.total));
    case Refusal::UtteranceControl:
        return QStringLiteral("в ней есть управляющий символ с кодом %1, а во фразе его быть "
                              "не может")
            .arg(quoted(facts.text));
    case Refusal::UtteranceReserved:
        return QStringLiteral("в ней есть %1, этот символ разделяет части строк базы")
            .arg(quoted(facts.text));
    case Refusal::UtteranceNotInCodePage:
        return QStringLiteral("в ней есть символ, которого нет в кодировке базы");
    case Refusal::UtteranceWithoutKey:
        return QStringLiteral("от неё не остаётся фразы, когда отброшены знаки препинания в конце");
    case Refusal::UtteranceKeyTooLong:
        return QStringLiteral("как фраза базы она слишком длинная (символов: %1), а беседа "
                              "принимает не больше %2")
            .arg(number(facts.number), number(facts.total));
    case Refusal::UtteranceTooDeep:
        return QStringLiteral("она идёт после %1 реплик без пустой строки: строки базы легли бы "
                              "слишком глубоко")
            .arg(number(facts.number));
    case Refusal::DocumentSyntax:
        return notADocument(
            QStringLiteral("ошибка в записи в строке %1, столбце %2 (байт %3): %4")
                .arg(number(facts.line), number(facts.total), number(facts.number),
                     jsonFaultText(facts.text, facts.names.empty() ? "" : facts.names[0],
                                   facts.names.size() < 2 ? "" : facts.names[1])));
    case Refusal::DocumentNulByte:
        return notADocument(QStringLiteral("нулевой байт, какого в нём быть не может (байт %1)")
                                .arg(number(facts.number)));
    case Refusal::DocumentFieldMissing:
        return notADocument(QStringLiteral("нет поля %1").arg(quoted(facts.path)));
    case Refusal::DocumentVersionUnknown:
        return notADocument(QStringLiteral("его версию %1 эта программа прочитать не может")
                                .arg(number(facts.number)));
    case Refusal::DocumentFormatUnknown:
        return notADocument(QStringLiteral("его формат %1, а не %2")
                                .arg(quoted(facts.text), quoted("besedka-knowledge")));
    case Refusal::DocumentTooDeep:
        return notADocument(
            QStringLiteral("в %1 уровень глубже %2").arg(quoted(facts.path), number(facts.number)));
    case Refusal::DocumentNullMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("пустому значению")));
    case Refusal::DocumentBooleanMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("значению «да» или «нет»")));
    case Refusal::DocumentNegativeMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("отрицательному числу")));
    case Refusal::DocumentFractionMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("дробному числу")));
    case Refusal::DocumentBinaryMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("двоичным данным")));
    case Refusal::DocumentNumberMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("числу %1").arg(number(facts.number))));
    case Refusal::DocumentStringMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("строке")));
    case Refusal::DocumentObjectMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("объекту")));
    case Refusal::DocumentArrayMisplaced:
        return notADocument(misplaced(facts, QStringLiteral("списку")));
    case Refusal::DocumentAnswerMalformed:
        return notADocument(
            QStringLiteral("ответ %1 пуст или в нём есть «^» или «;»").arg(quoted(facts.path)));
    case Refusal::DocumentUnknownField:
        return notADocument(facts.path == facts.text
                                ? QStringLiteral("неизвестное поле %1").arg(quoted(facts.text))
                                : QStringLiteral("неизвестное поле %1 в %2")
                                      .arg(quoted(facts.text), quoted(facts.path)));
    case Refusal::DocumentFieldTwice:
        return notADocument(
            QStringLiteral("поле %1 дважды в %2").arg(quoted(facts.text), quoted(facts.path)));
    case Refusal::DocumentNoSuchList:
        return notADocument(QStringLiteral("нет списка ответов %1").arg(quoted(facts.text)));
    case Refusal::DocumentLineBreak:
        return notADocument(QStringLiteral("перевод строки в %1").arg(quoted(facts.path)));
    case Refusal::DocumentNotInCodePage:
        return notADocument(QStringLiteral("в %1 есть символ, которого нет в кодировке базы")
                                .arg(quoted(facts.path)));
    case Refusal::DocumentLineWithFields:
        return notADocument(
            QStringLiteral("в %1 поле «line» вместе с другими полями").arg(quoted(facts.path)));
    case Refusal::DocumentRecordIncomplete:
        return notADocument(
            QStringLiteral("в %1 нет ни поля «line», ни всех полей «depth», «key» и «answers»")
                .arg(quoted(facts.path)));
    case Refusal::DocumentKeyMalformed:
        return notADocument(
            QStringLiteral("ключ %1 пуст, начинается с «_» или в нём есть «^» или «;»")
                .arg(quoted(facts.path)));
    case Refusal::DocumentKeyNotInCapitals:
        return notADocument(
            QStringLiteral("ключ %1 не заглавными буквами, и ни одна фраза с ним не совпадёт")
                .arg(quoted(facts.path)));
    case Refusal::NoLineAnswers:
        return QStringLiteral("ни одна строка базы %1 не отвечает %2")
            .arg(base, quoted(facts.text));
    case Refusal::NotABackupsFolder:
        return QStringLiteral("%1 — не папка резервных копий").arg(quoted(facts.path));
    case Refusal::BackupsNotRemoved:
        return QStringLiteral("не удалось удалить резервные копии: %1").arg(fileWithReason(facts));
    case Refusal::BaseBusy:
        break;
    }
    return QStringLiteral("база занята другой программой, попробуйте ещё раз чуть позже (база %1)")
        .arg(base);
}

} // namespace besedka
