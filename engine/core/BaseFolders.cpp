#include "BaseFolders.h"

#include "Paths.h"
#include "Text.h"

#include <cstdlib>

std::filesystem::path userCacheDir()
{
    std::string folder = removalBase("XDG_CACHE_HOME", ".cache").folder.native();
    if (!folder.ends_with('/'))
        folder += '/';
    return folder;
}

std::filesystem::path userConfigDir()
{
    return removalBase("XDG_CONFIG_HOME", ".config").folder;
}

RemovalBase removalBase(const char *variable, const char *fallbackUnderHome)
{
    const std::filesystem::path fallback = Engine::homeDir() / fallbackUnderHome;
    const char *value = std::getenv(variable);
    if (!value || !*value)
        return {fallback, std::nullopt};
    const QString shownValue = Engine::displayPath(value);
    const QString shownFallback = Engine::displayPath(fallback);
    auto refused = [&](const QString &indonesianWhy, const QString &englishWhy) {
        return RemovalBase{
            fallback,
            bilingual(QStringLiteral("%1 (%2) tidak dipakai karena %3; yang dipakai %4.")
                          .arg(variable, shownValue, indonesianWhy, shownFallback),
                      QStringLiteral("%1 (%2) is not used because %3; %4 is used instead.")
                          .arg(variable, shownValue, englishWhy, shownFallback))};
    };
    if (value[0] != '/')
        return refused(QStringLiteral("bukan path absolut"),
                       QStringLiteral("it is not an absolute path"));
    std::error_code error;
    const std::filesystem::path resolved =
        Engine::withoutTrailingSlash(std::filesystem::weakly_canonical(value, error));
    const std::filesystem::path home =
        Engine::withoutTrailingSlash(std::filesystem::weakly_canonical(Engine::homeDir(), error));
    if (!Engine::isSameOrInside(home, resolved))
        return {value, std::nullopt};
    return refused(QStringLiteral("menunjuk ke folder home atau di atasnya"),
                   QStringLiteral("it points at the home folder or above it"));
}

QStringList baseFolderWarnings()
{
    QStringList lines;
    for (const auto &[variable, fallback] :
         {std::pair{"XDG_CACHE_HOME", ".cache"}, std::pair{"XDG_CONFIG_HOME", ".config"}}) {
        if (auto refused = removalBase(variable, fallback).refused)
            lines << *refused;
    }
    return lines;
}
