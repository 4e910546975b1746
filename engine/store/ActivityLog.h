#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

namespace Engine {

// $XDG_STATE_HOME/Ampa/Ampa.log (default ~/.local/state/Ampa/Ampa.log).
std::filesystem::path logPath();

// Appends "<UTC time> <message>\n", creating the file and its folders when needed. Best effort:
// a line that cannot be written is lost and nothing is reported. Each line goes out in one
// append-mode write, so concurrent writers, in threads or processes, never interleave lines.
// Only a regular file of the effective user's, in a folder of theirs, is written: a link in the
// log's place is not followed, and missing folders are made only below an existing folder of the
// effective user, so root running for another user's home changes nothing there. A FIFO or
// device in the log's place is never waited on; it gets one warning per process (qWarning).
void log(const QString &message);

// The newest entries first: the last `limit` non-empty lines of the log, each whole. A missing or
// unreadable log gives none, and so does one that is a link or not a regular file (never waited
// on; the same single warning as for writing). Bytes that are not UTF-8 are shown replaced
// rather than hiding it.
QStringList logLines(int limit = 200);

// The entries of a log's text, newest first, at most `limit`; `fromMiddle` when the text starts
// somewhere inside the file, so its first piece may be a partial line.
QStringList logEntries(QByteArray text, bool fromMiddle, int limit);

// A clean the log holds: when (seconds since 1970) and its entry as written.
struct LoggedClean {
    qint64 time = 0;
    QString entry;
};
// The cleans logged at or after `since`, the oldest first: quick cleans, developer caches',
// projects', advanced actions and the space map's moves to the Trash. Read as `logLines` reads
// (a missing or odd log gives none); an entry whose time does not read is left out.
std::vector<LoggedClean> loggedCleans(qint64 since);

} // namespace Engine
