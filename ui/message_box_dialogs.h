#pragma once

#include "dialogs.h"

namespace besedka {

// The real dialogs: Qt's standard message boxes.
class MessageBoxDialogs final : public Dialogs {
  public:
    void showError(QWidget* parent, const QString& message) override;
};

} // namespace besedka
