#include "ProjectFinder.h"

#include "BaseFolders.h"
#include "FileText.h"
#include "Paths.h"
#include "ProjectMarkers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// An artifact known by its name and a marker file beside it; no markers: the name is enough,
// as it belongs to one tool only.
struct BesideRule {
    const char *name;
    std::initializer_list<const char *> markers;
};

const BesideRule besideRules[] = {
    {"node_modules", {"package.json"}},
    {"target", {"Cargo.toml", "pom.xml"}},
    {".gradle", {"build.gradle", "build.gradle.kts", "settings.gradle", "settings.gradle.kts"}},
    {"build",
     {"build.gradle", "build.gradle.kts", "settings.gradle", "settings.gradle.kts",
      "pubspec.yaml"}},
    {".next", {"package.json"}},
    {".nuxt", {"package.json"}},
    {".parcel-cache", {"package.json"}},
    {".svelte-kit", {"package.json"}},
    {".turbo", {"package.json"}},
    {".angular", {"angular.json"}},
    {".pytest_cache", {}},
    {".mypy_cache", {}},
    {".ruff_cache", {}},
    {".tox", {"tox.ini", "pyproject.toml", "setup.py", "setup.cfg"}},
    {".zig-cache", {"build.zig"}},
    {"zig-cache", {"build.zig"}},
    {"_build", {"mix.exs"}},
    {"deps", {"mix.exs"}},
    {".dart_tool", {"pubspec.yaml"}},
};

const char *const pythonMarkers[] = {"pyproject.toml",   "setup.py", "setup.cfg",
                                     "requirements.txt", "Pipfile",  "tox.ini"};

// What a virtual environment is made again from; a venv without any of them holds what was
// installed by hand.
bool pythonRequirement(std::string_view name)
{
    return name == "pyproject.toml" || name == "setup.py" || name == "Pipfile"
           || name == "Pipfile.lock" || name == "poetry.lock" || name == "uv.lock"
           || name == "pdm.lock" || (name.starts_with("requirements") && name.ends_with(".txt"));
}

const char *const lockfiles[] = {"package-lock.json", "npm-shrinkwrap.json", "yarn.lock",
                                 "pnpm-lock.yaml",    "bun.lockb",           "bun.lock"};

// All that a virtual environment's own folder holds; anything else is somebody's source.
const std::set<std::string_view> venvContent = {
    "bin",   "Scripts", "include",    "Include",    "lib",          "Lib",  "lib64",
    "share", "etc",     "pyvenv.cfg", ".gitignore", "CACHEDIR.TAG", ".lock"};

struct Folder {
    explicit Folder(int descriptor) : fd(descriptor) {}
    ~Folder() { close(fd); }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    const int fd;
};

struct Pending {
    std::shared_ptr<Folder> parent;
    std::string name;
    fs::path path;
    int project; // index into the projects found, -1 outside any
};

struct Entry {
    std::string name;
    unsigned char type;
};

// Every entry of the folder open at `fd`, "." and ".." left out, sorted by name.
std::vector<Entry> entriesOf(int fd)
{
    std::vector<Entry> entries;
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const long got = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer + offset);
            offset += entry->d_reclen;
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            entries.push_back({name, entry->d_type});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return entries;
}

bool holds(const std::vector<Entry> &entries, const char *name)
{
    return std::binary_search(entries.begin(), entries.end(), Entry{name, 0},
                              [](const Entry &a, const Entry &b) { return a.name < b.name; });
}

template<typename Names> bool holdsAny(const std::vector<Entry> &entries, const Names &names)
{
    return std::any_of(std::begin(names), std::end(names),
                       [&entries](const auto &name) { return holds(entries, name); });
}

bool holdsMarker(const std::vector<Entry> &entries)
{
    return holds(entries, ".git")
           || std::any_of(projectMarkers().begin(), projectMarkers().end(),
                          [&entries](const ProjectMarker &m) { return holds(entries, m.file); });
}

