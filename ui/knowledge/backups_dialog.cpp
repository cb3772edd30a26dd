#include "knowledge/backups_dialog.h"

#include "curation/backup_sets.h"
#include "curation/curation_error.h"
#include "knowledge/backup_time.h"
#include "knowledge/curation_text.h"
#include "knowledge/knowledge_dialogs.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace besedka {
namespace {

constexpr int kStampRole = Qt::UserRole;

} // namespace

BackupsDialog::BackupsDialog(const std::filesystem::path& workdir, KnowledgeDialogs& dialogs,
                             QWidget* parent)
    : QDialog(parent), workdir_(workdir), dialogs_(dialogs) {
    setObjectName(QStringLiteral("backupsDialog"));
    setWindowTitle(QStringLiteral("Резервные копии"));
    auto* label = new QLabel(QStringLiteral("&Копии базы, снятые перед изменениями:"), this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("backupList"));
    list_->setAccessibleName(QStringLiteral("Резервные копии"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Время"), QStringLiteral("Файлов"),
                            QStringLiteral("Строк дерева"), QStringLiteral("Что было дальше")});
    list_->header()->setStretchLastSection(true);
    for (int column = 0; column < 3; ++column) {
        list_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    label->setBuddy(list_);

    auto* buttons = new QDialogButtonBox(this);
    restoreButton_ =
        buttons->addButton(QStringLiteral("&Восстановить"), QDialogButtonBox::ActionRole);
    restoreButton_->setObjectName(QStringLiteral("restoreButton"));
    restoreButton_->setAccessibleName(QStringLiteral("Восстановить"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(restoreButton_, &QPushButton::clicked, this, &BackupsDialog::restoreChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemActivated, this, &BackupsDialog::restoreChosen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(620, 340);
    listBackups();
}

void BackupsDialog::listBackups() {
    list_->clear();
    std::vector<BackupSummary> summaries;
    try {
        summaries = backupSummaries(backupFolderOf(workdir_));
    } catch (const CurationError& error) {
        dialogs_.showError(this, curationSentence(error, workdir_));
    }
    for (auto it = summaries.rbegin(); it != summaries.rend(); ++it) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, shownBackupTime(it->stamp));
        item->setToolTip(0, QString::fromStdString(it->stamp));
        item->setText(1, QString::number(static_cast<qulonglong>(it->files)));
        item->setText(2, it->treeLines ? QString::number(static_cast<qulonglong>(*it->treeLines))
                                       : QStringLiteral("—"));
        item->setText(3, it->reason ? QString::fromStdString(*it->reason) : QString());
        item->setData(0, kStampRole, QString::fromStdString(it->stamp));
    }
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    restoreButton_->setEnabled(list_->topLevelItemCount() > 0);
    list_->setFocus();
}

void BackupsDialog::restoreChosen() {
    const QTreeWidgetItem* item = list_->currentItem();
    if (item == nullptr) {
        return;
    }
    const QString stamp = item->data(0, kStampRole).toString();
    const QString when = item->text(0);
    const QString what = item->text(3);
    if (!dialogs_.confirm(
            this, QStringLiteral("Вернуть базу %1 к копии от %2%3? Нынешнее состояние сначала "
                                 "сохранится в новой копии, так что это можно будет отменить.")
                      .arg(baseName(workdir_), when,
                           what.isEmpty() ? QString()
                                          : QStringLiteral(" (") + what + QLatin1Char(')')))) {
        return;
    }
    try {
        Feedback feedback = windowFeedback();
        feedback.backupReason = (QStringLiteral("перед: возврат к копии от ") + when).toStdString();
        restoreBackup(workdir_, stamp.toStdString(), feedback);
    } catch (const Error& error) {
        dialogs_.showError(this, QStringLiteral("Копия не восстановлена: ") +
                                     curationMessage(error, workdir_));
        listBackups();
        return;
    }
    listBackups();
    emit restored();
    dialogs_.inform(this, QStringLiteral("База возвращена к копии от %1.").arg(when));
}

} // namespace besedka
