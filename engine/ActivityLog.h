#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>

namespace Engine {

// $XDG_STATE_HOME/Ampa/Ampa.log (default ~/.local/state/Ampa/Ampa.log).
std::filesystem::path logPath();

// Appends "<UTC time> <message>\n", creating the file and its folders when needed. Best effort:
// a line that cannot be written is lost and nothing is reported. Each line goes out in one
// append-mode write, so concurrent writers, in threads or processes, never interleave lines.
void log(const QString &message);

// The newest entries first: the last `limit` non-empty lines of the log, each whole. A missing or
// unreadable log gives none; bytes that are not UTF-8 are shown replaced rather than hiding it.
QStringList logLines(int limit = 200);

// The entries of a log's text, newest first, at most `limit`; `fromMiddle` when the text starts
// somewhere inside the file, so its first piece may be a partial line.
QStringList logEntries(QByteArray text, bool fromMiddle, int limit);

} // namespace Engine
