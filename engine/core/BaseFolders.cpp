#include "BaseFolders.h"

#include "Paths.h"

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
    auto refused = [&](BaseRefusal::Why why) {
        return RemovalBase{fallback, BaseRefusal{why, variable, value, fallback}};
    };
    if (value[0] != '/')
        return refused(BaseRefusal::Why::notAbsolute);
    std::error_code error;
    const std::filesystem::path resolved =
        Engine::withoutTrailingSlash(std::filesystem::weakly_canonical(value, error));
    const std::filesystem::path home =
        Engine::withoutTrailingSlash(std::filesystem::weakly_canonical(Engine::homeDir(), error));
    if (!Engine::isSameOrInside(home, resolved))
        return {value, std::nullopt};
    return refused(BaseRefusal::Why::homeOrAbove);
}

std::vector<BaseRefusal> refusedBases()
{
    std::vector<BaseRefusal> refusals;
    for (const auto &[variable, fallback] :
         {std::pair{"XDG_CACHE_HOME", ".cache"}, std::pair{"XDG_CONFIG_HOME", ".config"}}) {
        if (auto refused = removalBase(variable, fallback).refused)
            refusals.push_back(*refused);
    }
    return refusals;
}
