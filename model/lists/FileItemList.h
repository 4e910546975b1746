#pragma once

#include "LargeItems.h"
#include "RecordList.h"

// The largest downloads, or the largest applications, as rows: id, path, name, size, modified.
// A row is the file at its path: a rescan gives the record a fresh id, which the row takes on.
class FileItemList : public RecordList {
    Q_OBJECT

public:
    // `applications`: name each row as an application (without its extension).
    explicit FileItemList(bool applications, QObject *parent = nullptr);

    void set(const std::vector<FileItem> &items);

private:
    bool applications;
};
