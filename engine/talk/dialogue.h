#pragma once

#include "talk/text_format.h"

#include <string>
#include <string_view>
#include <vector>

namespace besedka {

struct PaneLine {
    std::string text; // Windows-1251; never holds a line break
    TextFormat format;
};

// Told of every change of the dialogue pane so that a window can show it.
class PaneObserver {
  public:
    virtual ~PaneObserver() = default;
    virtual void paneLineAppended(const PaneLine& line) = 0;
    virtual void paneLastLineRemoved() = 0;
    virtual void paneCleared() = 0;
};

// The dialogue pane (every line as added, with its attributes) and the
// transcript of the current dialogue ("USER:     ..." / "CPU:     ...").
class Dialogue {
  public:
    void setObserver(PaneObserver* observer) { observer_ = observer; }

    const TextFormat& insertionFormat() const { return insertion_; }
    void setInsertionFormat(const TextFormat& format) { insertion_ = format; }
    void setInsertionColour(Colour colour) { insertion_.colour = colour; }

    // Adds the text in the current insertion format; every line break (CR LF,
    // a lone CR or LF) starts a further line, as in a rich-text pane.
    void appendToPane(std::string_view text);
    // Every line added and not removed, the forgotten ones included.
    std::size_t paneCount() const { return forgotten_ + pane_.size(); }
    // Line i as added, or the empty text when there is no such line or it was
    // forgotten.
    const std::string& paneLine(std::size_t i) const;
    // The lines kept: all of them, unless a limit is set.
    const std::vector<PaneLine>& pane() const { return pane_; }
    // Keeps at least the last `lines` lines and forgets older ones, counting
    // them still: a dialogue without a window needs only the count and the
    // last lines, and must not grow for weeks.
    void setPaneLimit(std::size_t lines) { paneLimit_ = lines; }
    void removeLastPaneLine();
    void clearPane();

    // Adds the text, one transcript line per line as in the pane.
    void appendToTranscript(std::string_view text);
    void removeLastTranscriptLine();
    void clearTranscript() { transcript_.clear(); }
    const std::vector<std::string>& transcript() const { return transcript_; }

    // Where the dialogue stood, to go back to after a step that failed.
    struct Mark {
        std::size_t forgotten = 0;
        std::vector<PaneLine> pane;
        std::size_t transcriptLines = 0;
    };
    Mark mark() const { return {forgotten_, pane_, transcript_.size()}; }
    // Back to `mark`; only lines added since may be lost, so the transcript
    // is cut rather than copied.
    void rollBack(const Mark& mark);

  private:
    std::vector<PaneLine> pane_;
    std::size_t forgotten_ = 0;
    std::size_t paneLimit_ = 0; // 0: none
    std::vector<std::string> transcript_;
    TextFormat insertion_;
    PaneObserver* observer_ = nullptr;
};

} // namespace besedka
