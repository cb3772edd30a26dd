#include "curation/knowledge_json.h"

#include "curation/json_syntax.h"

#include "curation/curation_error.h"
#include "text/cp1251.h"
#include "text/russian.h"
#include "text/tree_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>

namespace besedka {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kFormat = "besedka-knowledge";
constexpr std::uint64_t kVersion = 1;
constexpr std::uint64_t kMaxDepth = 1'000'000;

bool inCapitals(std::string_view key) {
    return cyrillicUpper(key) == key;
}

// ---- writing ----

// A Windows-1251 line as a JSON string. The writing is done here rather than
// through the JSON library's values, which made export several times slower
// than reading the tree: a string needs only its quotes, backslashes and
// control characters escaped, and UTF-8 from Windows-1251 is always valid.
void appendQuoted(std::string& out, std::string_view cp1251) {
    out += '"';
    const bool plain = std::none_of(cp1251.begin(), cp1251.end(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
    if (plain) { // the usual line: converted in one go
        const std::size_t used = out.size();
        out.resize(used + 3 * cp1251.size() + 1);
        out.resize(static_cast<std::size_t>(cp1251ToUtf8(cp1251, out.data() + used) - out.data()));
        out += '"';
        return;
    }
    for (const char c : cp1251) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            char utf8[4];
            out.append(utf8, cp1251ToUtf8(std::string_view(&c, 1), utf8));
        }
    }
    out += '"';
}

// The line as a record: its parts when they make the very same line again.
void appendTreeRecord(std::string& out, std::string_view line, bool header) {
    const TreeLine tree(line);
    if (!header && !treeLineProblem(line) && inCapitals(tree.key())) {
        std::size_t length = tree.depth() + tree.key().size() + 1;
        for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
            length += tree.answer(i).size() + 1;
        }
        if (length == line.size()) {
            out += "{\"depth\": " + std::to_string(tree.depth()) + ", \"key\": ";
            appendQuoted(out, tree.key());
            out += ", \"answers\": [";
            for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
                out += i > 1 ? ", " : "";
                appendQuoted(out, tree.answer(i));
            }
            out += "]}";
            return;
        }
    }
    out += "{\"line\": ";
    appendQuoted(out, line);
    out += '}';
}

// ---- reading ----

constexpr std::string_view kNotADocument = "not a besedka-knowledge document: ";

// Refuses the document for what is `where` in it; `facts` are the code's
// others.
[[noreturn]] void refuse(Refusal code, const std::string& where, const std::string& why,
                         RefusalFacts facts = {}) {
    facts.path = where;
    throw CurationError(code, std::move(facts), std::string(kNotADocument) + where + ": " + why);
}

RefusalFacts numberFact(std::size_t number) {
    RefusalFacts facts;
    facts.number = number;
    return facts;
}

RefusalFacts textFact(const std::string& text) {
    RefusalFacts facts;
    facts.text = text;
    return facts;
}

std::size_t questionMarks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '?'));
}

// Reads the document as the parser meets it, without holding it whole: what
// is read goes straight into the lines. Any misplaced value is refused with
// its place in the document ("tree[12].answers[0]").
class DocumentReader final : public nlohmann::json_sax<Json> {
  public:
    KnowledgeContent content;

    void finish() const {
        if (!formatSeen_) {
            refuse(Refusal::DocumentFieldMissing, "format", "missing");
        }
        if (!versionSeen_) {
            refuse(Refusal::DocumentFieldMissing, "version", "missing");
        }
    }

    bool null() override { return misplaced(Refusal::DocumentNullMisplaced, "null"); }
    bool boolean(bool) override {
        return misplaced(Refusal::DocumentBooleanMisplaced, "true or false");
    }
    bool number_integer(number_integer_t) override {
        return misplaced(Refusal::DocumentNegativeMisplaced, "a negative number");
    }
    bool number_float(number_float_t, const string_t&) override {
        return misplaced(Refusal::DocumentFractionMisplaced, "a fraction");
    }
    bool binary(binary_t&) override {
        return misplaced(Refusal::DocumentBinaryMisplaced, "binary data");
    }

    bool number_unsigned(number_unsigned_t value) override {
        if (at_ == At::Top && field_ == "version") {
            if (value != kVersion) {
                refuse(Refusal::DocumentVersionUnknown, "version",
                       std::to_string(value) + ", which this program cannot read",
                       numberFact(static_cast<std::size_t>(value)));
            }
            versionSeen_ = true;
        } else if (at_ == At::Record && field_ == "depth") {
            if (value > kMaxDepth) {
                refuseHere(Refusal::DocumentTooDeep, "deeper than " + std::to_string(kMaxDepth),
                           numberFact(kMaxDepth));
            }
            depth_ = static_cast<std::size_t>(value);
        } else {
            return misplaced(Refusal::DocumentNumberMisplaced,
                             "the number " + std::to_string(value),
                             numberFact(static_cast<std::size_t>(value)));
        }
        return true;
    }

