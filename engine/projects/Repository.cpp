#include "Repository.h"

#include "Paths.h"

#include <git2.h>
#include <memory>
#include <optional>

namespace Engine {

namespace {

namespace fs = std::filesystem;

// The library's global state, held for one reading.
struct Library {
    Library()
    {
        git_libgit2_init();
        // A repository owned by someone else is refused, as git refuses it.
        git_libgit2_opts(GIT_OPT_SET_OWNER_VALIDATION, 1);
    }
    ~Library() { git_libgit2_shutdown(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
};

template<typename T, void (*Free)(T *)> struct Freer {
    void operator()(T *object) const { Free(object); }
};
using Repo = std::unique_ptr<git_repository, Freer<git_repository, git_repository_free>>;
using Index = std::unique_ptr<git_index, Freer<git_index, git_index_free>>;
using Statuses = std::unique_ptr<git_status_list, Freer<git_status_list, git_status_list_free>>;
using Object = std::unique_ptr<git_object, Freer<git_object, git_object_free>>;

QString lastError()
{
    const git_error *error = git_error_last();
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
bool holdsTracked(git_index *index, const std::string &relative)
{
    if (relative.empty() || relative == ".")
        return git_index_entrycount(index) > 0;
    if (git_index_get_bypath(index, relative.c_str(), 0))
        return true;
    size_t at = 0;
    return git_index_find_prefix(&at, index, (relative + '/').c_str()) == 0;
}

// The first file below `relative` (a folder of the working tree) that the index does not hold
// and the ignore rules do not ignore. A folder the rules ignore ignores all it holds, as git
// never takes back what an ignored folder holds.
std::optional<fs::path> firstUnignored(git_repository *repository, git_index *index,
                                       const fs::path &top, const fs::path &relative)
{
    int ignored = 0;
    if (git_ignore_path_is_ignored(&ignored, repository, (relative.native() + '/').c_str()) != 0)
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
            if (git_ignore_path_is_ignored(&ignored, repository, (path.native() + '/').c_str()) != 0
                || ignored)
                it.disable_recursion_pending();
            continue;
        }
        if (git_index_get_bypath(index, path.c_str(), 0))
            continue; // tracked: the candidate is then no artifact at all
        if (git_ignore_path_is_ignored(&ignored, repository, path.c_str()) != 0 || !ignored)
            return path.lexically_relative(relative);
    }
    return std::nullopt;
}

} // namespace

RepositoryView readRepository(const fs::path &folder, const std::vector<fs::path> &candidates,
                              const std::vector<bool> &proveIgnored)
{
    const Library library;
    git_repository *opened = nullptr;
    if (git_repository_open_ext(&opened, folder.c_str(), 0, nullptr) != 0)
        return unreadable(lastError());
    const Repo repository(opened);
    const char *workdir = git_repository_workdir(repository.get());
    if (!workdir)
        return unreadable(QStringLiteral("no working tree"));
    git_index *indexOpened = nullptr;
    if (git_repository_index(&indexOpened, repository.get()) != 0)
        return unreadable(lastError());
    const Index index(indexOpened);

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
        view.tracked.push_back(holdsTracked(index.get(), inTree.native()));
        const std::size_t at = view.tracked.size() - 1;
        view.unignored.push_back(at < proveIgnored.size() && proveIgnored[at] ? firstUnignored(
                                     repository.get(), index.get(), view.top, inTree)
                                                                              : std::nullopt);
    }

    git_status_options options = GIT_STATUS_OPTIONS_INIT;
    options.show = GIT_STATUS_SHOW_INDEX_AND_WORKDIR;
    options.flags = GIT_STATUS_OPT_INCLUDE_UNTRACKED | GIT_STATUS_OPT_EXCLUDE_SUBMODULES;
    git_status_list *statuses = nullptr;
    if (git_status_list_new(&statuses, repository.get(), &options) == 0) {
        const Statuses held(statuses);
        view.dirty = git_status_list_entrycount(held.get()) > 0;
    } else {
        view.dirty = true; // unknown: shown as not committed, the careful reading
    }

    git_object *head = nullptr;
    if (git_revparse_single(&head, repository.get(), "HEAD^{commit}") == 0) {
        const Object commit(head);
        view.lastCommit = QDateTime::fromSecsSinceEpoch(
            git_commit_time(reinterpret_cast<git_commit *>(commit.get())), Qt::UTC);
    }
    view.readable = true;
    return view;
}

} // namespace Engine
