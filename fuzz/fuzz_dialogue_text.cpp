// Takes any bytes as a dialogue text to teach, teaches it to a small tree in
// memory and checks what teaching promises: utterances are trimmed and never
// empty, every line it adds keeps the tree's grammar, teaching the same text
// again to the result changes nothing, and every pair it counts as answered
// as taught is answered so by the chat's own engine on the tree it wrote.

#include "curation/dialogue_text.h"
#include "curation/outline_merge.h"
#include "curation/teach.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "talk/phrase.h"
#include "text/rtf.h"
#include "text/tree_line.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const std::vector<std::string> kTree{
    "header", "A^B;", "_C^D;", "__E^", "broken", "F^G;H;", "___deep^x;",
};

void checkUtterances(const besedka::DialogueText& text) {
    std::uint32_t line = 0;
    for (std::size_t i = 0; i < text.utterances.size(); ++i) {
        const besedka::Utterance& said = text.utterances[i];
        check(!said.text.empty() && said.line > line);
        check(said.text.front() != ' ' && said.text.back() != ' ');
        check(i > 0 || said.opensDialogue);
        line = said.line;
    }
}

// The taught tree in memory as the program writes it (RTF), over a real Base
// directory for the lock; the reply lists hold one line. What the chat writes is let go, so that
// every pair meets the tree as taught, as teaching's check meets it.
class TaughtFiles final : public besedka::FileStore {
  public:
    TaughtFiles(const std::filesystem::path& workdir, std::string tree)
        : FileStore(besedka::PathMap(workdir)), tree_(std::move(tree)) {}
    std::string read(std::string_view path) const override {
        return path == besedka::paths::kWords ? tree_ : std::string("Reply\r\n");
    }
    void write(std::string_view, std::string_view) const override {}
    bool hasContent(std::string_view path, std::string_view bytes) const override {
        return read(path) == bytes;
    }

  private:
    std::string tree_;
};

class QuietHost final : public besedka::Host {
  public:
    void playCue(besedka::Cue) override {}
    void clearInput() override {}
    void startClosing() override {}
};

const std::filesystem::path& workdir() {
    static const std::filesystem::path dir = [] {
        std::string name = (std::filesystem::temp_directory_path() / "fuzz_teach_XXXXXX").string();
        check(::mkdtemp(name.data()) != nullptr);
        std::filesystem::create_directories(std::filesystem::path(name) / "Base");
        return std::filesystem::path(name);
    }();
    return dir;
}

struct Pair {
    const besedka::Utterance* said;
    const besedka::Utterance* answer;
    bool opensDialogue;
};

// The pairs as teaching makes them: a dialogue's utterances two by two, a
// refused utterance ending its dialogue.
std::vector<Pair> pairsOf(const besedka::DialogueText& text, const besedka::TeachReport& report) {
    std::set<std::size_t> refused;
    for (const besedka::RefusedLine& line : report.refused) {
        refused.insert(line.line);
    }
    std::vector<Pair> pairs;
    const besedka::Utterance* pending = nullptr;
    bool opens = true;
    for (const besedka::Utterance& said : text.utterances) {
        if (said.opensDialogue || refused.contains(said.line)) {
            pending = nullptr;
            opens = true;
        }
        if (refused.contains(said.line)) {
            continue;
        }
        if (pending == nullptr) {
            pending = &said;
        } else {
            pairs.push_back({pending, &said, opens});
            pending = nullptr;
            opens = false;
        }
    }
    return pairs;
}

void checkAnsweredByTheEngine(const besedka::DialogueText& text, const besedka::TeachReport& report,
                              const besedka::TextLines& tree) {
    const std::vector<Pair> pairs = pairsOf(text, report);
    check(pairs.size() == report.figures.pairs);
    check(report.answered + report.unanswered.size() == pairs.size());
    std::set<std::size_t> unanswered;
    for (const besedka::UnansweredPair& pair : report.unanswered) {
        unanswered.insert(pair.line);
    }
    const TaughtFiles files(workdir(), besedka::writeRtf(tree));
    besedka::FakeClock clock(0);
    QuietHost host;
    std::optional<besedka::Engine> engine;
    for (const Pair& pair : pairs) {
        if (pair.opensDialogue) {
            engine.emplace(files, clock, host);
        }
        engine->say(besedka::saidPhrase(pair.said->text));
        if (unanswered.contains(pair.said->line)) {
            continue;
        }
        const auto line = static_cast<std::size_t>(engine->state().branchLine);
        check(line < tree.size());
        const besedka::TreeLine answering(tree[line]);
        check(answering.key() == besedka::teachingKey(pair.said->text));
        const std::string& reply = engine->state().replyText;
        bool among = false;
        for (std::size_t i = 1; i <= answering.answerCount(); ++i) {
            among = among || answering.answer(i) == reply;
        }
        check(among);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const besedka::DialogueText text =
        besedka::readDialogueText(std::string(reinterpret_cast<const char*>(data), size));
    checkUtterances(text);

    const besedka::StringList before(kTree);
    besedka::OutlineMerge tree(before.textLines());
    const besedka::TeachReport first = besedka::teachOutline(tree, text);
    const besedka::TextLines taught = tree.lines();
    check(taught.size() == kTree.size() + first.figures.newLines);
    for (std::size_t i = 1; i < taught.size(); ++i) {
        check(taught[i] == "broken" || !besedka::treeLineProblem(taught[i]));
    }
    checkAnsweredByTheEngine(text, first, taught);

    besedka::OutlineMerge again(taught);
    const besedka::TeachReport second = besedka::teachOutline(again, text);
    check(!again.changed() && second.figures.newLines == 0 && second.figures.newAnswers == 0);
    return 0;
}
