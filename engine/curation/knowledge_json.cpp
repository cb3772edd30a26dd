#include "curation/knowledge_json.h"

#include "curation/curation_error.h"
#include "text/cp1251.h"
#include "text/tree_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace besedka {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kFormat = "besedka-knowledge";
constexpr int kVersion = 1;
constexpr std::uint64_t kMaxDepth = 1'000'000;

// ---- writing ----

std::string quoted(std::string_view cp1251) {
    return Json(cp1251ToUtf8(cp1251)).dump();
}

// The line as a record: its parts when they make the very same line again.
std::string treeRecord(std::string_view line, bool header) {
    const TreeLine tree(line);
    if (!header && !treeLineProblem(line)) {
        std::string again(tree.depth(), '_');
        again += tree.key();
        again += '^';
        std::string answers;
        for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
            answers += (i > 1 ? ", " : "") + quoted(tree.answer(i));
            again += tree.answer(i);
            again += ';';
        }
        if (again == line) {
            return "{\"depth\": " + std::to_string(tree.depth()) +
                   ", \"key\": " + quoted(tree.key()) + ", \"answers\": [" + answers + "]}";
        }
    }
    return "{\"line\": " + quoted(line) + "}";
}

// ---- reading ----

[[noreturn]] void refuse(const std::string& where, const std::string& why) {
    throw CurationError("not a besedka-knowledge document: " + where + ": " + why);
}

std::size_t questionMarks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '?'));
}

// A JSON string as one Windows-1251 line.
std::string lineOf(const Json& value, const std::string& where) {
    if (!value.is_string()) {
        refuse(where, "not a string");
    }
    const auto& utf8 = value.get_ref<const std::string&>();
    if (utf8.find_first_of("\r\n") != std::string::npos) {
        refuse(where, "a line break in a line");
    }
    std::string line = utf8ToCp1251(utf8);
    if (questionMarks(line) != questionMarks(utf8)) {
        refuse(where, "a character without a Windows-1251 form");
    }
    return line;
}

void checkFields(const Json& object, std::initializer_list<std::string_view> fields,
                 const std::string& where) {
    for (const auto& [name, value] : object.items()) {
        if (std::find(fields.begin(), fields.end(), name) == fields.end()) {
            refuse(where, "unknown field \"" + name + "\"");
        }
    }
    for (const std::string_view field : fields) {
        if (!object.contains(field)) {
            refuse(where, "no field \"" + std::string(field) + "\"");
        }
    }
}

std::string treeLine(const Json& record, const std::string& where) {
    if (!record.is_object()) {
        refuse(where, "not an object");
    }
    if (record.contains("line")) {
        checkFields(record, {"line"}, where);
        return lineOf(record["line"], where + ".line");
    }
    checkFields(record, {"depth", "key", "answers"}, where);
    const Json& depth = record["depth"];
    if (!depth.is_number_unsigned() || depth.get<std::uint64_t>() > kMaxDepth) {
        refuse(where + ".depth", "not a whole number from 0 to " + std::to_string(kMaxDepth));
    }
    std::string line(depth.get<std::size_t>(), '_');
    const std::string key = lineOf(record["key"], where + ".key");
    if (key.empty() || key.front() == '_' || key.find_first_of("^;") != std::string::npos) {
        refuse(where + ".key", "empty, starting with \"_\", or holding \"^\" or \";\"");
    }
    line += key + '^';
    if (!record["answers"].is_array()) {
        refuse(where + ".answers", "not an array");
    }
    std::size_t number = 0;
    for (const Json& value : record["answers"]) {
        const std::string at = where + ".answers[" + std::to_string(number++) + "]";
        const std::string answer = lineOf(value, at);
        if (answer.empty() || answer.find_first_of("^;") != std::string::npos) {
            refuse(at, "empty, or holding \"^\" or \";\"");
        }
        line += answer + ';';
    }
    return line;
}

TextLines listLines(const Json& lines, const std::string& where) {
    if (!lines.is_array()) {
        refuse(where, "not an array");
    }
    TextLines out;
    out.reserve(lines.size());
    std::size_t number = 0;
    for (const Json& line : lines) {
        out.push_back(lineOf(line, where + "[" + std::to_string(number++) + "]"));
    }
    return out;
}

Json parsed(std::string_view json) {
    try {
        return Json::parse(json);
    } catch (const Json::parse_error& error) {
        std::string reason = error.what();
        reason.erase(0, reason.find("] ") == std::string::npos ? 0 : reason.find("] ") + 2);
        refuse("byte " + std::to_string(error.byte), reason);
    }
}

} // namespace

std::string knowledgeJson(const KnowledgeContent& content) {
    std::string out =
        "{\"format\": \"" + std::string(kFormat) + "\", \"version\": " + std::to_string(kVersion);
    if (content.tree) {
        out += ",\n\"tree\": [";
        for (std::size_t i = 0; i < content.tree->size(); ++i) {
            out += i == 0 ? "\n  " : ",\n  ";
            out += treeRecord((*content.tree)[i], i == 0);
        }
        out += "\n]";
    }
    out += ",\n\"lists\": {";
    for (std::size_t i = 0; i < content.lists.size(); ++i) {
        out += (i == 0 ? "\n  " : ",\n  ") + Json(content.lists[i].name).dump() + ": [";
        const TextLines& lines = content.lists[i].lines;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            out += (k == 0 ? "\n    " : ",\n    ") + quoted(lines[k]);
        }
        out += "\n  ]";
    }
    out += "\n}}\n";
    return out;
}

KnowledgeContent parseKnowledgeJson(std::string_view json) {
    const Json document = parsed(json);
    if (!document.is_object() || !document.contains("format") ||
        document["format"] != std::string(kFormat)) {
        refuse("format", "not \"" + std::string(kFormat) + "\"");
    }
    if (!document.contains("version") || document["version"] != kVersion) {
        refuse("version", "not " + std::to_string(kVersion));
    }
    KnowledgeContent content;
    const std::vector<std::string> names = replyListNames();
    for (const auto& [name, value] : document.items()) {
        if (name == "tree") {
            if (!value.is_array()) {
                refuse("tree", "not an array");
            }
            content.tree.emplace();
            content.tree->reserve(value.size());
            for (std::size_t i = 0; i < value.size(); ++i) {
                content.tree->push_back(treeLine(value[i], "tree[" + std::to_string(i) + "]"));
            }
        } else if (name == "lists") {
            if (!value.is_object()) {
                refuse("lists", "not an object");
            }
            for (const auto& [list, lines] : value.items()) {
                if (std::find(names.begin(), names.end(), list) == names.end()) {
                    refuse("lists", "no reply list is called \"" + list + "\"");
                }
                content.lists.push_back({list, listLines(lines, "lists." + list)});
            }
        } else if (name != "format" && name != "version") {
            refuse(name, "unknown field");
        }
    }
    return content;
}

} // namespace besedka
