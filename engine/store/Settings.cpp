#include "Settings.h"

#include "EngineLogging.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QThread>
#include <QtDebug>

#include <atomic>
#include <sys/stat.h>

namespace {

struct KeyInfo {
    const char *name;
    QMetaType::Type type;
    QVariant fallback;
};

const std::array<KeyInfo, Settings::keyCount> &keys()
{
    static const std::array<KeyInfo, Settings::keyCount> table{{
        {"language", QMetaType::QString, QStringLiteral("en")},
        {"appearance", QMetaType::QString, QStringLiteral("sistem")},
        {"viewMode", QMetaType::QString, QStringLiteral("sidebar")},
        {"showMenuBar", QMetaType::Bool, true},
        {"downloadsLayout", QMetaType::QString, QStringLiteral("grid")},
        {"didSetupLogin", QMetaType::Bool, false},
        {"demo", QMetaType::Bool, false},
        {"demoPane", QMetaType::QString, QString()},
        {"demoAutoClean", QMetaType::Double, 0.0},
        {"demoAsk", QMetaType::Double, 0.0},
        {"notifyLowSpace", QMetaType::Bool, true},
        {"devKeep", QMetaType::QStringList, QStringList()},
        {"projectRoots", QMetaType::QStringList, QStringList()},
        {"projectIdleDays", QMetaType::Int, 30},
        {"projectKeep", QMetaType::QStringList, QStringList()},
        {"autoClean", QMetaType::QString, QStringLiteral("off")},
        {"spaceKeep", QMetaType::QStringList, QStringList()},
        {"loginNote", QMetaType::Bool, false},
        {"spaceHistory", QMetaType::Bool, true},
    }};
    return table;
}

const KeyInfo &info(Settings::Key key)
{
    return keys()[static_cast<std::size_t>(key)];
}

// Qt reads any text but "false" and "0" as true: a typo must not start demo mode.
bool explicitYes(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text = stored.toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1")
           || text == QLatin1String("yes") || text == QLatin1String("on");
}

// Named by path rather than by organisation and application: the file checked here must be the
// one QSettings opens, and QSettings settles on its folder once per process and also reads
// fallback files, any of which could be a FIFO as well.
std::unique_ptr<QSettings> openFile()
{
    const std::filesystem::path path = Settings::filePath();
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        static std::atomic_flag warned;
        if (!warned.test_and_set())
            qCWarning(lcEngine, "%s is not a regular file: settings are neither read nor saved",
                      qPrintable(Engine::displayPath(path)));
        // Nothing can exist below a character device, and nothing can be created there, whoever
        // runs the program: every read finds no file and every save fails with ENOTDIR, lock and
        // temporary files included. (/dev/null itself would get them beside it, in /dev.)
        return std::make_unique<QSettings>(QStringLiteral("/dev/null/Ampa.conf"),
                                           QSettings::NativeFormat);
    }
    return std::make_unique<QSettings>(QFile::decodeName(path.c_str()), QSettings::NativeFormat);
}

} // namespace

Settings &Settings::instance()
{
    // Made on first use, which may be a worker's text lookup: the object belongs to the
    // application's thread all the same. Never destroyed, so a late reader finds it.
    static Settings *const settings = [] {
        auto *created = new Settings;
        if (const QCoreApplication *app = QCoreApplication::instance();
            app && created->thread() != app->thread())
            created->moveToThread(app->thread());
        return created;
    }();
    return *settings;
}

Settings::Settings()
{
    reload();
}

void Settings::reload()
{
    const std::unique_ptr<QSettings> file = openFile();
    std::array<QVariant, keyCount> read;
    for (int i = 0; i < keyCount; ++i) {
        const char *name = keys()[static_cast<std::size_t>(i)].name;
        if (file->contains(QLatin1String(name)))
            read[static_cast<std::size_t>(i)] = file->value(QLatin1String(name));
    }
    std::array<QVariant, keyCount> before;
    {
        const QMutexLocker lock(&mutex);
        before = std::exchange(stored, read);
    }
    for (int i = 0; i < keyCount; ++i) {
        if (before[static_cast<std::size_t>(i)] != read[static_cast<std::size_t>(i)])
            announce(static_cast<Key>(i));
    }
}

QVariant Settings::value(Key key) const
{
    QVariant raw;
    {
        const QMutexLocker lock(&mutex);
        raw = stored[static_cast<std::size_t>(key)];
    }
    const KeyInfo &about = info(key);
    if (!raw.isValid())
        return about.fallback;
    if (key == Key::demo)
        return explicitYes(raw);
    QVariant typed = raw;
    return typed.convert(QMetaType(about.type)) ? typed : about.fallback;
}

bool Settings::isStored(Key key) const
{
    const QMutexLocker lock(&mutex);
    return stored[static_cast<std::size_t>(key)].isValid();
}