    bool string(string_t& value) override {
        if (at_ == At::Top && field_ == "format") {
            if (value != kFormat) {
                refuse(Refusal::DocumentFormatUnknown, "format",
                       "\"" + value + "\", not \"" + std::string(kFormat) + "\"", textFact(value));
            }
            formatSeen_ = true;
        } else if (at_ == At::Record && (field_ == "line" || field_ == "key")) {
            (field_ == "line" ? line_ : key_) = lineOf(value);
        } else if (at_ == At::Answers) {
            const std::string answer = lineOf(value);
            if (answer.empty() || answer.find_first_of("^;") != std::string::npos) {
                refuseHere(Refusal::DocumentAnswerMalformed, "empty, or holding \"^\" or \";\"");
            }
            answers_ += answer + ';';
            ++item_;
        } else if (at_ == At::List) {
            content.lists.back().lines.push_back(lineOf(value));
            ++item_;
        } else {
            return misplaced(Refusal::DocumentStringMisplaced, "a string");
        }
        return true;
    }

    bool start_object(std::size_t) override {
        if (at_ == At::Start) {
            at_ = At::Top;
        } else if (at_ == At::Tree) {
            at_ = At::Record;
            fields_.clear();
            line_.reset();
            key_.reset();
            depth_.reset();
            answers_.clear();
            answersSeen_ = false;
        } else if (at_ == At::Top && field_ == "lists") {
            at_ = At::Lists;
        } else {
            return misplaced(Refusal::DocumentObjectMisplaced, "an object");
        }
        return true;
    }

