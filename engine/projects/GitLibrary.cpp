#include "GitLibrary.h"

#include <dlfcn.h>
#include <optional>

namespace Engine {

namespace {

struct Loaded {
    std::optional<GitLibrary> library;
    QString why;
};

Loaded load()
{
    Loaded loaded;
    // By the name the build linked against: another version may differ in what it takes.
    void *handle = dlopen(AMPA_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loaded.why =
            QStringLiteral("libgit2 cannot be loaded: %1").arg(QString::fromLocal8Bit(dlerror()));
        return loaded;
    }
    GitLibrary git{};
    bool complete = true;
    auto resolve = [handle, &complete, &loaded](auto &function, const char *name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
        if (!function && complete) {
            complete = false;
            loaded.why = QStringLiteral("libgit2 lacks %1").arg(QLatin1String(name));
        }
    };
    resolve(git.libgit2_init, "git_libgit2_init");
    resolve(git.libgit2_shutdown, "git_libgit2_shutdown");
    resolve(git.libgit2_opts, "git_libgit2_opts");
    resolve(git.error_last, "git_error_last");
    resolve(git.repository_open_ext, "git_repository_open_ext");
    resolve(git.repository_free, "git_repository_free");
    resolve(git.repository_workdir, "git_repository_workdir");
    resolve(git.repository_index, "git_repository_index");
    resolve(git.index_free, "git_index_free");
    resolve(git.index_entrycount, "git_index_entrycount");
    resolve(git.index_get_bypath, "git_index_get_bypath");
    resolve(git.index_find_prefix, "git_index_find_prefix");
    resolve(git.ignore_path_is_ignored, "git_ignore_path_is_ignored");
    resolve(git.status_options_init, "git_status_options_init");
    resolve(git.status_list_new, "git_status_list_new");
    resolve(git.status_list_entrycount, "git_status_list_entrycount");
    resolve(git.status_list_free, "git_status_list_free");
    resolve(git.revparse_single, "git_revparse_single");
    resolve(git.object_free, "git_object_free");
    resolve(git.commit_time, "git_commit_time");
    // Kept loaded for good: its functions may be held anywhere in the program.
    if (complete)
        loaded.library = git;
    return loaded;
}

} // namespace

const GitLibrary *gitLibrary(QString *why)
{
    static const Loaded loaded = load();
    if (!loaded.library && why)
        *why = loaded.why;
    return loaded.library ? &*loaded.library : nullptr;
}

} // namespace Engine