// The source folder a CMake cache names, from the file in the folder open at `fd`.
std::string cmakeSource(int fd)
{
    const std::string text = fileText(fd, "CMakeCache.txt", 1 << 20).value_or(std::string());
    constexpr std::string_view key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line(text.data() + at, end - at);
        if (line.starts_with(key))
            return std::string(line.substr(key.size()));
        at = end + 1;
    }
    return {};
}

struct Place {
    dev_t device;
    ino_t inode;
    auto operator<=>(const Place &) const = default;
};

std::optional<Place> placeOf(const fs::path &path)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return Place{st.st_dev, st.st_ino};
}

class Finder {
public:
    std::vector<FoundProject> projects;

    Finder()
    {
        const fs::path home = homeDir();
        homePlace = placeOf(home);
        for (const fs::path &place :
             {home / ".local", home / ".cache", home / ".cargo", fs::path(userCacheDir()),
              userConfigDir(), xdgDir("XDG_DATA_HOME", ".local/share"),
              xdgDir("XDG_STATE_HOME", ".local/state"), home / "go/pkg"})
            if (const auto found = placeOf(place))
                toolPlaces.insert(*found);
        // Where the environment tells tools to keep what they download and install.
        for (const char *variable :
             {"GOMODCACHE",        "CARGO_HOME", "RUSTUP_HOME",     "NPM_CONFIG_PREFIX",
              "npm_config_prefix", "PNPM_HOME",  "PIPX_HOME",       "PIPX_BIN_DIR",
              "M2_HOME",           "MAVEN_HOME", "MAVEN_USER_HOME", "GRADLE_USER_HOME",
              "GRADLE_HOME",       "DENO_DIR",   "BUN_INSTALL",     "VOLTA_HOME",
              "NVM_DIR",           "PYENV_ROOT", "CONDA_PREFIX",    "SDKMAN_DIR"})
            if (const char *value = std::getenv(variable); value && value[0] == '/')
                if (const auto found = placeOf(value))
                    toolPlaces.insert(*found);
        // GOPATH's modules and builds are Go's; its src is the user's.
        if (const char *gopath = std::getenv("GOPATH")) {
            std::string_view rest = gopath;
            while (!rest.empty()) {
                const std::size_t colon = std::min(rest.find(':'), rest.size());
                const std::string entry(rest.substr(0, colon));
                rest.remove_prefix(std::min(colon + 1, rest.size()));
                if (entry.starts_with('/'))
                    if (const auto found = placeOf(fs::path(entry) / "pkg"))
                        toolPlaces.insert(*found);
            }
        }
    }

