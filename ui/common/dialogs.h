#pragma once

#include "talk/text_format.h"

#include <optional>

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
    // The common colour dialog, opened on `initial`, titled `title` (empty:
    // the dialog's own title); nothing when cancelled.
    virtual std::optional<Colour> chooseColour(QWidget* parent, Colour initial,
                                               const QString& title) = 0;
    // The common font dialog (face, style and size), opened on `initial`;
    // with `sizeFixedAt8` it offers size 8 only. Nothing when cancelled.
    virtual std::optional<FontSpec> chooseFont(QWidget* parent, const FontSpec& initial,
                                               bool sizeFixedAt8) = 0;
};

} // namespace besedka
