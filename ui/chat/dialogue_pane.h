#pragma once

#include "talk/dialogue.h"

#include <QTextEdit>

namespace besedka {

// The read-only dialogue pane: shows the engine's pane lines, one centred
// paragraph per added line in the line's own colour and font. Lines go in as
// plain text, so a typed "<b>" shows as typed.
class DialoguePane final : public QTextEdit, public PaneObserver {
    Q_OBJECT

  public:
    explicit DialoguePane(QWidget* parent = nullptr);

    void paneLineAppended(const PaneLine& line) override;
    void paneLastLineRemoved() override;
    void paneCleared() override;

    // Counted here: an empty document still has one block.
    int lineCount() const { return lineCount_; }
    QString lineText(int i) const;
    QTextCharFormat lineFormat(int i) const;
    // Shows the newest line.
    void scrollToEnd();

  signals:
    void linesChanged();

  private:
    int lineCount_ = 0;
};

} // namespace besedka
