#pragma once

#include <filesystem>
#include <optional>

namespace Engine {

// Why Ampa will not clean the home folder it was given.
struct RunRefusal {
    enum class Why {
        cannotOpen, // the home folder cannot be examined; `code` is the system's error number
        otherUser,  // it belongs to another user than the effective one
    };
    Why why;
    std::filesystem::path home;
    int code = 0;
};

// Ampa cleans the home folder of the user who runs it. Both programs call this before they touch
// any file, and stop with exit status 2 and the text of the refusal (runRefusalText, words/) on
// standard error when it gives one: the home folder ($HOME) belongs to another user than the
// effective one (root started with sudo -E, or another user's HOME), or it cannot be examined at
// all. Root with a home of its own may run Ampa. Nothing is written anywhere.
std::optional<RunRefusal> refusalToRun();

} // namespace Engine
