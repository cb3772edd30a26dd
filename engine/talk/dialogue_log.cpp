#include "talk/dialogue_log.h"

#include "files/file_store.h"
#include "files/kb_paths.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "text/russian.h"

#include <cstdio>

namespace besedka {

std::string logDate(const LocalDateTime& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", now.day, now.month, now.year);
    return text;
}

std::string logTime(const LocalDateTime& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", now.hour, now.minute, now.second);
    return text;
}

std::vector<std::string> logBlockHeader(const LocalDateTime& now, long learnedPhrases) {
    const std::string indent(22, ' ');
    return {
        "",
        std::string(80, '-'),
        indent + std::string(30, '_'),
        indent + ru("Дата - ") + logDate(now) + "   |   " + ru("Время -") + logTime(now),
        indent + std::string(30, '~'),
        ru("//Загружено фраз выученных программой: ") + std::to_string(learnedPhrases),
    };
}

std::string logBlockEnd() {
    return std::string(53, '=');
}

void Engine::appendDialogueLog(const LocalDateTime& now) {
    const auto hold = holdKnowledgeBase();
    StringList log = knowledge_.load(paths::kLog);
    const long learned = static_cast<long>(knowledge_.load(paths::kWordsAtCreation).count()) - 1;
    for (const auto& line : logBlockHeader(now, learned)) {
        log.append(line);
    }
    for (const auto& line : dialogue_.transcript()) {
        log.append(line);
    }
    log.append(logBlockEnd());
    knowledge_.save(paths::kLog, log);
}

} // namespace besedka
