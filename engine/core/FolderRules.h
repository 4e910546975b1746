#pragma once

#include "Failure.h"
#include "FolderShape.h"

#include <filesystem>
#include <optional>

// The rules for which folders a clean may remove or empty, shared by the quick clean and the
// developer caches: a path is walked one component at a time from a base the user chose, and a
// link along the way is followed only to a folder of the user's own that holds nothing of theirs.
namespace Engine {

// One folder a clean resolves to, and how it is treated.
struct TargetFolder {
    std::filesystem::path path; // as the catalogue names it
    // What is measured and removed: the real folder, links along the way resolved. When the path
    // itself is the user's link to a cache kept elsewhere, the folder it leads to, which is then
    // emptied while it and the link stay.
    std::filesystem::path folder;
    bool viaLink = false;
    // Left alone, and why: a mount point, a link that leads somewhere the clean does not go, the
    // user's own folders, a path outside the folders the clean works in.
    std::optional<Refusal> refused;

    // The refusal as a failure of the clean, for whoever reports it.
    std::optional<Failure> refusal() const
    {
        if (!refused)
            return std::nullopt;
        return Failure{Failure::Kind::refused, 0, path, *refused};
    }
};

// Why the real folder (links resolved) may not be removed or emptied as a whole: it is not a
// folder of the current user's, it is "/", the home folder or above it, one of the user's own
// folders (Documents, Downloads, … as the desktop names them) or holds one, or the root of a
// mount. None when it may be.
std::optional<Refusal> unsafeFolder(const std::filesystem::path &real);

// Why a tool's own folder, all of whose content a clean may offer, is not one: "/", the home
// folder or above it, one of the user's own folders or a folder holding one, or another user's.
// None when it may be. Links in it are resolved: the tool's folder is the user's choice.
std::optional<Refusal> unsafeBase(const std::filesystem::path &base);

// `path`, which lies in `base`, walked from `base` one component at a time: each link met is
// followed only when unsafeFolder() accepts what it leads to and that has the shape `shapes`
// give for the link's folder (none given: never followed), and a link on the way (not the path
// itself) only when that also lies outside the home folder or, inside it, in `base` or the
// user's cache, configuration or data folder (never in the user's own work, a source tree say);
// the last folder reached must pass the same rules.
// Nothing when the path does not exist (a dangling link included); a refused folder says why.
// `base` itself is trusted as it resolves.
// When the path itself is a link, whether it may be followed: a folder that is removed whole
// may not be, as that would leave the link dangling and its tool unable to make it again.
enum class LastLink { followed, refused };
std::optional<TargetFolder> vetBelow(const std::filesystem::path &base,
                                     const std::filesystem::path &path,
                                     const FolderShapes &shapes = {},
                                     LastLink lastLink = LastLink::followed);

} // namespace Engine
