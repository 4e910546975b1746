#include "DesktopEntry.h"

#include "Paths.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace Engine {

namespace {

// Backslash escapes of desktop-entry string values: \s \n \t \r \\.
QString unescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        switch (value.at(++i).unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            out += value.at(i);
            break;
        }
    }
    return out;
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

std::filesystem::path searchPath(const QString &program)
{
    const char *pathVariable = std::getenv("PATH");
    const QString dirs = pathVariable ? QString::fromLocal8Bit(pathVariable) : QString();
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const std::filesystem::path candidate =
            std::filesystem::path(dir.toStdString()) / program.toStdString();
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

} // namespace

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path &file)
{
    QFile input(QString::fromUtf8(file.native()));
    // Desktop entries are small; a huge or endless file is no entry.
    if (!input.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseDesktopEntry(input.read(1 << 20), file);
}

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray &text,
                                              const std::filesystem::path &file)
{
    DesktopEntry entry{file, {}, {}, {}, {}};
    QString type;
    bool inMainGroup = false;
    bool hidden = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("TryExec"))
            entry.tryExec = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    if (hidden || type != QLatin1String("Application") || entry.name.isEmpty())
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
            if (auto entry = readDesktopEntry(file))
                entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

QStringList execWords(const QString &exec)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec.at(++i);
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
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
        std::filesystem::path found;
        if (program.startsWith(QLatin1Char('/')))
            found = program.toStdString();
        else if (!program.isEmpty() && !program.contains(QLatin1Char('/')))
            found = searchPath(program);
        if (!found.empty() && std::find(programs.begin(), programs.end(), found) == programs.end())
            programs.push_back(found);
    }
    return programs;
}

} // namespace Engine