    void walk(const fs::path &root)
    {
        // A root reached through a link is the user's own set-up; below it, no link is followed.
        const int fd = open(withoutTrailingSlash(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        const std::optional<FolderIdentity> id = identify(fd);
        std::error_code error;
        realRoot = fs::canonical(root, error);
        if (!id || error) {
            close(fd);
            return;
        }
        rootPath = root;
        rootId = *id;
        visit(std::make_shared<Folder>(fd), *id, root, -1, true);
        while (!pending.empty()) {
            Pending next = std::move(pending.back());
            pending.pop_back();
            const int child = openat(next.parent->fd, next.name.c_str(), dirFlags);
            next.parent.reset();
            if (child < 0)
                continue;
            const std::optional<FolderIdentity> childId = identify(child);
            if (!childId || !childId->sameMount(rootId)
                || toolPlaces.contains({childId->device, childId->inode})) {
                close(child);
                continue;
            }
            visit(std::make_shared<Folder>(child), *childId, next.path, next.project, false);
        }
    }

private:
    FolderIdentity rootId;
    fs::path rootPath;
    fs::path realRoot;
    std::optional<Place> homePlace;
    std::set<Place> toolPlaces;
    std::vector<Pending> pending; // depth first: what waits is one folder's siblings per level
    std::vector<int> enclosing;   // for each project, the project it lies in (-1: none)
    std::vector<bool> locked;     // for each project, whether a lockfile lies in it

    int startProject(const fs::path &path, const FolderIdentity &id, const char *kind, int outer)
    {
        FoundProject project;
        project.path = path;
        project.realPath = realRoot / path.lexically_relative(rootPath);
        project.id = id;
        project.kind = QString::fromLatin1(kind);
        projects.push_back(std::move(project));
        enclosing.push_back(outer);
        locked.push_back(false);
        return static_cast<int>(projects.size()) - 1;
    }

    FoundProject &at(int project) { return projects[static_cast<std::size_t>(project)]; }

    // Whether a lockfile lies in the project or in one it belongs to (a workspace's root).
    bool lockedAbove(int project) const
    {
        for (; project >= 0; project = enclosing[static_cast<std::size_t>(project)])
            if (locked[static_cast<std::size_t>(project)])
                return true;
        return false;
    }

    // What a folder that holds no project's marker is, by what it holds: a virtual environment
    // or a CMake build folder is an artifact of the project whose own folder holds it, or else
    // a tool's place that is not searched. Nothing: an ordinary folder.
    enum class Inside { ordinary, artifact, notSearched };
    Inside inside(int fd, const FolderIdentity &id, const fs::path &path,
                  const std::vector<Entry> &entries, int project, const char *&kind) const
    {
        if (holds(entries, "pyvenv.cfg")) {
            kind = "venv";
            const bool onlyVenv = std::all_of(entries.begin(), entries.end(), [](const Entry &e) {
                return venvContent.contains(e.name);
            });
            const FoundProject *owner =
                project >= 0 ? &projects[static_cast<std::size_t>(project)] : nullptr;
            const bool inProject =
                owner && owner->path == path.parent_path() && (owner->python || owner->repository);
            return onlyVenv && inProject ? Inside::artifact : Inside::notSearched;
        }
        if (holds(entries, "CMakeCache.txt")) {
            kind = "cmake";
            const std::string source = cmakeSource(fd);
            const std::optional<Place> sourcePlace =
                source.empty() || source[0] != '/' ? std::nullopt : placeOf(source);
            const bool elsewhere = !source.empty() && source[0] == '/'
                                   && (!sourcePlace || *sourcePlace != Place{id.device, id.inode})
                                   && !isSameOrInside(fs::path(source).lexically_normal(), path);
            return elsewhere && project >= 0 ? Inside::artifact : Inside::notSearched;
        }
        return Inside::ordinary;
    }

    // The folder `name` inside the folder open at `parentFd`, checked to be build output: on
    // the same mount, holding neither a repository nor a project's marker.
    std::optional<FolderIdentity> buildOutput(int parentFd, const std::string &name) const
    {
        const int fd = openat(parentFd, name.c_str(), dirFlags);
        if (fd < 0)
            return std::nullopt;
        const Folder folder(fd);
        const std::optional<FolderIdentity> id = identify(fd);
        if (!id || !id->sameMount(rootId) || holdsMarker(entriesOf(fd)))
            return std::nullopt;
        return id;
    }

    void visit(const std::shared_ptr<Folder> &folder, const FolderIdentity &id,
               const fs::path &path, int project, bool isRoot)
    {
        const std::vector<Entry> entries = entriesOf(folder->fd);
        const bool marked = holdsMarker(entries);
        if (!isRoot && !marked) {
            const char *kind = nullptr;
            switch (inside(folder->fd, id, path, entries, project, kind)) {
            case Inside::artifact: {
                const bool venv = std::strcmp(kind, "venv") == 0;
                at(project).artifacts.push_back(
                    {path, QString::fromLatin1(kind), id, venv && !at(project).pythonRequirements});
                return;
            }
            case Inside::notSearched:
                return;
            case Inside::ordinary:
                break;
            }
        }
        if (marked) {
            const char *kind = "git";
            for (const ProjectMarker &marker : projectMarkers()) {
                if (holds(entries, marker.file)) {
                    kind = marker.kind;
                    break;
                }
            }
            project = startProject(path, id, kind, project);
            at(project).repository = holds(entries, ".git");
            at(project).python = holdsAny(entries, pythonMarkers);
            at(project).pythonRequirements =
                std::any_of(entries.begin(), entries.end(),
                            [](const Entry &e) { return pythonRequirement(e.name); });
            locked[static_cast<std::size_t>(project)] = holdsAny(entries, lockfiles);
        }
        const bool homeTop = homePlace && *homePlace == Place{id.device, id.inode};
        const bool yarnFolder =
            project >= 0 && path.filename() == ".yarn" && at(project).path == path.parent_path();
        for (const Entry &entry : entries) {
            if (yarnFolder && yarnInstallOutput(folder->fd, entry, path, project))
                continue;
            unsigned char type = entry.type;
            struct stat st {};
            if (type == DT_UNKNOWN || (type == DT_REG && project >= 0)) {
                if (fstatat(folder->fd, entry.name.c_str(), &st,
                            AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT)
                    != 0)
                    continue;
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_REG && project >= 0) {
                std::time_t &newest = at(project).newestSource;
                newest = std::max(newest, st.st_mtim.tv_sec);
                continue;
            }
            if (type != DT_DIR || entry.name == ".git" || (homeTop && entry.name[0] == '.'))
                continue;
            if (const char *kind = besideArtifact(entry.name, entries); kind && project >= 0) {
                if (const auto artifactId = buildOutput(folder->fd, entry.name)) {
                    const bool unlocked = entry.name == "node_modules" && !lockedAbove(project);
                    at(project).artifacts.push_back(
                        {path / entry.name, QString::fromLatin1(kind), *artifactId, unlocked});
                    continue;
                }
            }
            pending.push_back({folder, entry.name, path / entry.name, project});
        }
    }

    // Yarn 4 writes what an install builds into the project's .yarn: the unplugged packages
    // and the install state. The rest of .yarn (releases, plugins, patches, a cache committed
    // for zero-installs) is the project's own.
    bool yarnInstallOutput(int fd, const Entry &entry, const fs::path &path, int project)
    {
        const bool state = entry.name == "install-state.gz";
        if (!state && entry.name != "unplugged")
            return false;
        std::optional<FolderIdentity> found = identifyAt(fd, entry.name.c_str());
        if (!found || !found->sameMount(rootId))
            return false;
        if (state && !found->isDirectory) {
            struct stat st {};
            if (fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0
                || !S_ISREG(st.st_mode))
                return false;
        } else if (state || !(found = buildOutput(fd, entry.name))) {
            return false;
        }
        at(project).artifacts.push_back({path / entry.name, "yarn", *found, !lockedAbove(project)});
        return true;
    }

    static const char *besideArtifact(const std::string &name, const std::vector<Entry> &entries)
    {
        for (const BesideRule &rule : besideRules) {
            if (name != rule.name)
                continue;
            if (rule.markers.size() == 0)
                return rule.name;
            for (const char *marker : rule.markers)
                if (holds(entries, marker))
                    return rule.name;
        }
        return nullptr;
    }
};

} // namespace

std::vector<FoundProject> findProjects(const std::vector<fs::path> &roots)
{
    Finder finder;
    for (const fs::path &root : roots)
        finder.walk(root);
    std::vector<FoundProject> found;
    for (FoundProject &project : finder.projects)
        if (!project.artifacts.empty() && project.newestSource > 0)
            found.push_back(std::move(project));
    std::sort(found.begin(), found.end(),
              [](const FoundProject &a, const FoundProject &b) { return a.path < b.path; });
    return found;
}

} // namespace Engine
