#include "knowledge/answer_text.h"

#include "common/qt_text.h"
#include "talk/responder_rules.h"
#include "text/russian.h"

namespace besedka {
namespace {

// Past this many characters a key, an entry or a reply is cut with "…": one
// long word would otherwise widen the window past the screen.
constexpr qsizetype kShownLength = 40;

QString quoted(const QString& text) {
    const QString shown =
        text.size() > kShownLength ? text.left(kShownLength - 1) + QChar(0x2026) : text;
    return QStringLiteral("«%1»").arg(shown);
}

QString quoted(std::string_view cp1251) {
    return quoted(toQString(cp1251));
}

QString fileName(const std::string& windowsPath) {
    return QString::fromStdString(windowsPath);
}

QString treeLineText(const AnswerExplained& explained) {
    QString place = QStringLiteral("Ответит строка дерева ") + number(*explained.lineNumber);
    if (explained.afterNumber && explained.answering.inBranch) {
        place += QStringLiteral(" в ветви строки ") + number(*explained.afterNumber);
    } else if (explained.afterNumber) {
        place += QStringLiteral(" (в ветви строки %1 для фразы строки нет)")
                     .arg(number(*explained.afterNumber));
    }
    return place + QStringLiteral(": её ключ %1 есть во фразе.").arg(quoted(explained.key));
}

QString nothingText(const AnswerExplained& explained) {
    if (explained.replyFile.empty()) {
        return QStringLiteral("Ничего: ни одна строка дерева не отвечает, а фраза касается "
                              "личной темы (%1), поэтому чат повторит свой последний ответ "
                              "и ничего не выучит.")
            .arg(quoted(explained.answering.entry));
    }
    return QStringLiteral("Ничего: ни одна строка дерева не отвечает, поэтому ответ возьмётся "
                          "из %1, а чат выучит фразу.")
        .arg(fileName(explained.replyFile));
}

QString longPhraseText(const AnswerExplained& explained) {
    const std::size_t length = explained.answering.shownLength;
    const QString gate =
        QStringLiteral("Длинная фраза: %1 %2, а длинной считается фраза от %3; в %4 случаях "
                       "из %5 ответ возьмётся из %6, в остальных:\n")
            .arg(number(length),
                 QString::fromUtf8(russianPlural(length, "знак", "знака", "знаков").data()),
                 number(kLongPhrase), QString::number(kGateOpenings), QString::number(kGateDraws),
                 fileName(explained.replyFile));
    if (explained.lineNumber) {
        return gate + treeLineText(explained);
    }
    return gate + QStringLiteral("ни одна строка дерева не отвечает, и чат выучит фразу.");
}

} // namespace

QString answerText(const AnswerExplained& explained) {
    switch (explained.answering.step) {
    case Answering::Step::Repeat:
        return QStringLiteral("Повтор: это снова фраза, сказанная перед ней; ответ возьмётся "
                              "из %1.")
            .arg(fileName(explained.replyFile));
    case Answering::Step::Insult:
        return QStringLiteral("Список оскорблений: во фразе есть %1; ответ возьмётся из %2.")
            .arg(quoted(explained.answering.entry), fileName(explained.replyFile));
    case Answering::Step::LongPhrase:
        return longPhraseText(explained);
    case Answering::Step::Tree:
        return treeLineText(explained);
    case Answering::Step::Nothing:
        return nothingText(explained);
    }
    return {};
}

QString unknownReplyText(const QString& reply) {
    return QStringLiteral("Ни в одной строке дерева нет ответа %1: в поле «после реплики» "
                          "пишут ответ, который даёт дерево.")
        .arg(quoted(reply));
}

QString notInCodePageText(char32_t character) {
    return QStringLiteral("Знака %1 нет в кодировке Windows-1251, в которой работает база, "
                          "поэтому проверить такой текст нельзя.")
        .arg(quoted(QString::fromUcs4(&character, 1)));
}

} // namespace besedka
