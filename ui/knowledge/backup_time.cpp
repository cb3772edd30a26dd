#include "knowledge/backup_time.h"

#include <QTimeZone>

namespace besedka {
namespace {

constexpr int kTimeLength = 19; // "yyyy-MM-dd_HH-mm-ss"

} // namespace

std::optional<QDateTime> backupTime(const std::string& stamp) {
    const QString text = QString::fromStdString(stamp);
    QDateTime time =
        QDateTime::fromString(text.left(kTimeLength), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (!time.isValid()) {
        return std::nullopt;
    }
    const QString rest = text.mid(kTimeLength);
    if (rest.startsWith(QStringLiteral("Z-"))) {
        time.setTimeZone(QTimeZone::utc());
        return time.toLocalTime();
    }
    if (rest.startsWith(QLatin1Char('.'))) {
        return time; // an older version's stamp, in local time already
    }
    return std::nullopt;
}

QString shownBackupTime(const std::string& stamp, const QDateTime& now) {
    const auto time = backupTime(stamp);
    if (!time) {
        return QString::fromStdString(stamp);
    }
    const QString clock = time->toString(QStringLiteral("HH:mm"));
    const qint64 daysAgo = time->date().daysTo(now.date());
    if (daysAgo == 0) {
        return QStringLiteral("сегодня, ") + clock;
    }
    if (daysAgo == 1) {
        return QStringLiteral("вчера, ") + clock;
    }
    return time->toString(QStringLiteral("dd.MM.yyyy, ")) + clock;
}

} // namespace besedka
