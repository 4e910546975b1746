#include "EngineWords.h"

#include "Paths.h"
#include "Text.h"

#include <cstring>
#include <string_view>

namespace {

struct Entry {
    std::string_view key;
    const char *indonesian;
    const char *english;
};

// Every word of the engine's results, keyed by what the engine returns.
constexpr Entry table[] = {
    // The quick clean's targets, by id, and their notes.
    {"codex", "Versi lama Codex", "Old Codex versions"},
    {"codex.note", "Versi aktif dan dua terbaru disimpan", "The active and two newest are kept"},
    {"arc", "Cache Arc", "Arc cache"},
    {"arc.note", "Dibuat ulang saat browsing", "Rebuilt while you browse"},
    {"comet", "Cache Comet", "Comet cache"},
    {"comet.note", "Dibuat ulang saat browsing", "Rebuilt while you browse"},
    {"chrome", "Cache Google Chrome", "Google Chrome cache"},
    {"chrome.note", "Dibuat ulang saat browsing", "Rebuilt while you browse"},
    {"zoom", "Cache Zoom", "Zoom cache"},
    {"zoom.note", "Dibuat ulang saat Zoom dipakai", "Rebuilt when Zoom is used"},
    {"zcode", "Unduhan update zcode", "zcode update downloads"},
    {"zcode.note", "Diunduh ulang saat update berikutnya", "Downloaded again at the next update"},
    {"brew", "Cache Homebrew", "Homebrew cache"},
    {"brew.note", "Unduhan paket lama", "Old package downloads"},
    {"npm", "Cache npm", "npm cache"},
    {"npm.note", "Unduhan paket Node.js", "Node.js package downloads"},
    {"pip", "Cache pip dan uv", "pip and uv cache"},
    {"pip.note", "Unduhan paket Python", "Python package downloads"},
    {"build", "Cache build Go dan node-gyp", "Go and node-gyp build cache"},
    {"build.note", "Hasil kompilasi sementara", "Temporary build output"},
    {"clang", "Cache compiler Clang dan Swift", "Clang and Swift compiler cache"},
    {"clang.note", "Dibuat ulang saat kompilasi berikutnya", "Rebuilt at the next compile"},

    // Why a folder was left alone.
    {"unreadable", "tidak bisa dibaca", "cannot be read"},
    {"notAFolder", "bukan folder", "is not a folder"},
    {"otherUser", "milik pengguna lain", "belongs to another user"},
    {"homeOrAbove", "folder home atau di atasnya", "is the home folder or above it"},
    {"userFolder", "folder pribadi pengguna atau berisi folder itu",
     "is or holds one of the user's own folders"},
    {"mountPoint", "titik mount, tidak disentuh", "is a mount point and was left alone"},
    {"outside", "di luar folder yang dibersihkan, tidak disentuh",
     "is outside the folders Ampa cleans and was left alone"},
    {"linkTo", "tautan ke %1, tidak disentuh", "is a link to %1 and was left alone"},
    {"unlikeTheCache", "tautan ke %1, yang isinya tidak seperti cache ini, tidak disentuh",
     "is a link to %1, which does not hold what this cache holds, and was left alone"},
    {"holdsKeptPart", "berisi bagian yang harus tetap ada", "holds a part that must stay"},
    {"notInstalled", "tidak terpasang", "is not installed"},
    {"notAsShown", "bukan lagi folder yang ditampilkan, tidak disentuh",
     "is no longer the folder that was shown and was left alone"},
    {"noCacheTag", "tidak lagi berisi CACHEDIR.TAG yang sah, tidak disentuh",
     "no longer holds a valid CACHEDIR.TAG and was left alone"},
    {"baseFolder", "folder dasar (cache, konfigurasi, data) atau berisi folder itu",
     "is or holds a base folder (cache, configuration, data)"},
    {"keysPlace", "tempat kunci, kredensial atau konfigurasi, tidak disentuh",
     "is a place of keys, credentials or configuration and was left alone"},
    {"holdsWork", "berisi proyek, repositori atau berkas yang dilacak repositori, tidak disentuh",
     "holds a project, a repository or a file a repository tracks and was left alone"},

    // Why a removal or a command did not finish.
    {"otherMount", "ada di sistem file lain dan tidak disentuh",
     "is on another file system and was left alone"},
    {"moved", "folder dipindahkan saat dihapus; penghapusan dihentikan",
     "a folder was moved during removal; removal stopped"},
    {"stopped", "penghapusan dihentikan", "removal stopped"},
    {"notStarted", "tidak bisa dijalankan", "could not be started"},
    {"exitStatus", "berakhir dengan status %1", "ended with status %1"},

    // A base folder variable that is not used.
    {"baseRefused", "%1 (%2) tidak dipakai karena %3; yang dipakai %4.",
     "%1 (%2) is not used because %3; %4 is used instead."},
    {"notAbsolute", "bukan path absolut", "it is not an absolute path"},
    {"pointsAtHome", "menunjuk ke folder home atau di atasnya",
     "it points at the home folder or above it"},

    // Another user's home.
    {"homeCannotOpen",
     "Ampa membersihkan folder home pengguna yang menjalankannya, dan %1 tidak bisa dibuka: %2.",
     "Ampa cleans the home folder of the user who runs it, and %1 cannot be opened: %2."},
    {"homeOfOtherUser",
     "Ampa membersihkan folder home pengguna yang menjalankannya, dan %1 milik pengguna lain. "
     "Jalankan Ampa sebagai pengguna itu, tanpa sudo.",
     "Ampa cleans the home folder of the user who runs it, and %1 belongs to another user. Run "
     "Ampa as that user, without sudo."},
};

// The words for `key` in the language chosen now; empty for a key the table does not have.
QString say(std::string_view key)
{
    for (const Entry &entry : table)
        if (entry.key == key)
            return bilingual(QString::fromUtf8(entry.indonesian), QString::fromUtf8(entry.english));
    return {};
}

QString sayFor(const QString &key)
{
    return say(key.toStdString());
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

QString quickTargetName(const QString &id)
{
    return id.contains(QLatin1Char('.')) ? QString() : sayFor(id);
}

QString quickTargetNote(const QString &id)
{
    return id.contains(QLatin1Char('.')) ? QString() : sayFor(id + QStringLiteral(".note"));
}

QString refusalText(const Engine::Refusal &refusal)
{
    using Why = Engine::Refusal::Why;
    switch (refusal.why) {
    case Why::unreadable:
        return say("unreadable");
    case Why::notAFolder:
        return say("notAFolder");
    case Why::otherUser:
        return say("otherUser");
    case Why::homeOrAbove:
        return say("homeOrAbove");
    case Why::userFolder:
        return say("userFolder");
    case Why::mountPoint:
        return mountPointText();
    case Why::outside:
        return say("outside");
    case Why::linkTo:
        return say("linkTo").arg(Engine::displayPath(refusal.to));
    case Why::unlikeTheCache:
        return say("unlikeTheCache").arg(Engine::displayPath(refusal.to));
    case Why::holdsKeptPart:
        return say("holdsKeptPart");
    case Why::notInstalled:
        return say("notInstalled");
    case Why::notAsShown:
        return say("notAsShown");
    case Why::noCacheTag:
        return say("noCacheTag");
    case Why::baseFolder:
        return say("baseFolder");
    case Why::keysPlace:
        return say("keysPlace");
    case Why::holdsWork:
        return say("holdsWork");
    }
    return {};
}

QString mountPointText()
{
    return say("mountPoint");
}

QString baseRefusalText(const BaseRefusal &refusal)
{
    const QString why =
        refusal.why == BaseRefusal::Why::notAbsolute ? say("notAbsolute") : say("pointsAtHome");
    return say("baseRefused")
        .arg(refusal.variable, Engine::displayPath(refusal.value), why,
             Engine::displayPath(refusal.fallback));
}

QStringList baseFolderWarnings()
{
    QStringList lines;
    for (const BaseRefusal &refusal : refusedBases())
        lines << baseRefusalText(refusal);
    return lines;
}

QString runRefusalText(const Engine::RunRefusal &refusal)
{
    const QString shown = Engine::displayPath(refusal.home);
    if (refusal.why == Engine::RunRefusal::Why::cannotOpen)
        return say("homeCannotOpen").arg(shown, systemError(refusal.code));
    return say("homeOfOtherUser").arg(shown);
}

QString Engine::Failure::text() const
{
    QString why;
    switch (kind) {
    case Kind::failed:
    case Kind::notAllowed:
    case Kind::notAFolder:
        why = systemError(code);
        break;
    case Kind::mountPoint:
        why = mountPointText();
        break;
    case Kind::otherMount:
        why = say("otherMount");
        break;
    case Kind::moved:
        why = say("moved");
        break;
    case Kind::stopped:
        why = say("stopped");
        break;
    case Kind::refused:
        why = refusalText(refusal);
        break;
    case Kind::commandFailed:
        why = code < 0 ? say("notStarted") : say("exitStatus").arg(code);
        break;
    }
    return displayPath(path) + QStringLiteral(": ") + why;
}
