#include "answers.h"

#include "curation/stats.h"

#include <nlohmann/json.hpp>

namespace besedka::server {
namespace {

using json = nlohmann::ordered_json;

std::string dumped(const json& body) {
    // Text from the hub is UTF-8 already; a broken byte is replaced, never
    // a reason to fail an answer whose turn has happened.
    return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

json figure(const std::optional<std::uintmax_t>& value) {
    return value ? json(*value) : json(nullptr);
}

json figures(const std::vector<FileFigure>& files) {
    json byName = json::object();
    for (const FileFigure& file : files) {
        byName[file.name] = figure(file.value);
    }
    return byName;
}

ErrorCode codeOf(TurnErrorCode code) {
    switch (code) {
    case TurnErrorCode::BadConversation:
        return ErrorCode::BadConversationId;
    case TurnErrorCode::NothingToSay:
        return ErrorCode::NothingToSay;
    case TurnErrorCode::ReservedCharacters:
        return ErrorCode::ReservedCharacters;
    case TurnErrorCode::TooManyConversations:
        return ErrorCode::TooManyConversations;
    case TurnErrorCode::BaseBusy:
        return ErrorCode::BaseBusy;
    case TurnErrorCode::FileError:
        return ErrorCode::FileError;
    case TurnErrorCode::ShuttingDown:
        return ErrorCode::ShuttingDown;
    }
    return ErrorCode::Internal;
}

} // namespace

ApiError turnError(const TurnError& error) {
    return {codeOf(error.code), error.message};
}

std::string turnBody(const TurnOutcome& outcome, bool withTrace) {
    json body{{"conversation", outcome.conversation},
              {"shown", outcome.shown},
              {"reply", outcome.reply},
              {"learned", outcome.learned},
              {"ended", outcome.ended}};
    if (withTrace) {
        body["trace"] = outcome.trace;
    }
    return dumped(body);
}

std::string transcriptBody(std::string_view conversation, const std::vector<std::string>& lines) {
    return dumped(json{{"conversation", conversation}, {"lines", lines}});
}

std::string endedBody(std::string_view conversation) {
    return dumped(json{{"conversation", conversation}, {"ended", true}});
}

std::string statsBody(const KnowledgeStats& stats) {
    const TreeFigures& tree = stats.tree;
    const json body{
        {"tree_lines", tree.lines},
        {"learned_phrases", tree.learned()},
        {"root_lines", tree.roots},
        {"branch_lines_by_depth", tree.branches}, // 1, 2, 3 and deeper
        {"lines_with_answers", tree.withAnswers},
        {"lines_without_answers", tree.learned() - tree.withAnswers},
        {"answers", tree.answers},
        {"lines_that_break_the_grammar", tree.broken},
        {"list_lines", figures(stats.listLines)},
        {"dialogues_in_log", stats.dialogues ? json(*stats.dialogues) : json(nullptr)},
        {"file_sizes", figures(stats.fileBytes)},
    };
    return dumped(body);
}

} // namespace besedka::server
