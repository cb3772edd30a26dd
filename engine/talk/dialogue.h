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
    std::size_t paneCount() const { return pane_.size(); }
    // Line i as added, or the empty text when there is no such line.
    const std::string& paneLine(std::size_t i) const;
    const std::vector<PaneLine>& pane() const { return pane_; }
    void removeLastPaneLine();
    void clearPane();

    // Adds the text, one transcript line per line as in the pane.
    void appendToTranscript(std::string_view text);
    void removeLastTranscriptLine();
    void clearTranscript() { transcript_.clear(); }
    const std::vector<std::string>& transcript() const { return transcript_; }

  private:
    std::vector<PaneLine> pane_;
    std::vector<std::string> transcript_;
    TextFormat insertion_;
    PaneObserver* observer_ = nullptr;
};

} // namespace besedka
