#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// What the benchmark's groups share: the median of repeated runs, and a walk that reads the disk
// rather than the page cache.
double median(std::vector<double> values);

// Empties the page cache, as after a restart; false when this process may not (it needs root).
bool dropPageCache();

// In a child started with --after-drop: says "ready" and waits for a line, while the parent
// empties the page cache, so the walk that follows reads the disk.
void readyForTheDrop();

// Runs this program's `command` ("walk" or "space") on `path` in a child started before the page
// cache is emptied, as the program is running when it walks; the fields of the line it prints.
QList<QByteArray> coldChild(const QString &command, const QString &path);
