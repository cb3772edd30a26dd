#include "kb/backup_reason.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace besedka::kb {
namespace {

constexpr std::string_view kBefore = "перед: ";

// A phrase in «» as the terminal quotes it: «a» is "a", «a» на «b» is "a" to "b".
std::string quotedPhrases(std::string_view russian) {
    std::string english;
    for (std::size_t at = 0; at < russian.size();) {
        if (russian.substr(at).starts_with("» на «")) {
            english += "\" to \"";
            at += std::string_view("» на «").size();
        } else if (russian.substr(at).starts_with("«") || russian.substr(at).starts_with("»")) {
            english += '"';
            at += std::string_view("«").size();
        } else {
            english += russian[at++];
        }
    }
    return english;
}

// The window's local time of a backup: "сегодня, 14:05", "вчера, 09:30" or
// "07.12.2026, 12:30".
std::string localTime(std::string_view russian) {
    for (const auto& [day, english] : {std::pair{std::string_view("сегодня, "), "today, "},
                                       std::pair{std::string_view("вчера, "), "yesterday, "}}) {
        if (russian.starts_with(day)) {
            return english + std::string(russian.substr(day.size()));
        }
    }
    return std::string(russian);
}

// "строку 3", "строки 5, 7" (the kb commands) or "3 строки" (the window).
std::string linesForgotten(std::string_view russian) {
    if (russian.starts_with("строку ")) {
        return "line " + std::string(russian.substr(std::string_view("строку ").size()));
    }
    if (russian.starts_with("строки ")) {
        return "lines " + std::string(russian.substr(std::string_view("строки ").size()));
    }
    const std::size_t digits = russian.find(' ');
    const std::string_view count = russian.substr(0, digits);
    if (digits == std::string_view::npos || count.empty() ||
        !std::all_of(count.begin(), count.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        return {};
    }
    return std::string(count) + (count == "1" ? " line" : " lines");
}

} // namespace

std::string englishBackupReason(std::string_view recorded) {
    if (!recorded.starts_with(kBefore)) {
        return std::string(recorded);
    }
    const std::string_view what = recorded.substr(kBefore.size());
    if (what == "разговор") {
        return "before: chat";
    }
    constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kForms{{
        {"обучение из ", "teaching from "},
        {"импорт из ", "import from "},
        {"объединение с ", "merge with "},
        {"возврат к копии от ", "restoring the backup of "},
        {"возврат к копии ", "restoring backup "},
        {"изменить фразу ", "changing the key "},
        {"изменить ответ ", "changing the answer "},
        {"добавить ответ ", "adding the answer "},
        {"удалить ответ ", "deleting the answer "},
    }};
    for (const auto& [russian, english] : kForms) {
        if (what.starts_with(russian)) {
            const std::string_view rest = what.substr(russian.size());
            return "before: " + std::string(english) +
                   (russian == "возврат к копии от " ? localTime(rest) : quotedPhrases(rest));
        }
    }
    if (what.starts_with("забыть ")) {
        if (const std::string lines =
                linesForgotten(what.substr(std::string_view("забыть ").size()));
            !lines.empty()) {
            return "before: forgetting " + lines;
        }
    }
    return std::string(recorded);
}

} // namespace besedka::kb
