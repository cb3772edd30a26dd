#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

namespace besedka {

// When a backup was taken, read from its stamp: "2026-12-08_04-22-42Z-2" is
// in UTC, an older version's "2026-12-07_12-30-05.123" in local time.
std::optional<QDateTime> backupTime(const std::string& stamp);

// That time as the user reads it, in local time and relative to `now`:
// "сегодня, 07:22", "вчера, 23:10", "08.12.2026, 07:22"; a stamp of another
// form as it is.
QString shownBackupTime(const std::string& stamp,
                        const QDateTime& now = QDateTime::currentDateTime());

} // namespace besedka
