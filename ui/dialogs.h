#pragma once

class QString;
class QWidget;

namespace besedka {

// The modal dialogs and message boxes the window shows, behind an interface
// so that tests can answer them without a modal loop.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // The platform's standard error box with the framework's message.
    virtual void showError(QWidget* parent, const QString& message) = 0;
};

} // namespace besedka
