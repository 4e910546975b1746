#include "TestHome.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path rootFolder;

// Tests make folders unreadable on purpose: open them up again so the whole tree can go.
void makeRemovable(const fs::path &folder)
{
    chmod(folder.c_str(), 0700);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            makeRemovable(it->path());
    }
}

} // namespace

TestHome::TestHome()
{
    const char *base = std::getenv("AMPA_TEST_TMP");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ampa-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("cannot create the temporary home");
        std::exit(2);
    }
    rootFolder = pattern;
    for (const char *folder : {"home", "home/.cache", "home/.config", "home/.local/share",
                               "home/.local/state", "tmp", "share", "runtime"})
        fs::create_directories(rootFolder / folder);
    chmod((rootFolder / "runtime").c_str(), 0700);

    // Nothing of the session the test was started from; a display and bus that the desktop
    // tests made for themselves stay.
    const bool ownDesktop = getenv("AMPA_TEST_OWN_DESKTOP");
    for (const QString &name : QString::fromLatin1(AMPA_SESSION_VARIABLES).split(',')) {
        if (!(ownDesktop && (name == "DISPLAY" || name == "DBUS_SESSION_BUS_ADDRESS")))
            unsetenv(name.toLatin1().constData());
    }
    const auto set = [](const char *name, const fs::path &value) {
        setenv(name, value.c_str(), 1);
    };
    set("HOME", home());
    set("XDG_CACHE_HOME", home() / ".cache");
    set("XDG_CONFIG_HOME", home() / ".config");
    set("XDG_DATA_HOME", home() / ".local/share");
    set("XDG_STATE_HOME", home() / ".local/state");
    set("XDG_DATA_DIRS", rootFolder / "share");
    set("XDG_CONFIG_DIRS", rootFolder / "share/xdg");
    set("XDG_RUNTIME_DIR", rootFolder / "runtime");
    set("TMPDIR", rootFolder / "tmp");
    // A bus that is not there, so nothing falls back to the user's own (or to their systemd
    // manager's) either.
    if (!ownDesktop)
        set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (rootFolder / "no-bus").native());
}

TestHome::~TestHome()
{
    makeRemovable(rootFolder);
    std::error_code error;
    fs::remove_all(rootFolder, error);
}

fs::path TestHome::root()
{
    return rootFolder;
}

fs::path TestHome::home()
{
    return rootFolder / "home";
}
