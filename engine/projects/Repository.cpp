#include "Repository.h"

#include "FileText.h"
#include "GitLibrary.h"
#include "Paths.h"

#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

// The library's global state, held for one reading.
struct Library {
    explicit Library(const GitLibrary &library) : git(library)
    {
        git.libgit2_init();
        // A repository owned by someone else is refused, as git refuses it.
        git.libgit2_opts(GIT_OPT_SET_OWNER_VALIDATION, 1);
        // Only the repository's own files: the user's and the system's configuration may include
        // what stalls a reader, and what is ignored is the repository's own rules.
        for (const git_config_level_t level :
             {GIT_CONFIG_LEVEL_SYSTEM, GIT_CONFIG_LEVEL_XDG, GIT_CONFIG_LEVEL_GLOBAL,
              GIT_CONFIG_LEVEL_PROGRAMDATA})
            git.libgit2_opts(GIT_OPT_SET_SEARCH_PATH, level, "");
    }
    ~Library() { git.libgit2_shutdown(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    const GitLibrary &git;
};

template<typename T> using Owned = std::unique_ptr<T, void (*)(T *)>;

QString lastError(const GitLibrary &git)
{
    const git_error *error = git.error_last();
    return error && error->message ? QString::fromLocal8Bit(error->message)
                                   : QStringLiteral("unknown error");
}

RepositoryView unreadable(QString why)
{
    RepositoryView view;
    view.problem = std::move(why);
    return view;
}

// Whether the index holds `relative` itself (a gitlink) or anything below it.
bool holdsTracked(const GitLibrary &git, git_index *index, const std::string &relative)
{
    if (relative.empty() || relative == ".")
        return git.index_entrycount(index) > 0;
    if (git.index_get_bypath(index, relative.c_str(), 0))
        return true;
    size_t at = 0;
    return git.index_find_prefix(&at, index, (relative + '/').c_str()) == 0;
}

constexpr std::uintmax_t maxIndexBytes = 256u << 20;
constexpr std::uintmax_t maxConfigBytes = 1u << 20;

// The first line of a small regular file; nothing when it is not one.
std::optional<std::string> firstLine(const fs::path &file)
{
    const std::optional<std::string> text = fileText(AT_FDCWD, file.c_str(), 4096);
    if (!text)
        return std::nullopt;
    return text->substr(0, text->find_first_of("\r\n"));
}

// The repository folder for a working tree whose top holds `dotGit` (a folder, or a file naming
// one, as a worktree's does).
std::optional<fs::path> gitFolder(const fs::path &dotGit)
{
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(dotGit, error)))
        return dotGit;
    const std::optional<std::string> line = firstLine(dotGit);
    if (!line || !line->starts_with("gitdir: "))
        return std::nullopt;
    const fs::path named = line->substr(8);
    return named.is_absolute() ? named : dotGit.parent_path() / named;
}

// Why reading the configuration file could stall or be unbounded: an include that is not a
// regular file (a FIFO blocks its reader for good), a file too large, includes too deep.
std::optional<QString> unsafeConfig(const fs::path &config, const fs::path &gitDir, int depth)
{
    std::error_code error;
    const fs::file_status status = fs::status(config, error);
    if (error || !fs::exists(status))
        return std::nullopt; // git skips an include that is not there
    if (!fs::is_regular_file(status))
        return QStringLiteral("%1 is not a regular file").arg(displayPath(config));
    if (fs::file_size(config, error) > maxConfigBytes || depth > 10)
        return QStringLiteral("%1 is too large or includes too deep").arg(displayPath(config));
    const std::optional<std::string> read =
        fileText(AT_FDCWD, config.c_str(), maxConfigBytes, true);
    if (!read)
        return QStringLiteral("%1 cannot be read").arg(displayPath(config));
    const std::string &text = *read;
    bool including = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        line.erase(0, line.find_first_not_of(" \t"));
        if (line.starts_with('[')) {
            including = line.starts_with("[include");
            continue;
        }
        if (!including || !line.starts_with("path"))
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of(" \t\""));
        value.erase(value.find_last_not_of(" \t\"\r") + 1);
        fs::path included = value.starts_with("~/") ? homeDir() / value.substr(2) : fs::path(value);
        if (included.is_relative())
            included = config.parent_path() / included;
        if (auto why = unsafeConfig(included, gitDir, depth + 1))
            return why;
    }
    return std::nullopt;
}

// Why the repository holding `folder` cannot be read in bounded time; nothing when it can.
std::optional<QString> unboundedRepository(const fs::path &folder)
{
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        struct stat st {};
        if (lstat((at / ".git").c_str(), &st) != 0)
            continue;
        const std::optional<fs::path> gitDir = gitFolder(at / ".git");
        if (!gitDir)
            return QStringLiteral("%1 names no repository").arg(displayPath(at / ".git"));
        std::error_code error;
        const fs::path index = *gitDir / "index";
        const fs::file_status status = fs::symlink_status(index, error);
        if (fs::exists(status)
            && (!fs::is_regular_file(status) || fs::file_size(index, error) > maxIndexBytes))
            return QStringLiteral("%1 is not a regular file of a readable size")
                .arg(displayPath(index));
        std::vector<fs::path> configs{*gitDir / "config", *gitDir / "config.worktree"};
        // A worktree's repository shares its configuration with the main one.
        if (const std::optional<std::string> common = firstLine(*gitDir / "commondir"))
            configs.push_back(*gitDir / *common / "config");
        for (const fs::path &config : configs)
            if (auto why = unsafeConfig(config, *gitDir, 0))
                return why;
        return std::nullopt;
    }
    return std::nullopt;
}

