// The reader of ncdu's exports on any bytes: a tree or a problem within the file, never both.
#include "NcduFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = memfd_create("export", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size))
        __builtin_trap();
    const Engine::ScanRead read = Engine::readNcdu("/proc/self/fd/" + std::to_string(fd), nullptr);
    close(fd);
    if ((read.tree != nullptr) != (read.problem == Engine::ScanProblem::none))
        __builtin_trap();
    if (read.offset < 0 || read.offset > static_cast<qint64>(size))
        __builtin_trap();
    if (read.tree && !read.tree->progress().done)
        __builtin_trap();
    return 0;
}
