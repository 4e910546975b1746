#pragma once

#include <QString>

#include <optional>

namespace Engine {

// Ampa cleans the home folder of the user who runs it. Both programs call this before they touch
// any file, and stop with exit status 2 and the text on standard error when it gives one: the
// home folder ($HOME) belongs to another user than the effective one (root started with sudo -E,
// or another user's HOME), or it cannot be examined at all. Root with a home of its own may run
// Ampa. The text is in the language of the stored settings; nothing is written anywhere.
std::optional<QString> refusalToRun();

} // namespace Engine
