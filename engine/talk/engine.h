#pragma once

#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/knowledge_files.h"
#include "files/string_list.h"
#include "talk/appearance.h"
#include "talk/dialogue.h"
#include "talk/engine_state.h"
#include "talk/exchange_result.h"
#include "talk/random.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace besedka {

class Clock;
class Host;
struct LocalDateTime;

enum class Mode { CpuUser, CpuCpu };

// The conversation engine: one object for the whole run. Every file access
// loads the file afresh; a failed access throws FileError and leaves done what
// was done before it.
class Engine {
  public:
    // With `shared`, the engine loads and saves through that cache of the
    // knowledge files (one for many dialogues on one working directory).
    Engine(const FileStore& files, Clock& clock, Host& host, KnowledgeFiles* shared = nullptr);

    // The Say command: one exchange on the typed phrase, or in Cpu\Cpu mode on
    // the exchange buffer (whose reply then goes to the exchange file). An
    // empty phrase makes no exchange.
    ExchangeResult say(std::string_view typedPhrase);
    // One self-talk step, whatever the mode: reads the exchange file into the
    // exchange buffer and runs one exchange on it.
    void selfTalkStep();
    // The two halves of a self-talk step, for a caller that acts between them
    // (the window sets its timer's period once the file has been read).
    void readExchangeFile();
    void selfTalkExchange();

    // Idle-timer tick: returns true when an idle remark was made.
    bool idleTick();

    void switchToCpuUser();
    void switchToCpuCpu();
    Mode mode() const { return mode_; }

    // Empties the pane and the transcript; the engine's state stays.
    void newDialogue();
    // Deletes the last pane line and the last transcript line.
    void undo();

    // Loads the knowledge tree as the window does when it is created.
    void loadTreeAtCreation();
    // Number of learned phrases: the tree's line count minus 1.
    long learnedPhraseCount();
    // Appends the current dialogue as one block to the dialogue log.
    void appendDialogueLog(const LocalDateTime& now);

    // Where learning puts new tree lines; the chat's way by default.
    void setPlacement(Placement placement) { placement_ = placement; }
    // The tree lines this engine's exchanges put in or took out since the
    // last call, in order.
    std::vector<TreeEdit> takeTreeEdits() { return std::exchange(treeEdits_, {}); }
    // Keeps this dialogue's places in the tree (its branch, its last learned
    // line) where they were when another dialogue changed the tree.
    void followTreeEdit(const TreeEdit& edit);

    // What an exchange changes in the engine, to go back to when a step
    // fails midway (the files go back with their change).
    struct Savepoint {
        EngineState state;
        Dialogue::Mark dialogue;
        Random random;
        std::optional<std::size_t> ownLine;
        std::string ownLineText;
    };
    Savepoint savepoint() const;
    void rollBack(const Savepoint& savepoint);

    Dialogue& dialogue() { return dialogue_; }
    const Dialogue& dialogue() const { return dialogue_; }
    Appearance& appearance() { return appearance_; }
    const EngineState& state() const { return state_; }
    Random& random() { return random_; }
    Clock& clock() { return clock_; }

    // Where replies go in Cpu\Cpu mode (the editor's path field).
    const std::string& exchangeWritePath() const { return exchangeWritePath_; }
    void setExchangeWritePath(std::string path) { exchangeWritePath_ = std::move(path); }
    // The exchange buffer: text read from the exchange file, or the last
    // reply written to it. Separate from the insult list.
    const std::string& exchangeBuffer() const { return exchangeBuffer_; }
    void setExchangeBuffer(std::string text) { exchangeBuffer_ = std::move(text); }

  private:
    // The knowledge base's lock for one step that reads and writes it.
    KnowledgeBaseHold holdKnowledgeBase();
    ExchangeResult exchange(std::string_view phrase, bool writeExchangeFile);
    void diagnose(const std::string& line);
    std::size_t newLinePlace(const StringList& tree, std::size_t depth);
    void inserted(std::size_t line, std::string_view text);
    bool findReply(const std::string& shown, const std::string& previousPaneLine,
                   bool& personalTopic);
    void drawReply(const char* path);
    bool repeatResponder(const std::string& shown, const std::string& previousPaneLine);
    bool insultResponder();
    bool personalTopicResponder();
    bool longPhraseResponder(const std::string& shown);
    bool treeWalk();
    class FileSearches;
    void chooseAnswer(std::string_view line);
    void learn(const std::string& shownLine);
    std::optional<StringList> learnNewTreeLine(const std::string& shown, bool hadLineBreaks);
    void learnAnswerForLastReply(const StringList& tree, const std::string& shown);
    void showAndRecord(const std::string& shown);
    void writeExchangeFile();
    void checkFarewell();

    const FileStore& files_;
    Clock& clock_;
    Host& host_;
    Random random_;
    EngineState state_;
    Dialogue dialogue_;
    Appearance appearance_;
    Mode mode_ = Mode::CpuUser;
    std::string exchangeWritePath_ = paths::kExchange;
    std::string exchangeBuffer_;
    std::optional<KnowledgeFiles> ownKnowledge_;
    KnowledgeFiles& knowledge_;
    Placement placement_ = Placement::AtEnd;
    ExchangeResult current_; // what the running exchange produced so far
    std::vector<TreeEdit> treeEdits_;
    // The tree line this dialogue last learned or moved, with its text to
    // tell whether it still stands there: its branch is where its next line
    // goes (Placement::OwnBranch).
    std::optional<std::size_t> ownLine_;
    std::string ownLineText_;
};

} // namespace besedka
