#pragma once

#include <functional>

class QWidget;

namespace besedka {

class Dialogs;
class RepeatedFailure;

// Runs one step of a handler. A file error stops it and is shown in the
// standard error box; for a step that a timer repeats, only once until it
// succeeds again.
class StepRunner {
  public:
    StepRunner(Dialogs& dialogs, QWidget* boxParent) : dialogs_(dialogs), boxParent_(boxParent) {}

    // Returns whether the step completed.
    bool run(const std::function<void()>& step, RepeatedFailure* repeated = nullptr) const;

  private:
    Dialogs& dialogs_;
    QWidget* boxParent_;
};

} // namespace besedka
