#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <filesystem>
#include <optional>

// Ampa's stored settings, one object per process: every key with its default and type lives
// here, the file is read once, and each change is saved at once and announced.
//
// The file: native format in $XDG_CONFIG_HOME/Ampa/Ampa.conf (default ~/.config/Ampa/Ampa.conf),
// a link to a regular file being used as usual. One that exists and is not a regular file once
// links are followed (a FIFO would block QSettings for ever) is never opened: defaults are read,
// saving fails, nothing is created or removed anywhere, and one warning says why.
//
// Values may be read from any thread; changes are made on the thread the object lives in (the
// application's), where the change signals are sent.
class Settings : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QString appearance READ appearance WRITE setAppearance NOTIFY appearanceChanged)
    Q_PROPERTY(QString viewMode READ viewMode WRITE setViewMode NOTIFY viewModeChanged)
    Q_PROPERTY(bool showMenuBar READ showMenuBar WRITE setShowMenuBar NOTIFY showMenuBarChanged)
    Q_PROPERTY(QString downloadsLayout READ downloadsLayout WRITE setDownloadsLayout NOTIFY
                   downloadsLayoutChanged)
    Q_PROPERTY(bool notifyLowSpace READ notifyLowSpace WRITE setNotifyLowSpace NOTIFY
                   notifyLowSpaceChanged)
    Q_PROPERTY(QStringList devKeep READ devKeep WRITE setDevKeep NOTIFY devKeepChanged)
    Q_PROPERTY(
        QStringList projectKeep READ projectKeep WRITE setProjectKeep NOTIFY projectKeepChanged)
    // The folders as stored (none: the usual ones); the finder reads them at each scan.
    Q_PROPERTY(
        QStringList projectRoots READ projectRoots WRITE setProjectRoots NOTIFY projectRootsChanged)
    Q_PROPERTY(int projectIdleDays READ projectIdleDays WRITE setProjectIdleDays NOTIFY
                   projectIdleDaysChanged)
    Q_PROPERTY(bool loginNote READ loginNote WRITE setLoginNote NOTIFY loginNoteChanged)
    Q_PROPERTY(bool spaceHistory READ spaceHistory WRITE setSpaceHistory NOTIFY spaceHistoryChanged)

public:
    enum class Key {
        language,        // "id" for Indonesian; anything else is English
        appearance,      // "sistem", "terang" or "gelap"
        viewMode,        // "sidebar" or "halaman"
        showMenuBar,     // the tray icon and its panel
        downloadsLayout, // "grid" or "list"
        didSetupLogin,   // start at login was set up on the first run
        demo,            // sample figures instead of the machine's; nothing is removed
        demoPane,        // the pane demo mode opens on
        demoAutoClean,   // seconds after the start at which demo mode runs a quick clean
        demoAsk,         // seconds after the start at which demo mode shows a confirmation
        notifyLowSpace,  // a desktop notification when free space runs low
        devKeep,         // ids of the developer caches kept: not offered, not counted
        projectRoots,    // folders searched for projects; none: the usual ones that exist
        projectIdleDays, // days without activity after which a project counts as idle
        projectKeep,     // paths of the projects kept: never offered
        autoClean,       // the quick clean on a timer: "off", "daily", "weekly" or "monthly"
        spaceKeep,       // folders the space map never marks as rebuilding by itself
        loginNote,       // the first run turned on start at login, and the window is to say so
        spaceHistory,    // the space map's walks are recorded, for what grew since
    };
    static constexpr int keyCount = 19;

    static Settings &instance();

    // The stored value converted to the key's type, or the default.
    QVariant value(Key key) const;
    // Whether the file holds a value for the key.
    bool isStored(Key key) const;
    // Changes the value for this run and saves it; false when it could not be saved.
    bool set(Key key, const QVariant &value);
    // Reads the file again, announcing what changed: the file may have been edited by hand.
    void reload();

    // The file the settings are kept in, which people may edit too.
    static std::filesystem::path filePath();

    static QString keyName(Key key);
    static std::optional<Key> keyNamed(const QString &name);

    QString language() const;
    bool indonesian() const;
    QString appearance() const;
    QString viewMode() const;
    bool sidebar() const;
    bool showMenuBar() const;
    QString downloadsLayout() const;
    bool notifyLowSpace() const;
    QStringList devKeep() const;
    QStringList projectKeep() const;
    QStringList projectRoots() const;
    // At least 1; a broken value reads as the default, 30.
    int projectIdleDays() const;
    // Only an explicit yes ("true", "1", "yes", "on", any case) turns demo mode on.
    bool demo() const;
    bool loginNote() const;
    bool spaceHistory() const;

    void setLanguage(const QString &value);
    void setAppearance(const QString &value);
    void setViewMode(const QString &value);
    void setShowMenuBar(bool value);
    void setDownloadsLayout(const QString &value);
    void setNotifyLowSpace(bool value);
    void setDevKeep(const QStringList &value);
    void setProjectKeep(const QStringList &value);
    void setProjectRoots(const QStringList &value);
    // Below 1 is not stored: a project is idle after a day at the soonest.
    void setProjectIdleDays(int value);
    void setLoginNote(bool value);
    void setSpaceHistory(bool value);

Q_SIGNALS:
    void languageChanged();
    void appearanceChanged();
    void viewModeChanged();
    void showMenuBarChanged();
    void downloadsLayoutChanged();
    void notifyLowSpaceChanged();
    void devKeepChanged();
    void projectKeepChanged();
    void projectRootsChanged();
    void projectIdleDaysChanged();
    void loginNoteChanged();
    void spaceHistoryChanged();

private:
    Settings();
    void announce(Key key);

    mutable QMutex mutex;
    std::array<QVariant, keyCount> stored; // invalid where the file holds nothing
};
