#include "DesktopEntry.h"

#include "FileText.h"
#include "Paths.h"
#include "Shell.h"

#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <glib.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

// Desktop entries are small: a larger file is no entry.
constexpr std::size_t largestEntry = 1 << 20;

struct KeyFileFree {
    void operator()(GKeyFile *keys) const { g_key_file_free(keys); }
};

// Untranslated: the names are matched against those of known applications, whatever the
// desktop's language.
QString stringValue(GKeyFile *keys, const char *key)
{
    gchar *value = g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, key, nullptr);
    QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}

std::vector<std::filesystem::path> applicationFolders()
{
    std::vector<std::filesystem::path> folders{xdgDir("XDG_DATA_HOME", ".local/share")
                                               / "applications"};
    const char *dataDirs = std::getenv("XDG_DATA_DIRS");
    const QString dirs = dataDirs && *dataDirs ? QString::fromLocal8Bit(dataDirs)
                                               : QStringLiteral("/usr/local/share/:/usr/share/");
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (dir.startsWith(QLatin1Char('/')))
            folders.push_back(std::filesystem::path(dir.toStdString()) / "applications");
    }
    return folders;
}

// An absolute path as written; a bare name in the absolute folders of PATH only.
std::filesystem::path programPath(const QString &program)
{
    if (program.startsWith(QLatin1Char('/')))
        return program.toStdString();
    return findProgram(program).toStdString();
}

// Without its TryExec program the application is not installed, and the desktops skip it.
bool installed(const DesktopEntry &entry)
{
    if (entry.tryExec.isEmpty())
        return true;
    const std::filesystem::path program = programPath(entry.tryExec);
    struct stat st {};
    return !program.empty() && stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode)
           && access(program.c_str(), X_OK) == 0;
}

} // namespace

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path &file)
{
    // Links followed: the system's folders link entries to where packages keep them.
    const std::optional<std::string> text =
        fileText(AT_FDCWD, file.c_str(), largestEntry + 1, true);
    if (!text || text->size() > largestEntry)
        return std::nullopt;
    return parseDesktopEntry(QByteArray::fromStdString(*text), file);
}

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray &text,
                                              const std::filesystem::path &file)
{
    // GLib's reader, as the desktops have it: text that is not UTF-8, a line that is no group,
    // key or comment, or another group before the entry's, and the file is no entry. GLib would
    // cut a value at a NUL byte, which no text file holds.
    const std::unique_ptr<GKeyFile, KeyFileFree> keys(g_key_file_new());
    if (text.contains('\0')
        || !g_key_file_load_from_data(keys.get(), text.constData(), gsize(text.size()),
                                      G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    gchar *firstGroup = g_key_file_get_start_group(keys.get());
    const bool entryFirst = g_strcmp0(firstGroup, G_KEY_FILE_DESKTOP_GROUP) == 0;
    g_free(firstGroup);
    if (!entryFirst
        || stringValue(keys.get(), G_KEY_FILE_DESKTOP_KEY_TYPE)
               != QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION)
        || g_key_file_get_boolean(keys.get(), G_KEY_FILE_DESKTOP_GROUP,
                                  G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr))
        return std::nullopt;
    DesktopEntry entry{file, stringValue(keys.get(), G_KEY_FILE_DESKTOP_KEY_NAME),
                       stringValue(keys.get(), G_KEY_FILE_DESKTOP_KEY_EXEC),
                       stringValue(keys.get(), G_KEY_FILE_DESKTOP_KEY_TRY_EXEC),
                       stringValue(keys.get(), G_KEY_FILE_DESKTOP_KEY_ICON)};
    if (entry.name.isEmpty())
        return std::nullopt;
    return entry;
}

std::vector<DesktopEntry> installedDesktopEntries()
{
    std::vector<DesktopEntry> entries;
    QSet<QString> seenIds;
    for (const std::filesystem::path &folder : applicationFolders()) {
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(
            folder, std::filesystem::directory_options::skip_permission_denied, error);
        const std::filesystem::recursive_directory_iterator end;
        for (; !error && it != end; it.increment(error)) {
            const std::filesystem::path &file = it->path();
            if (file.extension() != ".desktop" || !it->is_regular_file(error))
                continue;
            // The ID is the path below the folder with "/" turned into "-".
            QString id = QString::fromUtf8(file.lexically_relative(folder).native());
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            if (auto entry = readDesktopEntry(file); entry && installed(*entry))
                entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

QStringList execWords(const QString &exec)
{
    // GIO's own split of Exec=: the entry's quoting is the shell's double quoting.
    int count = 0;
    gchar **argv = nullptr;
    QStringList words;
    if (!g_shell_parse_argv(exec.toUtf8().constData(), &count, &argv, nullptr))
        return words;
    for (int i = 0; i < count; ++i)
        words.append(QString::fromUtf8(argv[i]));
    g_strfreev(argv);
    return words;
}

std::vector<std::filesystem::path> entryPrograms(const DesktopEntry &entry)
{
    const QStringList words = execWords(entry.exec);
    qsizetype first = 0;
    if (!words.isEmpty()
        && (words.first() == QLatin1String("env")
            || words.first().endsWith(QLatin1String("/env")))) {
        first = 1;
        while (first < words.size()
               && (words.at(first).contains(QLatin1Char('='))
                   || words.at(first).startsWith(QLatin1Char('-'))))
            ++first;
    }

    std::vector<std::filesystem::path> programs;
    for (const QString &program : {words.value(first), entry.tryExec}) {
        const std::filesystem::path found = programPath(program);
        if (!found.empty() && std::find(programs.begin(), programs.end(), found) == programs.end())
            programs.push_back(found);
    }
    return programs;
}

} // namespace Engine
