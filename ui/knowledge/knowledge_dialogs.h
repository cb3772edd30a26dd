#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <optional>

class QWidget;

namespace besedka {

// A long step's progress, shown while it lives.
class Progress {
  public:
    virtual ~Progress() = default;
    // Shows `done` of `total`; false once the user has cancelled.
    virtual bool step(std::size_t done, std::size_t total) = 0;
};

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
    // The standard file dialogs; nothing when cancelled.
    virtual std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& title,
                                                    const QString& filter) = 0;
    virtual std::optional<QString> chooseFileToSave(QWidget* parent, const QString& title,
                                                    const QString& filter,
                                                    const QString& suggested) = 0;
    virtual std::optional<QString> chooseDirectory(QWidget* parent, const QString& title) = 0;
    // A progress dialog with a cancel button, labelled `label`.
    virtual std::unique_ptr<Progress> showProgress(QWidget* parent, const QString& label) = 0;
};

// Qt's standard message boxes, input, file and progress dialogs, titled "База знаний".
class StandardKnowledgeDialogs final : public KnowledgeDialogs {
  public:
    bool confirm(QWidget* parent, const QString& question) override;
    void inform(QWidget* parent, const QString& message) override;
    void showError(QWidget* parent, const QString& message) override;
    std::optional<QString> askText(QWidget* parent, const QString& label) override;
    std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& title,
                                            const QString& filter) override;
    std::optional<QString> chooseFileToSave(QWidget* parent, const QString& title,
                                            const QString& filter,
                                            const QString& suggested) override;
    std::optional<QString> chooseDirectory(QWidget* parent, const QString& title) override;
    std::unique_ptr<Progress> showProgress(QWidget* parent, const QString& label) override;
};

} // namespace besedka
