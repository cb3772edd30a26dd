#include "talk/engine.h"

#include "files/file_store.h"
#include "files/kb_paths.h"
#include "talk/clock.h"
#include "talk/host.h"
#include "talk/phrase.h"
#include "talk/word_lists.h"
#include "text/russian.h"

namespace besedka {
namespace {

constexpr const char* kUserPrefix = "USER:     ";
constexpr const char* kReplyPrefix = "CPU:     ";

// Every line break (CR LF, LF, CR) made CR LF, as a plain multi-line field
// holds text.
std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

Engine::Engine(const FileStore& files, Clock& clock, Host& host, KnowledgeFiles* shared)
    : files_(files), clock_(clock), host_(host),
      knowledge_(shared != nullptr ? *shared : ownKnowledge_.emplace(files)) {}

ExchangeResult Engine::say(std::string_view typedPhrase) {
    if (mode_ == Mode::CpuCpu) {
        return exchange(exchangeBuffer_, true);
    }
    return exchange(typedPhrase, false);
}

void Engine::selfTalkStep() {
    readExchangeFile();
    selfTalkExchange();
}

void Engine::readExchangeFile() {
    exchangeBuffer_ = withCrLf(files_.read(paths::kExchange));
}

void Engine::selfTalkExchange() {
    exchange(exchangeBuffer_, true);
}

ExchangeResult Engine::exchange(std::string_view phrase, bool writesExchangeFile) {
    if (phrase.empty()) {
        return {}; // nothing to say: nothing is shown, recorded, written or learned
    }
    const auto hold = holdKnowledgeBase();
    current_ = ExchangeResult{};
    random_.reseed(clock_);
    const std::string typed(phrase);
    const std::string previousPaneLine =
        dialogue_.paneCount() >= 2 ? dialogue_.paneLine(dialogue_.paneCount() - 2) : "";
    state_.branchText.clear();
    state_.userPhraseKey = phraseKey(typed);
    if (!state_.lastReplyKey.empty()) {
        state_.lastReplyKey = cyrillicUpper(state_.lastReplyKey);
    }
    const std::string shown = shownPhrase(typed);

    bool personalTopic = false;
    if (!findReply(shown, previousPaneLine, personalTopic) && !personalTopic) {
        // The reply list and the tree change together: no kill between
        // their saves leaves a list that knows a phrase the tree does not.
        BaseChange change(files_);
        learn(shown);
        change.commit();
    }
    showAndRecord(shown);
    if (writesExchangeFile) {
        writeExchangeFile();
    }
    state_.lastReplyText = state_.replyText;
    state_.lastReplyKey = state_.replyText;
    host_.clearInput();
    state_.idleTicks = 0;
    checkFarewell();
    current_.exchanged = true;
    current_.shown = shown;
    current_.reply = state_.replyText;
    return std::exchange(current_, {});
}

void Engine::diagnose(const std::string& line) {
    dialogue_.appendToPane(line);
    current_.diagnostics.push_back(line);
}

Engine::Savepoint Engine::savepoint() const {
    return {state_, dialogue_.mark(), random_, ownLine_, ownLineText_};
}

void Engine::rollBack(const Savepoint& savepoint) {
    state_ = savepoint.state;
    dialogue_.rollBack(savepoint.dialogue);
    random_ = savepoint.random;
    ownLine_ = savepoint.ownLine;
    ownLineText_ = savepoint.ownLineText;
    treeEdits_.clear();
    current_ = {};
}

KnowledgeBaseHold Engine::holdKnowledgeBase() {
    return files_.holdKnowledgeBase(
        [this](bool waiting) { host_.waitingForKnowledgeBase(waiting); });
}

bool Engine::findReply(const std::string& shown, const std::string& previousPaneLine,
                       bool& personalTopic) {
    if (repeatResponder(shown, previousPaneLine) || insultResponder()) {
        return true;
    }
    personalTopic = personalTopicResponder();
    return longPhraseResponder(shown) || treeWalk();
}

void Engine::drawReply(const char* path) {
    const StringList replies = knowledge_.load(path);
    state_.replyText =
        replies.line(static_cast<std::size_t>(random_.below(static_cast<int>(replies.count()))));
}

void Engine::showAndRecord(const std::string& shown) {
    host_.playCue(Cue::UserLine);
    dialogue_.setInsertionFormat({appearance_.userColour, appearance_.userFont});
    dialogue_.appendToPane(shown);
    dialogue_.appendToTranscript(kUserPrefix + shown);
    host_.playCue(Cue::Reply);
    dialogue_.setInsertionFormat({appearance_.replyColour, appearance_.replyFont});
    dialogue_.appendToPane(state_.replyText);
    dialogue_.appendToTranscript(kReplyPrefix + state_.replyText);
}

void Engine::writeExchangeFile() {
    exchangeBuffer_ = withCrLf(state_.replyText) + "\r\n";
    files_.write(exchangeWritePath_, exchangeBuffer_);
}

void Engine::checkFarewell() {
    const auto& farewells = farewellList();
    bool farewell = false;
    for (std::size_t i = 1; i < farewells.size(); ++i) {
        farewell = farewell || state_.userPhraseKey == farewells[i];
    }
    if (farewell) {
        current_.farewell = true;
        host_.startClosing();
    }
}

bool Engine::idleTick() {
    const int threshold = random_.range(60, 90, &clock_);
    ++state_.idleTicks;
    if (state_.idleTicks < threshold) {
        return false;
    }
    drawReply(paths::kPause);
    dialogue_.setInsertionColour(appearance_.backgroundColour);
    dialogue_.appendToPane(state_.replyText);
    host_.playCue(Cue::Reply);
    state_.idleTicks = 0;
    return true;
}

void Engine::switchToCpuUser() {
    dialogue_.setInsertionColour(kTeal);
    dialogue_.appendToPane(ru("Сервис:   // Режим диалога Cpu\\User."));
    dialogue_.appendToPane("");
    mode_ = Mode::CpuUser;
}

void Engine::switchToCpuCpu() {
    dialogue_.setInsertionColour(kTeal);
    dialogue_.appendToPane(ru("Сервис:   // Режим диалога Cpu\\Cpu."));
    mode_ = Mode::CpuCpu;
}

void Engine::newDialogue() {
    dialogue_.clearPane();
    dialogue_.clearTranscript();
}

void Engine::undo() {
    dialogue_.removeLastPaneLine();
    dialogue_.removeLastTranscriptLine();
}

void Engine::loadTreeAtCreation() {
    knowledge_.load(paths::kWordsAtCreation);
}

long Engine::learnedPhraseCount() {
    return static_cast<long>(knowledge_.load(paths::kWords).count()) - 1;
}

} // namespace besedka
