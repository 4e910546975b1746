#include "FileKind.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace Engine {

namespace {

bool startsWithAny(const QString &name, std::initializer_list<QLatin1String> prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&name](QLatin1String prefix) { return name.startsWith(prefix); });
}

bool inheritsAny(const QMimeType &type, std::initializer_list<QLatin1String> names)
{
    return std::any_of(names.begin(), names.end(),
                       [&type](QLatin1String name) { return type.inherits(name); });
}

} // namespace

QString fileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::media:
        return QStringLiteral("media");
    case FileKind::documents:
        return QStringLiteral("documents");
    case FileKind::archives:
        return QStringLiteral("archives");
    case FileKind::code:
        return QStringLiteral("code");
    case FileKind::buildOutput:
        return QStringLiteral("build");
    case FileKind::caches:
        return QStringLiteral("caches");
    case FileKind::other:
        break;
    }
    return QStringLiteral("other");
}

QMimeType typeOfName(std::string_view name)
{
    return QMimeDatabase().mimeTypeForFile(QString::fromUtf8(name.data(), qsizetype(name.size())),
                                           QMimeDatabase::MatchExtension);
}

FileKind fileKindOf(const QMimeType &type)
{
    if (!type.isValid() || type.isDefault())
        return FileKind::other;
    const QString name = type.name();
    // Before archives and code: office files and e-books are zip files, notes are text.
    if (startsWithAny(name,
                      {QLatin1String("application/vnd.oasis.opendocument."),
                       QLatin1String("application/vnd.openxmlformats-officedocument."),
                       QLatin1String("application/vnd.ms-word"),
                       QLatin1String("application/vnd.ms-excel"),
                       QLatin1String("application/vnd.ms-powerpoint"), QLatin1String("message/")})
        || inheritsAny(type,
                       {QLatin1String("application/pdf"), QLatin1String("application/postscript"),
                        QLatin1String("application/epub+zip"),
                        QLatin1String("application/x-mobipocket-ebook"),
                        QLatin1String("application/msword"), QLatin1String("application/rtf"),
                        QLatin1String("text/markdown"), QLatin1String("text/csv"),
                        QLatin1String("text/x-tex")})
        || name == QLatin1String("text/plain"))
        return FileKind::documents;
    if (startsWithAny(name,
                      {QLatin1String("image/"), QLatin1String("video/"), QLatin1String("audio/")})
        || inheritsAny(type, {QLatin1String("application/ogg")}))
        return FileKind::media;
    if (inheritsAny(type, {QLatin1String("application/x-object"),
                           QLatin1String("application/x-sharedlib"),
                           QLatin1String("application/x-archive"), // a static library
                           QLatin1String("application/x-python-bytecode"),
                           QLatin1String("application/x-java")}))
        return FileKind::buildOutput;
    if (inheritsAny(type,
                    {QLatin1String("application/zip"), QLatin1String("application/x-tar"),
                     QLatin1String("application/gzip"), QLatin1String("application/x-bzip"),
                     QLatin1String("application/x-bzip2"), QLatin1String("application/x-xz"),
                     QLatin1String("application/x-lzma"), QLatin1String("application/zstd"),
                     QLatin1String("application/x-lz4"), QLatin1String("application/x-compress"),
                     QLatin1String("application/x-7z-compressed"),
                     QLatin1String("application/vnd.rar"), QLatin1String("application/x-rar"),
                     QLatin1String("application/x-cpio"), QLatin1String("application/x-rpm"),
                     QLatin1String("application/vnd.debian.binary-package"),
                     QLatin1String("application/vnd.ms-cab-compressed"),
                     QLatin1String("application/x-raw-disk-image"),
                     QLatin1String("application/x-apple-diskimage")}))
        return FileKind::archives;
    // Logs are text nobody wrote.
    if (type.inherits(QLatin1String("text/plain")) && name != QLatin1String("text/x-log"))
        return FileKind::code;
    return FileKind::other;
}

std::optional<FileKind> markedKind(SpaceKind mark)
{
    switch (mark) {
    case SpaceKind::project:
        return FileKind::buildOutput;
    case SpaceKind::quick:
    case SpaceKind::developer:
    case SpaceKind::cacheTag:
        return FileKind::caches;
    case SpaceKind::trash:
    case SpaceKind::none:
        break;
    }
    return std::nullopt;
}

FileKind FileKinds::of(std::string_view name)
{
    // By the extension, as the database reads `x.EXT`, unless the database knows the whole name
    // (`CMakeLists.txt`); a name without an extension (`Makefile`) by itself. Names without one
    // are often unique (a repository's objects): only so many are remembered.
    constexpr std::size_t remembered = 8192;
    if (wholeNames.empty()) {
        for (const QMimeType &type : types.allMimeTypes()) {
            for (const QString &pattern : type.globPatterns()) {
                if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?'))
                    && !pattern.contains(QLatin1Char('[')))
                    wholeNames.insert(pattern.toLower().toStdString());
            }
        }
        wholeNames.insert(std::string()); // asked once, even of a database without any
    }
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
            return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c);
        });
        return text;
    };
    const std::size_t dot = name.rfind('.');
    const bool extension = dot != std::string_view::npos && dot > 0 && dot + 1 < name.size()
                           && !wholeNames.contains(lower(std::string(name)));
    std::string key = extension ? lower("x" + std::string(name.substr(dot))) : std::string(name);
    if (const auto found = known.find(key); found != known.end())
        return found->second;
    const FileKind kind = fileKindOf(types.mimeTypeForFile(
        QString::fromUtf8(key.data(), qsizetype(key.size())), QMimeDatabase::MatchExtension));
    if (known.size() < remembered)
        known.emplace(std::move(key), kind);
    return kind;
}

} // namespace Engine
