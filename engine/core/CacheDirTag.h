#pragma once

namespace Engine {

// Whether the folder open at `folderFd` holds a CACHEDIR.TAG whose first bytes are exactly the
// standard signature: a regular file, not a link, read without blocking. The folder's owner
// promises that all it holds can be made again. False when it cannot be read.
bool hasCacheDirTag(int folderFd);

} // namespace Engine
