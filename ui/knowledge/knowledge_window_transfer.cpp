// The knowledge window's commands on the whole base: teach it the dialogues
// of a text, export it as JSON or import it back, merge another working
// directory or an export document into it.
// Each is one curation function; the view then shows the files as they are.
#include "knowledge/knowledge_window.h"

#include "common/qt_text.h"
#include "curation/change_backup.h"
#include "curation/document_limit.h"
#include "curation/knowledge_json.h"
#include "curation/merge.h"
#include "curation/teach.h"
#include "files/atomic_file.h"
#include "files/file_error.h"
#include "knowledge/background_work.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"
#include "text/russian.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string>

#include <filesystem>

namespace besedka {
namespace {
namespace fs = std::filesystem;

// How many taught pairs the chat answers as taught, and the lines of the text
// whose pairs it answers otherwise (the phrase check tells what answers them).
QString answeredAsTaught(const TeachReport& report) {
    const std::size_t pairs = report.answered + report.unanswered.size();
    if (pairs == 0) {
        return {};
    }
    QString text = QStringLiteral(" Ответит, как учили: %1 из %2 %3.")
                       .arg(number(report.answered), number(pairs),
                            QString::fromUtf8(russianPlural(pairs, "пары", "пар", "пар").data()));
    if (report.unanswered.empty()) {
        return text;
    }
    constexpr std::size_t kLinesNamed = 10;
    QStringList lines;
    for (std::size_t i = 0; i < report.unanswered.size() && i < kLinesNamed; ++i) {
        lines << number(report.unanswered[i].line);
    }
    if (report.unanswered.size() > kLinesNamed) {
        lines << QStringLiteral("и ещё %1").arg(number(report.unanswered.size() - kLinesNamed));
    }
    return text + QStringLiteral(" Иначе — на реплики в строках текста %1; что ответит на них, "
                                 "покажет «Проверить фразу».")
                      .arg(lines.join(QStringLiteral(", ")));
}

fs::path pathOf(const QString& chosen) {
    return fs::path(chosen.toStdString());
}

// Runs a curation step on the base of `workdir`; its failure is told and
// gives false.
template <typename Step>
bool guarded(KnowledgeDialogs& dialogs, QWidget* parent, const fs::path& workdir, Step step) {
    try {
        step();
        return true;
    } catch (const NoBackupMade& refused) {
        dialogs.showError(parent, QStringLiteral("Ничего не изменено: ") +
                                      curationMessage(refused, workdir));
    } catch (const Error& error) {
        dialogs.showError(parent, curationSentence(error, workdir));
    }
    return false;
}

// The whole of a file the user chose, or nothing after telling why not.
std::optional<std::string> readChosen(KnowledgeDialogs& dialogs, QWidget* parent,
                                      const QString& path) {
    std::error_code reason;
    auto bytes = readWholeFile(pathOf(path), reason, kMostDocumentBytes);
    if (!bytes) {
        dialogs.showError(
            parent,
            QStringLiteral("Не удалось прочитать файл %1: %2.").arg(path, russianReason(reason)));
    }
    return bytes;
}

// An export document the user chose, read and checked, or nothing after
// telling what is wrong with it.
std::optional<KnowledgeContent> readDocument(KnowledgeDialogs& dialogs, QWidget* parent,
                                             const QString& path, const fs::path& workdir) {
    const auto json = readChosen(dialogs, parent, path);
    if (!json) {
        return std::nullopt;
    }
    try {
        return parseKnowledgeJson(*json);
    } catch (const Error& error) {
        dialogs.showError(
            parent,
            QStringLiteral("Файл %1 не прочитан: %2").arg(path, curationMessage(error, workdir)));
    }
    return std::nullopt;
}

// Half of a progress bar's steps.
constexpr std::size_t kHalf = 1000;

// A file read a piece at a time, each piece told to `progress` (bytes of
// bytes); nothing when it cannot be read (`reason` set) or when cancelled.
std::optional<std::string> readInSteps(const fs::path& path, std::error_code& reason,
                                       const WorkProgress& progress) {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::ifstream in(path, std::ios::binary);
    std::error_code sizeError;
    const auto size = fs::file_size(path, sizeError);
    if (!in || sizeError) {
        reason = sizeError ? sizeError : std::error_code(errno, std::generic_category());
        return std::nullopt;
    }
    if (size > kMostDocumentBytes) {
        reason = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(size);
    std::string piece(kPiece, '\0');
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        bytes.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        if (!progress(bytes.size(), std::max<std::uintmax_t>(size, bytes.size()))) {
            return std::nullopt;
        }
    }
    if (in.bad()) {
        reason = std::make_error_code(std::errc::io_error);
        return std::nullopt;
    }
    return bytes;
}

QString fileName(const QString& path) {
    return QString::fromStdString(pathOf(path).filename().string());
}

// The window's feedback, its backup recording what was about to happen.
Feedback labelled(const QString& reason) {
    Feedback feedback = windowFeedback();
    feedback.backupReason = reason.toStdString();
    return feedback;
}

QString documentFilter() {
    return QStringLiteral("Документ базы знаний (*.json);;Все файлы (*)");
}

} // namespace

void KnowledgeWindow::teachFromText() {
    const auto path = dialogs_.chooseFileToOpen(
        this, QStringLiteral("Научить из текста"),
        QStringLiteral("Тексты диалогов (*.txt *.rtf *.Halden);;Все файлы (*)"));
    if (!path) {
        return;
    }
    // Read and taught on a worker thread; the first half of the progress is
    // the bytes read, the second the utterances taught.
    std::optional<DialogueText> text;
    std::error_code unread;
    TeachOptions options;
    TeachReport report;
    const auto run = [&] {
        const auto progress = dialogs_.showProgress(this, QStringLiteral("Обучение..."));
        return guarded(dialogs_, this, paths_.workdir(), [&] {
            runInBackground(*progress, [&](const WorkProgress& step) {
                const auto half = [&](std::size_t base, std::size_t done, std::size_t total) {
                    return step(base + (total == 0 ? kHalf : done * kHalf / total), 2 * kHalf);
                };
                if (!text) {
                    auto bytes = readInSteps(pathOf(*path), unread, [&](auto done, auto total) {
                        return half(0, done, total);
                    });
                    if (!bytes) {
                        report.cancelled = !unread;
                        return;
                    }
                    text = readDialogueText(std::move(*bytes));
                }
                FileStore store(paths_);
                report = teach(store, *text, options,
                               labelled(QStringLiteral("перед: обучение из ") + fileName(*path)),
                               [&](auto done, auto total) { return half(kHalf, done, total); });
            });
        });
    };
    if (!run()) {
        return;
    }
    if (unread == std::errc::file_too_large) {
        dialogs_.showError(this, QStringLiteral("Не удалось прочитать %1: текст больше 1 ГиБ, "
                                                "а больше программа не читает.")
                                     .arg(*path));
        return;
    }
    if (unread) {
        dialogs_.showError(
            this,
            QStringLiteral("Не удалось прочитать файл %1: %2.").arg(*path, russianReason(unread)));
        return;
    }
    if (!report.refused.empty() && !report.cancelled) {
        const RefusedLine& first = report.refused.front();
        if (!dialogs_.confirm(this, QStringLiteral("В файле %1 строк, которые база %2 не "
                                                   "сохранит: %3 (первая — строка %4: %5). "
                                                   "Научить остальному?")
                                        .arg(*path, baseName(paths_.workdir()),
                                             number(report.refused.size()), number(first.line),
                                             refusalReason(first, paths_.workdir())))) {
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
                                       number(figures.newAnswers), number(figures.known)) +
                              answeredAsTaught(report));
}

void KnowledgeWindow::exportJson() {
    const auto path =
        dialogs_.chooseFileToSave(this, QStringLiteral("Экспорт в JSON"),
                                  QStringLiteral("JSON (*.json)"), QStringLiteral("besedka.json"));
    if (!path) {
        return;
    }
    std::string json;
    if (!guarded(dialogs_, this, paths_.workdir(), [&] {
            json = knowledgeJson(readKnowledgeContent(FileStore(paths_), windowFeedback()));
        })) {
        return;
    }
    if (const auto failure = writeFileAtomically(pathOf(*path), json)) {
        dialogs_.showError(this,
                           QStringLiteral("База %1 не экспортирована: не удалось записать "
                                          "файл %2: %3.")
                               .arg(baseName(paths_.workdir()), *path, russianReason(failure)));
        return;
    }
    dialogs_.inform(this, QStringLiteral("База записана в %1.").arg(*path));
}

void KnowledgeWindow::importJson() {
    const auto path =
        dialogs_.chooseFileToOpen(this, QStringLiteral("Импорт из JSON"), documentFilter());
    if (!path) {
        return;
    }
    const auto content = readDocument(dialogs_, this, *path, paths_.workdir());
    if (!content ||
        !dialogs_.confirm(this, QStringLiteral("Заменить всё, что знает база %1, содержимым "
                                               "файла %2? Перед этим будет сделана резервная "
                                               "копия.")
                                    .arg(baseName(paths_.workdir()), *path))) {
        return;
    }
    const bool imported = guarded(dialogs_, this, paths_.workdir(), [&] {
        FileStore store(paths_);
        writeKnowledgeContent(store, *content,
                              labelled(QStringLiteral("перед: импорт из ") + fileName(*path)));
    });
    reload();
    if (imported) {
        dialogs_.inform(this, QStringLiteral("База %1 заменена содержимым файла %2.")
                                  .arg(baseName(paths_.workdir()), *path));
    }
}

void KnowledgeWindow::mergeDocument() {
    const auto path = dialogs_.chooseFileToOpen(
        this, QStringLiteral("Объединить с документом JSON"), documentFilter());
    if (!path) {
        return;
    }
    const auto content = readDocument(dialogs_, this, *path, paths_.workdir());
    if (content) {
        mergeContent(*content, fileName(*path));
    }
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
    KnowledgeContent content;
    // What fails here is about the other base, and named so.
    if (guarded(dialogs_, this, source, [&] {
            content = readKnowledgeContent(FileStore{PathMap(source)}, windowFeedback());
        })) {
        mergeContent(content, *chosen);
    }
}

void KnowledgeWindow::mergeContent(const KnowledgeContent& content, const QString& source) {
    MergeFigures figures;
    const bool merged = guarded(dialogs_, this, paths_.workdir(), [&] {
        FileStore store(paths_);
        figures = mergeKnowledge(store, content, {},
                                 labelled(QStringLiteral("перед: объединение с ") + source));
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