bool Settings::set(Key key, const QVariant &value)
{
    const QVariant before = this->value(key);
    {
        const QMutexLocker lock(&mutex);
        QVariant &slot = stored[static_cast<std::size_t>(key)];
        if (slot == value)
            return true;
        slot = value;
    }
    const std::unique_ptr<QSettings> file = openFile();
    // QSettings writes an empty list as "@Invalid()"; an empty list is the default, so the key
    // goes instead.
    if (value.metaType().id() == QMetaType::QStringList && value.toStringList().isEmpty())
        file->remove(QLatin1String(info(key).name));
    else
        file->setValue(QLatin1String(info(key).name), value);
    file->sync();
    const bool saved = file->status() == QSettings::NoError;
    if (!saved)
        qCWarning(lcEngine, "the setting %s could not be saved", info(key).name);
    if (this->value(key) != before)
        announce(key);
    return saved;
}

void Settings::announce(Key key)
{
    switch (key) {
    case Key::language:
        Q_EMIT languageChanged();
        break;
    case Key::appearance:
        Q_EMIT appearanceChanged();
        break;
    case Key::viewMode:
        Q_EMIT viewModeChanged();
        break;
    case Key::showMenuBar:
        Q_EMIT showMenuBarChanged();
        break;
    case Key::downloadsLayout:
        Q_EMIT downloadsLayoutChanged();
        break;
    case Key::notifyLowSpace:
        Q_EMIT notifyLowSpaceChanged();
        break;
    case Key::devKeep:
        Q_EMIT devKeepChanged();
        break;
    case Key::projectKeep:
        Q_EMIT projectKeepChanged();
        break;
    case Key::projectRoots:
        Q_EMIT projectRootsChanged();
        break;
    case Key::projectIdleDays:
        Q_EMIT projectIdleDaysChanged();
        break;
    case Key::loginNote:
        Q_EMIT loginNoteChanged();
        break;
    case Key::spaceHistory:
        Q_EMIT spaceHistoryChanged();
        break;
    default: // read at start only
        break;
    }
}

QString Settings::keyName(Key key)
{
    return QLatin1String(info(key).name);
}

std::optional<Settings::Key> Settings::keyNamed(const QString &name)
{
    for (int i = 0; i < keyCount; ++i) {
        if (name == QLatin1String(keys()[static_cast<std::size_t>(i)].name))
            return static_cast<Key>(i);
    }
    return std::nullopt;
}

QString Settings::language() const
{
    return value(Key::language).toString();
}

bool Settings::indonesian() const
{
    return language() == QLatin1String("id");
}

QString Settings::appearance() const
{
    return value(Key::appearance).toString();
}

QString Settings::viewMode() const
{
    return value(Key::viewMode).toString();
}

bool Settings::sidebar() const
{
    return viewMode() == QLatin1String("sidebar");
}

bool Settings::showMenuBar() const
{
    return value(Key::showMenuBar).toBool();
}

QString Settings::downloadsLayout() const
{
    return value(Key::downloadsLayout).toString();
}

bool Settings::loginNote() const
{
    return value(Key::loginNote).toBool();
}

void Settings::setLoginNote(bool value)
{
    set(Key::loginNote, value);
}

bool Settings::spaceHistory() const
{
    return value(Key::spaceHistory).toBool();
}

void Settings::setSpaceHistory(bool value)
{
    set(Key::spaceHistory, value);
}

bool Settings::notifyLowSpace() const
{
    return value(Key::notifyLowSpace).toBool();
}

QStringList Settings::devKeep() const
{
    return value(Key::devKeep).toStringList();
}

QStringList Settings::projectKeep() const
{
    return value(Key::projectKeep).toStringList();
}

QStringList Settings::projectRoots() const
{
    return value(Key::projectRoots).toStringList();
}

int Settings::projectIdleDays() const
{
    const int days = value(Key::projectIdleDays).toInt();
    return days >= 1 ? days : 30;
}

bool Settings::demo() const
{
    return value(Key::demo).toBool();
}

void Settings::setLanguage(const QString &value)
{
    set(Key::language, value);
}

void Settings::setAppearance(const QString &value)
{
    set(Key::appearance, value);
}

void Settings::setViewMode(const QString &value)
{
    set(Key::viewMode, value);
}

void Settings::setShowMenuBar(bool value)
{
    set(Key::showMenuBar, value);
}

void Settings::setDownloadsLayout(const QString &value)
{
    set(Key::downloadsLayout, value);
}

void Settings::setNotifyLowSpace(bool value)
{
    set(Key::notifyLowSpace, value);
}

void Settings::setProjectRoots(const QStringList &value)
{
    set(Key::projectRoots, value);
}

void Settings::setProjectIdleDays(int value)
{
    if (value >= 1)
        set(Key::projectIdleDays, value);
}

void Settings::setDevKeep(const QStringList &value)
{
    set(Key::devKeep, value);
}

void Settings::setProjectKeep(const QStringList &value)
{
    set(Key::projectKeep, value);
}

std::filesystem::path Settings::filePath()
{
    return Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "Ampa" / "Ampa.conf";
}