// The first file below `relative` (a folder of the working tree) that the index does not hold
// and the ignore rules do not ignore. A folder the rules ignore ignores all it holds, as git
// never takes back what an ignored folder holds.
std::optional<fs::path> firstUnignored(const GitLibrary &git, git_repository *repository,
                                       git_index *index, const fs::path &top,
                                       const fs::path &relative)
{
    int ignored = 0;
    if (git.ignore_path_is_ignored(&ignored, repository, (relative.native() + '/').c_str()) != 0)
        return fs::path();
    if (ignored)
        return std::nullopt;
    std::error_code error;
    fs::recursive_directory_iterator it(top / relative, error), end;
    if (error)
        return fs::path();
    for (; it != end; it.increment(error)) {
        if (error)
            return fs::path();
        const fs::path path = it->path().lexically_relative(top);
        if (it->is_directory(error) && !it->is_symlink(error)) {
            if (git.ignore_path_is_ignored(&ignored, repository, (path.native() + '/').c_str()) != 0
                || ignored)
                it.disable_recursion_pending();
            continue;
        }
        if (git.index_get_bypath(index, path.c_str(), 0))
            continue; // tracked: the candidate is then no artifact at all
        if (git.ignore_path_is_ignored(&ignored, repository, path.c_str()) != 0 || !ignored)
            return path.lexically_relative(relative);
    }
    return std::nullopt;
}

} // namespace

RepositoryView readRepository(const fs::path &folder, const std::vector<fs::path> &candidates,
                              const std::vector<bool> &proveIgnored)
{
    if (const std::optional<QString> why = unboundedRepository(folder))
        return unreadable(*why);
    QString missing;
    const GitLibrary *loaded = gitLibrary(&missing);
    if (!loaded)
        return unreadable(missing);
    const GitLibrary &git = *loaded;
    const Library library(git);
    git_repository *opened = nullptr;
    if (git.repository_open_ext(&opened, folder.c_str(), 0, nullptr) != 0)
        return unreadable(lastError(git));
    const Owned<git_repository> repository(opened, git.repository_free);
    const char *workdir = git.repository_workdir(repository.get());
    if (!workdir)
        return unreadable(QStringLiteral("no working tree"));
    git_index *indexOpened = nullptr;
    if (git.repository_index(&indexOpened, repository.get()) != 0)
        return unreadable(lastError(git));
    const Owned<git_index> index(indexOpened, git.index_free);

    RepositoryView view;
    view.top = withoutTrailingSlash(fs::path(workdir));
    // The library resolves links in the working tree's path; the folder is taken the same way.
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error || !isSameOrInside(real, view.top))
        return unreadable(QStringLiteral("the folder is not in the working tree"));
    const fs::path below = real.lexically_relative(view.top);
    for (const fs::path &candidate : candidates) {
        const fs::path relative = (below / candidate.lexically_relative(folder)).lexically_normal();
        const fs::path inTree = withoutTrailingSlash(relative);
        view.tracked.push_back(holdsTracked(git, index.get(), inTree.native()));
        const std::size_t at = view.tracked.size() - 1;
        view.unignored.push_back(at < proveIgnored.size() && proveIgnored[at] ? firstUnignored(
                                     git, repository.get(), index.get(), view.top, inTree)
                                                                              : std::nullopt);
    }

    // libgit2's own initialiser: its macro leaves fields to the compiler, which clang refuses.
    git_status_options options;
    git.status_options_init(&options, GIT_STATUS_OPTIONS_VERSION);
    options.show = GIT_STATUS_SHOW_INDEX_AND_WORKDIR;
    options.flags = GIT_STATUS_OPT_INCLUDE_UNTRACKED | GIT_STATUS_OPT_EXCLUDE_SUBMODULES;
    git_status_list *statuses = nullptr;
    if (git.status_list_new(&statuses, repository.get(), &options) == 0) {
        const Owned<git_status_list> held(statuses, git.status_list_free);
        view.dirty = git.status_list_entrycount(held.get()) > 0;
    } else {
        view.dirty = true; // unknown: shown as not committed, the careful reading
    }

    git_object *head = nullptr;
    if (git.revparse_single(&head, repository.get(), "HEAD^{commit}") == 0) {
        const Owned<git_object> commit(head, git.object_free);
        view.lastCommit = QDateTime::fromSecsSinceEpoch(
            git.commit_time(reinterpret_cast<git_commit *>(commit.get())), Qt::UTC);
    }
    view.readable = true;
    return view;
}

} // namespace Engine
