#include "LoginItem.h"

#include "DesktopEntry.h"
#include "Paths.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace LoginItem {

std::filesystem::path entryPath()
{
    return Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "autostart" / "ampa.desktop";
}

bool enabled()
{
    // readDesktopEntry leaves out an entry marked Hidden=true: the user switched it off.
    return Engine::readDesktopEntry(entryPath()).has_value();
}

namespace {

// An Exec= argument as the file must hold it: quoted by the desktop-entry rules when it needs
// to be, "%" doubled, and backslashes escaped once more for the string value itself.
QString execArgument(const QString &argument)
{
    // A plain scan: a regular expression here would bring in its engine for one short string.
    static constexpr QStringView reserved = u" \t\n\v\f\r\"'\\`$<>~|&;*?#()";
    QString text = argument;
    if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return reserved.contains(c); })) {
        for (const char *special : {"\\", "\"", "`", "$"})
            text.replace(special, QStringLiteral("\\") + special);
        text = '"' + text + '"';
    }
    text.replace("%", "%%");
    return text.replace("\\", "\\\\");
}

// A string value as the file must hold it: backslashes and control characters escaped.
QString stringValue(const QString &text)
{
    QString value = text;
    value.replace("\\", "\\\\");
    value.replace("\n", "\\n");
    value.replace("\t", "\\t");
    return value.replace("\r", "\\r");
}

} // namespace

std::optional<QString> setEnabled(bool on, const std::filesystem::path &program)
{
    const std::filesystem::path path = entryPath();
    if (!on) {
        if (unlink(path.c_str()) != 0 && errno != ENOENT)
            return QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return QString::fromStdString(error.message());
    QSaveFile file(QString::fromUtf8(path.native()));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QString programText = QString::fromUtf8(program.native());
    // TryExec: once the package is removed, the desktop skips the entry it leaves in the home
    // instead of starting a program that is gone.
    file.write("[Desktop Entry]\nType=Application\nName=Ampa\nComment=Disk cleanup\nTryExec="
               + stringValue(programText).toUtf8() + "\nExec=" + execArgument(programText).toUtf8()
               + " --login\nIcon=app.ampa.Ampa\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace LoginItem
