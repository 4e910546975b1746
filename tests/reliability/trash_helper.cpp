// ampa-trash-helper: what Trash tests must run in a process of their own, since GLib reads
// XDG_DATA_HOME once per process, mounts need a namespace and another user needs a process.
//   PATH                           move PATH to the Trash; print the error, if any
//   move-and-empty PATH            move PATH to the Trash, then empty it; print both errors
//   glib-first PATH                as PATH alone, once GLib has read the data folder itself
//   empty-with-bind SOURCE TARGET  in a mount namespace of its own, bind SOURCE at TARGET, then
//                                  empty the home Trash; print the error (exit 3: no mounting)
//   as UID GID COMMAND...          run COMMAND as UID, with GID as its only group:
//     empty TOP                    open the trash folders (TOP the only volume), print
//                                  "opened N", wait for a line on stdin, empty; print the error
//     rename FROM TO
//     swap PATH ASIDE TARGET       rename PATH to ASIDE, then put a link to TARGET at PATH

#include "FreedesktopTrash.h"

#include <cstdio>
#include <cstdlib>
#include <glib.h>
#include <grp.h>
#include <iostream>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: see the comment at the top of trash_helper.cpp\n");
    return 1;
}

void print(const std::optional<QString> &error)
{
    std::printf("%s\n", error ? qPrintable(*error) : "");
}

int fail(const char *what, int code = 2)
{
    std::perror(what);
    return code;
}

int runAs(int argc, char **argv)
{
    const uid_t uid = static_cast<uid_t>(std::strtoul(argv[0], nullptr, 10));
    const gid_t gid = static_cast<gid_t>(std::strtoul(argv[1], nullptr, 10));
    if (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
        return fail("cannot take the user id");
    const std::string command = argc > 2 ? argv[2] : "";
    if (command == "empty" && argc == 4) {
        FreedesktopTrash trash(std::vector<fs::path>{argv[3]});
        FreedesktopTrash::Folders folders = trash.openFolders();
        std::printf("opened %zu\n", folders.open.size());
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        print(FreedesktopTrash::emptyFolders(std::move(folders)));
        return 0;
    }
    if (command == "rename" && argc == 5)
        return std::rename(argv[3], argv[4]) == 0 ? 0 : fail("rename");
    if (command == "swap" && argc == 6) {
        if (std::rename(argv[3], argv[4]) != 0)
            return fail("rename");
        return symlink(argv[5], argv[3]) == 0 ? 0 : fail("symlink");
    }
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "as" && argc >= 5)
        return runAs(argc - 2, argv + 2);
    if (command == "empty-with-bind" && argc == 4) {
        if (unshare(CLONE_NEWNS) != 0
            || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return fail("cannot make a mount namespace", 3);
        if (mount(argv[2], argv[3], nullptr, MS_BIND, nullptr) != 0)
            return fail("cannot bind", 3);
        print(FreedesktopTrash(std::vector<fs::path>{}).empty());
        return 0;
    }
    if (command == "glib-first" && argc == 3) {
        g_get_user_data_dir();
        print(FreedesktopTrash(std::vector<fs::path>{}).moveToTrash(argv[2]));
        return 0;
    }
    if (command == "move-and-empty" && argc == 3) {
        FreedesktopTrash trash(std::vector<fs::path>{});
        print(trash.moveToTrash(argv[2]));
        print(trash.empty());
        return 0;
    }
    if (argc != 2)
        return usage();
    print(FreedesktopTrash(std::vector<fs::path>{}).moveToTrash(argv[1]));
    return 0;
}
