// The knowledge window's commands on the whole base: teach it the dialogues
// of a text, export it as JSON, merge another working directory into it.
// Each is one curation function; the view then shows the files as they are.
#include "knowledge/knowledge_window.h"

#include "curation/change_backup.h"
#include "curation/document_limit.h"
#include "curation/knowledge_json.h"
#include "curation/merge.h"
#include "curation/teach.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"

#include <filesystem>
#include <string_view>

namespace besedka {
namespace {
namespace fs = std::filesystem;

// Why no backup was made, without the English "no backup made: " before it.
QString backupProblem(const NoBackupMade& refused) {
    constexpr std::string_view kLead = "no backup made: ";
    std::string_view problem = refused.problem();
    if (problem.starts_with(kLead)) {
        problem.remove_prefix(kLead.size());
    }
    return QString::fromUtf8(problem.data(), static_cast<qsizetype>(problem.size()));
}

QString number(std::size_t value) {
    return QString::number(static_cast<qulonglong>(value));
}

fs::path pathOf(const QString& chosen) {
    return fs::path(chosen.toStdString());
}

// Runs a curation step; its failure is told and gives false.
template <typename Step> bool guarded(KnowledgeDialogs& dialogs, QWidget* parent, Step step) {
    try {
        step();
        return true;
    } catch (const NoBackupMade& refused) {
        dialogs.showError(parent,
                          QStringLiteral("Ничего не изменено: не удалось сделать резервную копию "
                                         "(%1).")
                              .arg(backupProblem(refused)));
    } catch (const Error& error) {
        dialogs.showError(parent, curationSentence(error));
    }
    return false;
}

} // namespace

void KnowledgeWindow::teachFromText() {
    const auto path = dialogs_.chooseFileToOpen(
        this, QStringLiteral("Научить из текста"),
        QStringLiteral("Тексты диалогов (*.txt *.rtf *.Halden);;Все файлы (*)"));
    if (!path) {
        return;
    }
    std::error_code reason;
    auto bytes = readWholeFile(pathOf(*path), reason, kMostDocumentBytes);
    if (reason == std::errc::file_too_large) {
        dialogs_.showError(this, QStringLiteral("Не удалось прочитать %1: текст больше 1 ГиБ, "
                                                "а больше программа не читает.")
                                     .arg(*path));
        return;
    }
    if (!bytes) {
        dialogs_.showError(this, QStringLiteral("Не удалось прочитать %1: %2")
                                     .arg(*path, QString::fromStdString(reasonText(reason))));
        return;
    }
    const DialogueText text = readDialogueText(std::move(*bytes));
    TeachOptions options;
    TeachReport report;
    const auto run = [&] {
        const auto progress = dialogs_.showProgress(this, QStringLiteral("Обучение..."));
        return guarded(dialogs_, this, [&] {
            FileStore store(paths_);
            report = teach(
                store, text, options, windowFeedback(),
                [&](std::size_t done, std::size_t total) { return progress->step(done, total); });
        });
    };
    if (!run()) {
        return;
    }
    if (!report.refused.empty() && !report.cancelled) {
        const RefusedLine& first = report.refused.front();
        if (!dialogs_.confirm(this, QStringLiteral("Строк, которые база не сохранит: %1 (первая — "
                                                   "строка %2: %3). Научить остальному?")
                                        .arg(number(report.refused.size()), number(first.line),
                                             QString::fromStdString(first.reason)))) {
            return;
        }
        options.skipBad = true;
        if (!run()) {
            return;
        }
    }
    reload();
    if (report.cancelled) {
        dialogs_.inform(this, QStringLiteral("Обучение отменено, база не изменилась."));
        return;
    }
    const TeachFigures& figures = report.figures;
    dialogs_.inform(this, QStringLiteral("Диалогов: %1, новых строк: %2, новых ответов: %3, "
                                         "уже известно: %4.")
                              .arg(number(figures.dialogues), number(figures.newLines),
                                   number(figures.newAnswers), number(figures.known)));
}

void KnowledgeWindow::exportJson() {
    const auto path =
        dialogs_.chooseFileToSave(this, QStringLiteral("Экспорт в JSON"),
                                  QStringLiteral("JSON (*.json)"), QStringLiteral("besedka.json"));
    if (!path) {
        return;
    }
    guarded(dialogs_, this, [&] {
        const std::string json =
            knowledgeJson(readKnowledgeContent(FileStore(paths_), windowFeedback()));
        if (const auto failure = writeFileAtomically(pathOf(*path), json)) {
            throw CurationError("cannot write " + path->toStdString() + ": " + reasonText(failure));
        }
        dialogs_.inform(this, QStringLiteral("База записана в %1.").arg(*path));
    });
}

void KnowledgeWindow::mergeDirectory() {
    const auto chosen =
        dialogs_.chooseDirectory(this, QStringLiteral("Папка другой базы (в ней папка Base)"));
    if (!chosen) {
        return;
    }
    fs::path source = pathOf(*chosen);
    // The Base folder itself stands for its working directory.
    if (!fs::exists(PathMap(source).resolve("Base")) && fs::exists(source / ".." / "Base")) {
        source = source.parent_path();
    }
    std::error_code error;
    if (fs::equivalent(source, paths_.workdir(), error)) {
        dialogs_.showError(this, QStringLiteral("Это та же база."));
        return;
    }
    MergeFigures figures;
    const bool merged = guarded(dialogs_, this, [&] {
        const KnowledgeContent content =
            readKnowledgeContent(FileStore{PathMap(source)}, windowFeedback());
        FileStore store(paths_);
        figures = mergeKnowledge(store, content, {}, windowFeedback());
    });
    reload();
    if (merged) {
        const QString passedOver =
            figures.passedOver == 0
                ? QString()
                : QStringLiteral(" Пропущено строк, нарушающих формат дерева (с их ветвями): %1.")
                      .arg(number(figures.passedOver));
        dialogs_.inform(this, QStringLiteral("Новых строк: %1, новых ответов: %2, найдено на "
                                             "месте: %3.")
                                      .arg(number(figures.newLines), number(figures.newAnswers),
                                           number(figures.knownLines)) +
                                  passedOver);
    }
}

} // namespace besedka
