#include "SpaceMoves.h"

#include "HomePlaces.h"
#include "Paths.h"

namespace Engine {

std::optional<SpaceMoveRefusal> whyNotToTheTrash(const std::filesystem::path &path, SpaceKind kind)
{
    const std::filesystem::path trash = homeTrashFolder();
    if (isSameOrInside(homeDir(), path))
        return SpaceMoveRefusal::homeOrAbove;
    if (kind == SpaceKind::trash || isSameOrInside(path, trash) || isSameOrInside(trash, path))
        return SpaceMoveRefusal::trash;
    if (keysPlace(path))
        return SpaceMoveRefusal::keysPlace;
    // A cache directly in the cache folder is pointed to the pane that cleans it.
    if (kind != SpaceKind::none)
        return SpaceMoveRefusal::cleanedInItsPane;
    if (baseOrDirectlyIn(path))
        return SpaceMoveRefusal::baseFolder;
    return std::nullopt;
}

} // namespace Engine
