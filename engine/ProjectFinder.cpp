#include "ProjectFinder.h"

#include "FolderIdentity.h"
#include "Paths.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <memory>
#include <string>
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

// A folder that is an artifact by what it holds, whatever its name.
struct InsideRule {
    const char *marker;
    const char *kind;
};
const InsideRule insideRules[] = {{"pyvenv.cfg", "venv"}, {"CMakeCache.txt", "cmake"}};

struct ProjectMarker {
    const char *file;
    const char *kind;
};
const ProjectMarker projectMarkers[] = {
    {"package.json", "node"},
    {"Cargo.toml", "rust"},
    {"pom.xml", "maven"},
    {"build.gradle", "gradle"},
    {"build.gradle.kts", "gradle"},
    {"settings.gradle", "gradle"},
    {"settings.gradle.kts", "gradle"},
    {"pyproject.toml", "python"},
    {"setup.py", "python"},
    {"requirements.txt", "python"},
    {"CMakeLists.txt", "cmake"},
    {"mix.exs", "elixir"},
    {"pubspec.yaml", "dart"},
    {"build.zig", "zig"},
    {"go.mod", "go"},
    {"angular.json", "node"},
};

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

// Every entry of the folder open at `fd`, "." and ".." left out.
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
    return entries;
}

class Finder {
public:
    std::vector<FoundProject> projects;

    void walk(const fs::path &root)
    {
        const int fd = open(withoutTrailingSlash(root).c_str(), dirFlags);
        if (fd < 0)
            return;
        const std::optional<FolderIdentity> id = identify(fd);
        if (!id) {
            close(fd);
            return;
        }
        rootId = *id;
        visit(std::make_shared<Folder>(fd), root, -1, true);
        while (!pending.empty()) {
            Pending next = std::move(pending.back());
            pending.pop_back();
            const int child = openat(next.parent->fd, next.name.c_str(), dirFlags);
            next.parent.reset();
            if (child < 0)
                continue;
            const std::optional<FolderIdentity> childId = identify(child);
            if (!childId || !childId->sameMount(rootId)) {
                close(child);
                continue;
            }
            visit(std::make_shared<Folder>(child), next.path, next.project, false);
        }
    }

private:
    FolderIdentity rootId;
    std::vector<Pending> pending; // depth first: what waits is one folder's siblings per level

    int startProject(const fs::path &path, const char *kind)
    {
        projects.push_back({path, QString::fromLatin1(kind), {}, 0, false});
        return static_cast<int>(projects.size()) - 1;
    }

    // An artifact outside any project makes its folder one, of the kind the artifact tells.
    void addArtifact(int &project, const fs::path &parent, const fs::path &path, const char *kind)
    {
        if (project < 0) {
            const bool python = std::strcmp(kind, "venv") == 0 || std::strcmp(kind, ".tox") == 0
                                || std::strstr(kind, "py") || std::strstr(kind, "_cache");
            project = startProject(parent, python                            ? "python"
                                           : std::strcmp(kind, "cmake") == 0 ? "cmake"
                                                                             : "other");
        }
        projects[static_cast<std::size_t>(project)].artifacts.push_back(
            {path, QString::fromLatin1(kind)});
    }

    void visit(const std::shared_ptr<Folder> &folder, const fs::path &path, int project,
               bool isRoot)
    {
        std::vector<Entry> entries = entriesOf(folder->fd);
        std::sort(entries.begin(), entries.end(),
                  [](const Entry &a, const Entry &b) { return a.name < b.name; });
        auto has = [&entries](const char *name) {
            return std::binary_search(
                entries.begin(), entries.end(), Entry{name, 0},
                [](const Entry &a, const Entry &b) { return a.name < b.name; });
        };
        if (!isRoot) {
            for (const InsideRule &rule : insideRules) {
                if (has(rule.marker)) {
                    addArtifact(project, path.parent_path(), path, rule.kind);
                    return;
                }
            }
        }
        for (const ProjectMarker &marker : projectMarkers) {
            if (has(marker.file)) {
                project = startProject(path, marker.kind);
                break;
            }
        }
        if (has(".git")) {
            if (project < 0 || projects[static_cast<std::size_t>(project)].path != path)
                project = startProject(path, "git");
            projects[static_cast<std::size_t>(project)].repository = true;
        }
        for (const Entry &entry : entries) {
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
                std::time_t &newest = projects[static_cast<std::size_t>(project)].newestSource;
                newest = std::max(newest, st.st_mtim.tv_sec);
                continue;
            }
            if (type != DT_DIR || entry.name == ".git")
                continue;
            if (const char *kind = besideArtifact(entry.name, has)) {
                addArtifact(project, path, path / entry.name, kind);
                continue;
            }
            pending.push_back({folder, entry.name, path / entry.name, project});
        }
    }

    template<typename Has> static const char *besideArtifact(const std::string &name, Has has)
    {
        for (const BesideRule &rule : besideRules) {
            if (name != rule.name)
                continue;
            if (rule.markers.size() == 0)
                return rule.name;
            for (const char *marker : rule.markers)
                if (has(marker))
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
        if (!project.artifacts.empty())
            found.push_back(std::move(project));
    std::sort(found.begin(), found.end(),
              [](const FoundProject &a, const FoundProject &b) { return a.path < b.path; });
    return found;
}

} // namespace Engine
