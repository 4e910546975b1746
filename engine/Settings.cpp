#include "Settings.h"

#include "EngineLogging.h"
#include "Paths.h"

#include <QFile>
#include <QtDebug>

#include <atomic>
#include <sys/stat.h>

namespace {

std::filesystem::path settingsPath()
{
    return Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "Ampa" / "Ampa.conf";
}

} // namespace

QSettings ampaSettings()
{
    // Named by path rather than by organisation and application: the file checked here must be
    // the one QSettings opens, and QSettings settles on its folder once per process and also
    // reads fallback files, any of which could be a FIFO as well.
    const std::filesystem::path path = settingsPath();
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        static std::atomic_flag warned;
        if (!warned.test_and_set())
            qCWarning(lcEngine, "%s is not a regular file: settings are neither read nor saved",
                      qPrintable(Engine::displayPath(path)));
        // Nothing can exist below a character device, and nothing can be created there, whoever
        // runs the program: every read finds no file and every save fails with ENOTDIR, lock and
        // temporary files included. (/dev/null itself would get them beside it, in /dev.)
        return QSettings(QStringLiteral("/dev/null/Ampa.conf"), QSettings::NativeFormat);
    }
    return QSettings(QFile::decodeName(path.c_str()), QSettings::NativeFormat);
}
