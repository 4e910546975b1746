#pragma once

#include "SpaceTree.h"

#include <QByteArray>
#include <QtGlobal>

#include <filesystem>
#include <grp.h>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// What the space tree tests read of a tree, and a walk by another user.
namespace SpaceTesting {

using Engine::SpaceTree;

// Every entry of the tree by path, the root too.
inline std::map<std::string, SpaceTree::Entry> entriesByPath(const SpaceTree &tree)
{
    std::map<std::string, SpaceTree::Entry> all;
    std::vector<SpaceTree::Entry> todo{tree.entry(SpaceTree::rootIndex)};
    while (!todo.empty()) {
        const SpaceTree::Entry entry = todo.back();
        todo.pop_back();
        all[tree.path(entry.index).native()] = entry;
        for (const SpaceTree::Entry &child : tree.children(entry.index))
            todo.push_back(child);
    }
    return all;
}

// The entry at `path`; the test ends when the tree has none there.
inline SpaceTree::Entry entryAt(const SpaceTree &tree, const std::filesystem::path &path)
{
    const auto index = tree.find(path);
    if (!index)
        qFatal("not in the tree: %s", path.c_str());
    return tree.entry(*index);
}

// What `report` says of a walk of `root` by `nobody`, in a child process: root reads every
// folder, so the child gives up its rights when the test runs as root.
template<typename Report>
QByteArray walkedAsNobody(const std::filesystem::path &root, Report report)
{
    constexpr uid_t nobody = 65534;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        qFatal("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0
            && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(2);
        SpaceTree tree(root);
        if (!tree.walk({}))
            _exit(3);
        const std::string out = report(tree);
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t wrote = write(pipeFds[1], out.data() + done, out.size() - done);
            if (wrote <= 0)
                _exit(4);
            done += static_cast<std::size_t>(wrote);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    QByteArray text;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("the unprivileged walk failed");
    return text;
}

} // namespace SpaceTesting
