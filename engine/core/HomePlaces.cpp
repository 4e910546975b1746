#include "HomePlaces.h"

#include "BaseFolders.h"
#include "FolderIdentity.h"
#include "Paths.h"

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace Engine {

namespace fs = std::filesystem;

namespace {

fs::path real(const fs::path &path)
{
    std::error_code error;
    return withoutTrailingSlash(fs::weakly_canonical(path, error));
}

} // namespace

std::vector<fs::path> baseFolders()
{
    return {real(homeDir()), real(userCacheDir()), real(userConfigDir()),
            real(removalBase("XDG_DATA_HOME", ".local/share").folder),
            real(xdgDir("XDG_STATE_HOME", ".local/state"))};
}

namespace {

std::optional<FolderIdentity> identityOf(const fs::path &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<FolderIdentity> id = identify(fd);
    close(fd);
    return id;
}

bool sameFolder(const std::optional<FolderIdentity> &a, const std::optional<FolderIdentity> &b)
{
    return a && b && a->sameFolder(*b);
}

} // namespace

bool baseOrDirectlyIn(const fs::path &path)
{
    const std::optional<FolderIdentity> here = identityOf(path);
    const std::optional<FolderIdentity> above = identityOf(path.parent_path());
    for (const fs::path &base :
         {userCacheDir(), userConfigDir(), removalBase("XDG_DATA_HOME", ".local/share").folder,
          xdgDir("XDG_STATE_HOME", ".local/state"), homeDir() / ".local"}) {
        const std::optional<FolderIdentity> id = identityOf(base);
        if (sameFolder(here, id) || sameFolder(above, id))
            return true;
    }
    return false;
}

bool keysPlace(const fs::path &path)
{
    const fs::path home = homeDir();
    const fs::path data = removalBase("XDG_DATA_HOME", ".local/share").folder;
    std::vector<std::optional<FolderIdentity>> keys;
    for (const fs::path &place :
         {home / ".ssh", home / ".gnupg", home / ".pki", home / ".password-store",
          home / ".local/share/keyrings", data / "keyrings", home / ".local/share/password-store",
          data / "password-store"})
        keys.push_back(identityOf(place));
    const std::optional<FolderIdentity> config = identityOf(userConfigDir());
    const std::optional<FolderIdentity> shared = identityOf(data);
    const std::optional<FolderIdentity> localShared = identityOf(home / ".local/share");
    const std::optional<FolderIdentity> here = identityOf(path);
    const std::optional<FolderIdentity> above = identityOf(path.parent_path());
    for (const auto &base : {config, shared, localShared})
        if (sameFolder(here, base) || sameFolder(above, base))
            return true;
    for (fs::path at = path; at.has_relative_path(); at = at.parent_path()) {
        const std::optional<FolderIdentity> id = identityOf(at);
        if (std::any_of(keys.begin(), keys.end(),
                        [&id](const auto &key) { return sameFolder(id, key); }))
            return true;
    }
    return false;
}

} // namespace Engine
