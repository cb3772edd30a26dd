#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace besedka {

// The questions and messages of the knowledge window, behind an interface so
// that tests can answer them without a modal loop.
class KnowledgeDialogs {
  public:
    virtual ~KnowledgeDialogs() = default;
    // A yes-or-no question; true for yes.
    virtual bool confirm(QWidget* parent, const QString& question) = 0;
    virtual void inform(QWidget* parent, const QString& message) = 0;
    virtual void showError(QWidget* parent, const QString& message) = 0;
    // One line of text; nothing when cancelled.
    virtual std::optional<QString> askText(QWidget* parent, const QString& label) = 0;
};

// Qt's standard message boxes and input dialog, titled "База знаний".
class StandardKnowledgeDialogs final : public KnowledgeDialogs {
  public:
    bool confirm(QWidget* parent, const QString& question) override;
    void inform(QWidget* parent, const QString& message) override;
    void showError(QWidget* parent, const QString& message) override;
    std::optional<QString> askText(QWidget* parent, const QString& label) override;
};

} // namespace besedka
