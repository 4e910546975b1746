#include "RunAs.h"

#include "Paths.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

std::optional<RunRefusal> refusalToRun()
{
    const std::filesystem::path home = homeDir();
    // Following a link: a home reached through one (/home -> /usr/home) is as good as the folder.
    struct stat st {};
    if (stat(home.c_str(), &st) != 0)
        return RunRefusal{RunRefusal::Why::cannotOpen, home, errno};
    if (st.st_uid == geteuid())
        return std::nullopt;
    return RunRefusal{RunRefusal::Why::otherUser, home};
}

} // namespace Engine
