#pragma once

#include <QKeySequence>
#include <QLineEdit>

#include <functional>
#include <vector>

namespace besedka {

// The phrase field. The window's shortcut keys belong to the window's menu
// items: the field neither claims them before the shortcut (its own undo would
// take Ctrl+Z) nor acts on them when their item is disabled. Pasted text keeps
// its first line only, without control characters other than TAB, as typing
// could have entered it.
class InputField final : public QLineEdit {
  public:
    explicit InputField(QWidget* parent = nullptr);

    void setWindowKeys(std::vector<QKeySequence> keys) { windowKeys_ = std::move(keys); }
    // Copy with nothing selected here runs this instead: the focus always
    // comes back to this field, so a selection elsewhere is copied from here.
    void setCopyElsewhere(std::function<void()> copy) { copyElsewhere_ = std::move(copy); }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool isWindowKey(const QKeyEvent& event) const;

    std::vector<QKeySequence> windowKeys_;
    std::function<void()> copyElsewhere_;
};

} // namespace besedka