    bool key(string_t& name) override {
        field_ = name;
        if (at_ == At::Top) {
            if (name != "format" && name != "version" && name != "tree" && name != "lists") {
                refuse(Refusal::DocumentUnknownField, name, "unknown field", textFact(name));
            }
        } else if (at_ == At::Record) {
            if (name != "line" && name != "depth" && name != "key" && name != "answers") {
                refuse(Refusal::DocumentUnknownField, place(), "unknown field \"" + name + "\"",
                       textFact(name));
            }
            if (fields_.find(name) != std::string::npos) {
                refuse(Refusal::DocumentFieldTwice, place(), "the field \"" + name + "\" twice",
                       textFact(name));
            }
            fields_ += name + ' ';
        } else if (at_ == At::Lists) {
            const std::vector<std::string> names = replyListNames();
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                refuse(Refusal::DocumentNoSuchList, "lists",
                       "no reply list is called \"" + name + "\"", textFact(name));
            }
        }
        return true;
    }

    bool end_object() override {
        if (at_ == At::Record) {
            content.tree->push_back(recordLine());
            at_ = At::Tree;
            ++record_;
        } else if (at_ == At::Lists || at_ == At::Top) {
            at_ = at_ == At::Lists ? At::Top : At::Done;
        }
        return true;
    }

    bool start_array(std::size_t) override {
        if (at_ == At::Top && field_ == "tree") {
            at_ = At::Tree;
            content.tree.emplace();
            record_ = 0;
        } else if (at_ == At::Record && field_ == "answers") {
            at_ = At::Answers;
            answersSeen_ = true;
            item_ = 0;
        } else if (at_ == At::Lists) {
            at_ = At::List;
            content.lists.push_back({field_, {}});
            item_ = 0;
        } else {
            return misplaced(Refusal::DocumentArrayMisplaced, "an array");
        }
        return true;
    }

    bool end_array() override {
        at_ = at_ == At::Answers ? At::Record : at_ == At::List ? At::Lists : At::Top;
        return true;
    }

    // The place and the reason are kept, the bytes last read (maybe not
    // UTF-8) are not.
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        const JsonSyntaxFault fault = jsonSyntaxFault(error.what());
        RefusalFacts facts = numberFact(position);
        facts.line = fault.line;
        facts.total = fault.column;
        facts.text = fault.invalid;
        facts.names = {fault.unexpected, fault.expected};
        throw CurationError(Refusal::DocumentSyntax, std::move(facts),
                            std::string(kNotADocument) + fault.reason + " (byte " +
                                std::to_string(position) + ")");
    }

  private:
    enum class At { Start, Top, Tree, Record, Answers, Lists, List, Done };

    std::string place() const {
        switch (at_) {
        case At::Record:
            return "tree[" + std::to_string(record_) + "]";
        case At::Answers:
            return "tree[" + std::to_string(record_) + "].answers[" + std::to_string(item_) + "]";
        case At::List:
            return "lists." + content.lists.back().name + "[" + std::to_string(item_) + "]";
        case At::Top:
        case At::Lists:
            return field_;
        default:
            return at_ == At::Tree ? "tree[" + std::to_string(record_) + "]" : "the document";
        }
    }

    // Refuses what was just read, named by its place.
    [[noreturn]] void refuseHere(Refusal code, const std::string& why,
                                 RefusalFacts facts = {}) const {
        refuse(code, at_ == At::Record ? place() + "." + field_ : place(), why, std::move(facts));
    }

    bool misplaced(Refusal code, const std::string& what, RefusalFacts facts = {}) {
        refuseHere(code, what + " does not belong here", std::move(facts));
    }

    // A JSON string as one Windows-1251 line.
    std::string lineOf(const std::string& utf8) const {
        if (std::any_of(utf8.begin(), utf8.end(), [](char c) { return c == '\r' || c == '\n'; })) {
            refuseHere(Refusal::DocumentLineBreak, "a line break in a line");
        }
        std::string line = utf8ToCp1251(utf8);
        if (questionMarks(line) != questionMarks(utf8)) {
            refuseHere(Refusal::DocumentNotInCodePage, "a character without a Windows-1251 form");
        }
        return line;
    }

    std::string recordLine() const {
        if (line_) {
            if (key_ || depth_ || answersSeen_) {
                refuse(Refusal::DocumentLineWithFields, place(),
                       "\"line\" together with other fields");
            }
            return *line_;
        }
        if (!key_ || !depth_ || !answersSeen_) {
            refuse(Refusal::DocumentRecordIncomplete, place(),
                   "neither \"line\" nor all of \"depth\", \"key\" and \"answers\"");
        }
        if (key_->empty() || key_->front() == '_' ||
            key_->find_first_of("^;") != std::string::npos) {
            refuse(Refusal::DocumentKeyMalformed, place() + ".key",
                   "empty, starting with \"_\", or holding \"^\" or \";\"");
        }
        if (!inCapitals(*key_)) {
            refuse(Refusal::DocumentKeyNotInCapitals, place() + ".key",
                   "not in capitals, so no phrase could match it");
        }
        return std::string(*depth_, '_') + *key_ + '^' + answers_;
    }

    At at_ = At::Start;
    std::string field_;
    bool formatSeen_ = false;
    bool versionSeen_ = false;
    std::size_t record_ = 0;
    std::size_t item_ = 0;
    // The record being read.
    std::string fields_;
    std::optional<std::string> line_;
    std::optional<std::string> key_;
    std::optional<std::size_t> depth_;
    std::string answers_;
    bool answersSeen_ = false;
};

} // namespace

std::string knowledgeJson(const KnowledgeContent& content) {
    std::string out =
        "{\"format\": \"" + std::string(kFormat) + "\", \"version\": " + std::to_string(kVersion);
    if (content.tree) {
        out += ",\n\"tree\": [";
        for (std::size_t i = 0; i < content.tree->size(); ++i) {
            out += i == 0 ? "\n  " : ",\n  ";
            appendTreeRecord(out, (*content.tree)[i], i == 0);
        }
        out += "\n]";
    }
    out += ",\n\"lists\": {";
    for (std::size_t i = 0; i < content.lists.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        appendQuoted(out, content.lists[i].name);
        out += ": [";
        const TextLines& lines = content.lists[i].lines;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            out += k == 0 ? "\n    " : ",\n    ";
            appendQuoted(out, lines[k]);
        }
        out += "\n  ]";
    }
    out += "\n}}\n";
    return out;
}

KnowledgeContent parseKnowledgeJson(std::string_view json) {
    // The parser takes a NUL byte for the end of the input: whatever followed
    // one would pass unread.
    if (const std::size_t nul = json.find('\0'); nul != std::string_view::npos) {
        throw CurationError(Refusal::DocumentNulByte, numberFact(nul + 1),
                            std::string(kNotADocument) +
                                "a NUL byte, which JSON text never holds (byte " +
                                std::to_string(nul + 1) + ")");
    }
    DocumentReader reader;
    Json::sax_parse(json, &reader);
    reader.finish();
    return std::move(reader.content);
}

bool opensKnowledgeJson(std::string_view start) {
    const std::size_t first = start.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && start[first] == '{' &&
           start.find("\"" + std::string(kFormat) + "\"") != std::string_view::npos;
}

} // namespace besedka
