#pragma once

#include "common/dialogs.h"

namespace besedka {

// The real dialogs: Qt's standard message box, colour dialog and font dialog.
class StandardDialogs final : public Dialogs {
  public:
    void showError(QWidget* parent, const QString& message) override;
    std::optional<Colour> chooseColour(QWidget* parent, Colour initial,
                                       const QString& title) override;
    std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial,
                                       bool sizeFixedAt8) override;
};

} // namespace besedka
