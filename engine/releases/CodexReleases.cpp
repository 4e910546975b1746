#include "CodexReleases.h"

#include "EngineLogging.h"
#include "Paths.h"
#include "ProcessTable.h"

#include <algorithm>
#include <string_view>
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

// A release that may go, with the paths under which a process can reach it.
struct Candidate {
    std::filesystem::path folder;
    std::vector<std::string> forms;
    bool inUse = false;
};

bool isInside(std::string_view path, std::string_view folder)
{
    return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool namesPathInside(std::string_view commandLine, const std::string &folder)
{
    if (commandLine.find(folder + '/') != std::string_view::npos)
        return true;
    for (std::size_t start = 0; start < commandLine.size();) {
        const std::size_t end = std::min(commandLine.find('\0', start), commandLine.size());
        if (commandLine.substr(start, end - start) == folder)
            return true;
        start = end + 1;
    }
    return false;
}

// Marks the candidates that a running process uses; false when no process could be listed.
bool markInUse(std::vector<Candidate> &candidates, const std::filesystem::path &procRoot)
{
    const std::optional<std::vector<std::string>> pids = processIds(procRoot);
    // A process table lists at least its reader: an empty one was not read.
    if (!pids || pids->empty())
        return false;
    for (const std::string &pid : *pids) {
        // Another user's executable and working folder may be hidden; the command line never is.
        const std::filesystem::path executable = processLink(pid, "exe", procRoot);
        const std::filesystem::path workingFolder = processLink(pid, "cwd", procRoot);
        const std::string commandLine = processCommandLine(pid, procRoot);
        for (Candidate &candidate : candidates) {
            for (const std::string &form : candidate.forms) {
                if (isInside(executable.native(), form) || isInside(workingFolder.native(), form)
                    || namesPathInside(commandLine, form))
                    candidate.inUse = true;
            }
        }
    }
    return true;
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

std::vector<std::filesystem::path> codexOldReleases(const std::filesystem::path &procRoot)
{
    std::vector<Candidate> candidates;
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
            Candidate candidate{releases / name, {(releases / name).native()}};
            std::error_code error;
            const std::filesystem::path real = std::filesystem::canonical(candidate.folder, error);
            if (!error && real != candidate.folder)
                candidate.forms.push_back(real.native());
            candidates.push_back(std::move(candidate));
        }
    }
    if (candidates.empty())
        return {};
    // Without the process list no release can be known to be unused: remove none.
    if (!markInUse(candidates, procRoot)) {
        qCWarning(lcEngine, "old releases kept: the process table %s cannot be read",
                  procRoot.c_str());
        return {};
    }
    std::vector<std::filesystem::path> removable;
    for (Candidate &candidate : candidates) {
        if (!candidate.inUse)
            removable.push_back(std::move(candidate.folder));
    }
    return removable;
}

} // namespace Engine
