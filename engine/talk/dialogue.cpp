#include "talk/dialogue.h"

#include "text/plain_text.h"

namespace besedka {

void Dialogue::appendToPane(std::string_view text) {
    for (auto& part : splitAtLineBreaks(text)) {
        pane_.push_back({std::move(part), insertion_});
        if (observer_ != nullptr) {
            observer_->paneLineAppended(pane_.back());
        }
    }
    // Forgetting in chunks keeps the cost of an append constant.
    if (paneLimit_ > 0 && pane_.size() >= 2 * paneLimit_) {
        const std::size_t drop = pane_.size() - paneLimit_;
        pane_.erase(pane_.begin(), pane_.begin() + static_cast<std::ptrdiff_t>(drop));
        forgotten_ += drop;
    }
}

void Dialogue::rollBack(const Mark& mark) {
    forgotten_ = mark.forgotten;
    pane_ = mark.pane;
    if (transcript_.size() > mark.transcriptLines) {
        transcript_.resize(mark.transcriptLines);
    }
}

void Dialogue::appendToTranscript(std::string_view text) {
    for (auto& part : splitAtLineBreaks(text)) {
        transcript_.push_back(std::move(part));
    }
}

const std::string& Dialogue::paneLine(std::size_t i) const {
    static const std::string empty;
    return i >= forgotten_ && i - forgotten_ < pane_.size() ? pane_[i - forgotten_].text : empty;
}

void Dialogue::removeLastPaneLine() {
    if (pane_.empty()) {
        forgotten_ -= forgotten_ > 0 ? 1 : 0;
        return;
    }
    pane_.pop_back();
    if (observer_ != nullptr) {
        observer_->paneLastLineRemoved();
    }
}

void Dialogue::clearPane() {
    pane_.clear();
    forgotten_ = 0;
    if (observer_ != nullptr) {
        observer_->paneCleared();
    }
}

void Dialogue::removeLastTranscriptLine() {
    if (!transcript_.empty()) {
        transcript_.pop_back();
    }
}

} // namespace besedka
