#include "RunAs.h"

#include "Paths.h"
#include "Text.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

std::optional<QString> refusalToRun()
{
    const std::filesystem::path home = homeDir();
    const QString shown = displayPath(home);
    // Following a link: a home reached through one (/home -> /usr/home) is as good as the folder.
    struct stat st {};
    if (stat(home.c_str(), &st) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        return bilingual(
            QStringLiteral("Ampa membersihkan folder home pengguna yang menjalankannya, "
                           "dan %1 tidak bisa dibuka: %2.")
                .arg(shown, reason),
            QStringLiteral("Ampa cleans the home folder of the user who runs it, and %1 "
                           "cannot be opened: %2.")
                .arg(shown, reason));
    }
    if (st.st_uid == geteuid())
        return std::nullopt;
    return bilingual(
        QStringLiteral("Ampa membersihkan folder home pengguna yang menjalankannya, dan %1 "
                       "milik pengguna lain. Jalankan Ampa sebagai pengguna itu, tanpa "
                       "sudo.")
            .arg(shown),
        QStringLiteral("Ampa cleans the home folder of the user who runs it, and %1 "
                       "belongs to another user. Run Ampa as that user, without sudo.")
            .arg(shown));
}

} // namespace Engine
