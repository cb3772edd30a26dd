#include "knowledge/json_fault_text.h"

#include <string_view>
#include <utility>

namespace besedka {
namespace {

// A token of the parser in Russian: punctuation in quotes, the rest named.
QString tokenText(std::string_view token) {
    static const std::pair<std::string_view, const char16_t*> kNames[] = {
        {"'[', '{', or a literal", u"значение"},  {"true literal", u"слово «true»"},
        {"false literal", u"слово «false»"},      {"null literal", u"слово «null»"},
        {"string literal", u"строка в кавычках"}, {"number literal", u"число"},
        {"end of input", u"конец документа"},
    };
    for (const auto& [name, text] : kNames) {
        if (token == name) {
            return QString::fromUtf16(text);
        }
    }
    if (token.size() == 3 && token.front() == '\'' && token.back() == '\'') {
        return QStringLiteral("«%1»").arg(QChar::fromLatin1(token[1]));
    }
    return QStringLiteral("неизвестный знак");
}

// What the reader could not read, by the start of its message.
QString invalidText(std::string_view invalid) {
    static const std::pair<std::string_view, const char16_t*> kReasons[] = {
        {"invalid string: missing closing quote", u"строка без закрывающей кавычки"},
        {"invalid string: ill-formed UTF-8", u"в строке байт не в кодировке «UTF-8»"},
        {"invalid string: control character",
         u"в строке управляющий символ, не записанный через «\\»"},
        {"invalid string: forbidden character after backslash",
         u"в строке недопустимый знак после «\\»"},
        {"invalid string: '\\u' must be followed",
         u"в строке после «\\u» нет четырёх шестнадцатеричных цифр"},
        {"invalid string: surrogate", u"в строке неполная суррогатная пара «\\u»"},
        {"invalid number", u"число записано неверно"},
        {"invalid literal",
         u"слово без кавычек, а так пишут только числа, «true», «false» и «null»"},
        {"invalid comment", u"комментарий, каких в документе быть не может"},
        {"invalid BOM", u"неверная метка порядка байтов в начале"},
    };
    for (const auto& [start, text] : kReasons) {
        if (invalid.starts_with(start)) {
            return QString::fromUtf16(text);
        }
    }
    return QStringLiteral("неверная запись");
}

} // namespace

QString jsonFaultText(const std::string& invalid, const std::string& unexpected,
                      const std::string& expected) {
    if (!invalid.empty() || unexpected.empty()) {
        return invalidText(invalid);
    }
    return expected.empty() ? QStringLiteral("не на своём месте ") + tokenText(unexpected)
                            : QStringLiteral("%1 там, где ожидалось %2")
                                  .arg(tokenText(unexpected), tokenText(expected));
}

} // namespace besedka
