#include "DevCacheWords.h"

#include "Paths.h"
#include "TaggedCaches.h"
#include "Text.h"

#include <optional>
#include <string_view>

namespace {

struct Pair {
    const char *indonesian = nullptr;
    const char *english = nullptr; // none: the same in both
};

struct Entry {
    std::string_view id;
    Pair name;
    Pair note;
    Pair lost = {};
};

constexpr Pair redownloaded{"Diunduh ulang saat diperlukan", "Downloaded again when needed"};
constexpr Pair rebuilt{"Dibuat ulang saat build berikutnya", "Rebuilt at the next build"};
constexpr Pair editorOpens{"Dibuat ulang saat editor dibuka", "Rebuilt when the editor opens"};
constexpr Pair browsing{"Dibuat ulang saat browsing", "Rebuilt while you browse"};
constexpr Pair testBrowsers{"Browser uji yang terpasang", "Installed test browsers"};

// The catalogue's entries, in its order.
constexpr Entry catalogue[] = {
    {"cargo", {"Registry Cargo", "Cargo registry"}, redownloaded},
    {"gradle", {"Cache Gradle", "Gradle caches"}, redownloaded},
    {"maven",
     {"Repositori Maven", "Maven repository"},
     {"Unduhan dan artefak mvn install", "Downloads and mvn install artifacts"},
     {"Artefak yang dipasang dengan mvn install tidak bisa diunduh ulang: build ulang proyeknya.",
      "Artifacts installed with mvn install cannot be downloaded again: build their projects "
      "again."}},
    {"yarn", {"Cache Yarn 1", "Yarn 1 cache"}, redownloaded},
    {"yarn-berry",
     {"Cache Yarn Berry", "Yarn Berry cache"},
     {"Paket yang dimuat proyek Plug'n'Play", "Packages that Plug'n'Play projects load"},
     {"Proyek Plug'n'Play tidak jalan sampai yarn install dijalankan lagi.",
      "Plug'n'Play projects do not run until yarn install runs again."}},
    {"pnpm",
     {"Store pnpm", "pnpm store"},
     {"Hanya paket yang tidak dipakai proyek mana pun", "Only packages no project uses"}},
    {"go-modules", {"Modul Go", "Go modules"}, redownloaded},
    {"poetry", {"Cache Poetry", "Poetry cache"}, redownloaded},
    {"ccache", {"ccache"}, rebuilt},
    {"sccache", {"sccache"}, rebuilt},
    {"bazel", {"Cache Bazel", "Bazel cache"}, rebuilt},
    {"jetbrains",
     {"Cache JetBrains", "JetBrains caches"},
     {"Indeks dibuat ulang saat IDE dibuka", "Indexes are rebuilt when the IDE opens"}},
    {"vscode", {"Cache VS Code", "VS Code cache"}, editorOpens},
    {"vscode-insiders", {"Cache VS Code Insiders", "VS Code Insiders cache"}, editorOpens},
    {"vscodium", {"Cache VSCodium", "VSCodium cache"}, editorOpens},
    {"cursor", {"Cache Cursor", "Cursor cache"}, editorOpens},
    {"firefox", {"Cache Firefox", "Firefox cache"}, browsing},
    {"chromium", {"Cache Chromium", "Chromium cache"}, browsing},
    {"thumbnails",
     {"Thumbnail", "Thumbnails"},
     {"Dibuat ulang saat folder dibuka", "Made again when folders open"}},
    {"playwright",
     {"Browser Playwright", "Playwright browsers"},
     testBrowsers,
     {"Tes gagal sampai npx playwright install dijalankan lagi.",
      "Tests fail until npx playwright install runs again."}},
    {"puppeteer",
     {"Browser Puppeteer", "Puppeteer browsers"},
     testBrowsers,
     {"Tes gagal sampai npx puppeteer browsers install dijalankan lagi.",
      "Tests fail until npx puppeteer browsers install runs again."}},
    {"cypress",
     {"Cypress"},
     testBrowsers,
     {"Cypress diunduh ulang saat npx cypress install berikutnya.",
      "Cypress is downloaded again at the next npx cypress install."}},
    {"docker",
     {"Sisa Docker", "Docker leftovers"},
     {"Container berhenti, image tanpa tag, cache build",
      "Stopped containers, untagged images, build cache"}},
    {"docker-images",
     {"Image Docker tak terpakai", "Unused Docker images"},
     {"Image yang tidak dipakai container mana pun", "Images no container uses"},
     {"Image diunduh ulang saat dipakai lagi.", "Images are downloaded again when next used."}},
    {"flatpak-runtimes",
     {"Runtime Flatpak tak terpakai", "Unused Flatpak runtimes"},
     {"Tidak dipakai aplikasi mana pun", "Used by no installed application"}},
    {"journal",
     {"Jurnal pengguna", "User journal"},
     {"Log lama sistem untuk akun ini", "Old system logs of this account"}},
};

constexpr Pair appCache{"Cache aplikasi, dibuat ulang olehnya",
                        "The application's cache, rebuilt by it"};

// The applications' entries, by the prefix of their ids: the rest is the application's own.
struct Application {
    const char *prefix;
    const char *nameFormat;
};
constexpr Application applications[] = {{"flatpak:", "%1 (Flatpak)"}, {"snap:", "%1 (Snap)"}};

constexpr Pair taggedNote{
    "Sebuah program menandainya sebagai cache (CACHEDIR.TAG); Ampa tidak tahu program mana",
    "A program marked it as a cache (CACHEDIR.TAG); Ampa cannot tell which"};
constexpr Pair taggedLost{
    "Semua isinya hilang. Program pemiliknya harus membuatnya ulang, dan Ampa tidak tahu program "
    "mana itu atau berapa lama.",
    "All it holds is lost. The program that owns it has to make it again, and Ampa does not know "
    "which program that is or how long it takes."};

QString say(const Pair &pair)
{
    if (!pair.indonesian)
        return {};
    const QString indonesian = QString::fromUtf8(pair.indonesian);
    return pair.english ? bilingual(indonesian, QString::fromUtf8(pair.english)) : indonesian;
}

struct Said {
    QString name;
    Pair note;
    Pair lost = {};
};

std::optional<Said> wordsOf(const QString &id)
{
    const QByteArray key = id.toUtf8();
    for (const Entry &entry : catalogue)
        if (entry.id == std::string_view(key.constData(), key.size()))
            return Said{say(entry.name), entry.note, entry.lost};
    for (const Application &app : applications) {
        const QLatin1String prefix(app.prefix);
        if (id.startsWith(prefix) && id.size() > prefix.size())
            return Said{QString::fromUtf8(app.nameFormat).arg(id.mid(prefix.size())), appCache};
    }
    // A tagged folder's path is data, shown as it lies: from the home when inside it.
    const std::filesystem::path place = Engine::taggedPlace(id);
    if (place.empty())
        return std::nullopt;
    const QString shown = Engine::displayPath(place);
    return Said{place.is_relative() ? QStringLiteral("~/") + shown : shown, taggedNote, taggedLost};
}

} // namespace

QString devCacheName(const QString &id)
{
    const std::optional<Said> said = wordsOf(id);
    return said ? said->name : QString();
}

QString devCacheNote(const QString &id)
{
    const std::optional<Said> said = wordsOf(id);
    return said ? say(said->note) : QString();
}

QString devCacheLost(const QString &id)
{
    const std::optional<Said> said = wordsOf(id);
    return said ? say(said->lost) : QString();
}
