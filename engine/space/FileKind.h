#pragma once

#include "SpaceMarks.h"

#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace Engine {

// What an entry holds, as the space map's chart colours it.
enum class FileKind : unsigned char {
    media,
    documents,
    archives,
    code,
    buildOutput,
    caches,
    other
};
inline constexpr int fileKindCount = 7;

// "media", "documents", "archives", "code", "build", "caches", "other": the views' name of each.
QString fileKindName(FileKind kind);

// The file type a name says, by its extension or a known whole name (`Makefile`); nothing is
// read, so a download still being written or an unreadable file has a type too. Invalid UTF-8
// is read as replacement characters: an extension still matches. The default type
// (application/octet-stream) when the name says nothing.
QMimeType typeOfName(std::string_view name);

// A file's kind by its type: pictures, sound and video are media; office files, PDFs, e-books
// mail and plain or marked-up text are documents; packed files and disk images archives; compiled
// objects and byte code build output; any other text a program reads is code.
FileKind fileKindOf(const QMimeType &type);

// The kind of a folder the map marks: a project's build output or dependencies are build output,
// the quick clean's, developer and tagged caches are caches; nothing for the Trash, whose kind is
// what it holds.
std::optional<FileKind> markedKind(SpaceKind mark);

// Files' kinds by name, as `fileKindOf(typeOfName(name))` gives them, remembering the answer for
// each extension: a pass over a large tree asks the type database once per extension rather than
// once per file. One per thread.
class FileKinds {
public:
    FileKind of(std::string_view name);

private:
    QMimeDatabase types;
    std::unordered_map<std::string, FileKind> known;
    std::unordered_set<std::string> wholeNames; // names the database knows whole, lower case
};

} // namespace Engine
