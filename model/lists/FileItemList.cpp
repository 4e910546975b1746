#include "FileItemList.h"

#include "Paths.h"
#include "Text.h"

FileItemList::FileItemList(bool applications_, QObject *parent)
    : RecordList({"id", "path", "name", "size", "modified"}, parent), applications(applications_)
{}

void FileItemList::set(const std::vector<FileItem> &items)
{
    std::vector<Row> rows;
    for (const FileItem &item : items) {
        const QString name =
            shownName(applications ? Engine::appName(item.url())
                                   : QString::fromUtf8(item.url().filename().native()));
        // The raw bytes as the key: two names that show alike are still two files.
        rows.push_back({QString::fromLatin1(item.url().native()),
                        {item.id().toString(QUuid::WithoutBraces), Engine::displayPath(item.url()),
                         name, item.size(), item.modified()}});
    }
    replace(std::move(rows));
}
