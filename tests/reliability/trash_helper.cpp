// ampa-trash-helper PATH: moves PATH to the Trash through Ampa's Trash and prints the error, if
// any. A process of its own, since GLib reads XDG_DATA_HOME once per process.
#include "FreedesktopTrash.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 1;
    FreedesktopTrash trash(std::vector<std::filesystem::path>{});
    const auto error = trash.moveToTrash(argv[1]);
    std::printf("%s\n", error ? qPrintable(*error) : "");
    return 0;
}
