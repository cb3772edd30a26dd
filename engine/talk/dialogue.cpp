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
}

void Dialogue::appendToTranscript(std::string_view text) {
    for (auto& part : splitAtLineBreaks(text)) {
        transcript_.push_back(std::move(part));
    }
}

const std::string& Dialogue::paneLine(std::size_t i) const {
    static const std::string empty;
    return i < pane_.size() ? pane_[i].text : empty;
}

void Dialogue::removeLastPaneLine() {
    if (pane_.empty()) {
        return;
    }
    pane_.pop_back();
    if (observer_ != nullptr) {
        observer_->paneLastLineRemoved();
    }
}

void Dialogue::clearPane() {
    pane_.clear();
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
