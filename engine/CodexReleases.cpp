#include "CodexReleases.h"

#include "Paths.h"
#include "Shell.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

// The last component of where the "current" link points, or nothing when it cannot be read.
std::optional<std::string> activeVersion(const std::filesystem::path &root)
{
    char target[4096];
    const ssize_t length = readlink((root / "current").c_str(), target, sizeof target);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof target))
        return std::nullopt;
    const std::filesystem::path destination =
        withoutTrailingSlash(std::string(target, static_cast<size_t>(length)));
    return destination.filename().native();
}

} // namespace

std::vector<std::filesystem::path> codexRoots()
{
    const std::filesystem::path packages = url("~/.codex/packages/");
    return {packages / "standalone", packages / "app-server-daemon"};
}

int numericCompare(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            // Compare the two digit runs by value: skip leading zeros, then length, then digits.
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            qsizetype startA = i;
            qsizetype startB = j;
            while (startA + 1 < endA && a.at(startA) == QLatin1Char('0'))
                ++startA;
            while (startB + 1 < endB && b.at(startB) == QLatin1Char('0'))
                ++startB;
            const qsizetype lengthA = endA - startA;
            const qsizetype lengthB = endB - startB;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            if (const int digits = QStringView(a)
                                       .sliced(startA, lengthA)
                                       .compare(QStringView(b).sliced(startB, lengthB));
                digits != 0)
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

std::vector<std::filesystem::path> codexOldReleases(const QString &psPath)
{
    const ShellResult processes = shell(psPath, {"-axo", "command"});
    // Without the process list no release can be known to be unused: remove none.
    if (processes.code != 0)
        return {};
    const QString &commandLines = processes.out;
    std::vector<std::filesystem::path> removable;
    for (const std::filesystem::path &root : codexRoots()) {
        const std::filesystem::path releases = root / "releases";
        const auto listed = folderEntries(releases);
        if (!listed)
            continue;
        const std::optional<std::string> active = activeVersion(root);

        // Raw names name the folders; their text is what is compared and shown.
        std::vector<std::pair<std::string, QString>> names;
        for (const std::string &name : *listed) {
            struct stat st {};
            // Only real folders are releases: a stray file or link neither counts as one of the
            // newest nor goes.
            if (!name.starts_with('.') && lstat((releases / name).c_str(), &st) == 0
                && S_ISDIR(st.st_mode))
                names.emplace_back(name, QString::fromUtf8(name));
        }
        std::stable_sort(names.begin(), names.end(), [](const auto &a, const auto &b) {
            return numericCompare(a.second, b.second) < 0;
        });

        std::vector<std::string> kept;
        for (std::size_t i = names.size() > 2 ? names.size() - 2 : 0; i < names.size(); ++i)
            kept.push_back(names[i].first);
        if (active)
            kept.push_back(*active);
        for (const auto &[name, text] : names) {
            if (std::find(kept.begin(), kept.end(), name) != kept.end())
                continue;
            const std::filesystem::path folder = releases / name;
            if (commandLines.contains(displayPath(folder) + QLatin1Char('/')))
                continue; // a running process uses this release
            removable.push_back(folder);
        }
    }
    return removable;
}

} // namespace Engine
