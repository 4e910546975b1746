#pragma once

#include <QString>

#include <git2.h>

namespace Engine {

// libgit2, loaded when a repository is first read rather than with the program: most starts read
// none, and the library with what it links (TLS, SSH, a second crypto library) would cost every
// start its loading and its memory. Only the functions the engine calls.
struct GitLibrary {
    decltype(&git_libgit2_init) libgit2_init;
    decltype(&git_libgit2_shutdown) libgit2_shutdown;
    decltype(&git_libgit2_opts) libgit2_opts;
    decltype(&git_error_last) error_last;
    decltype(&git_repository_open_ext) repository_open_ext;
    decltype(&git_repository_free) repository_free;
    decltype(&git_repository_workdir) repository_workdir;
    decltype(&git_repository_index) repository_index;
    decltype(&git_index_free) index_free;
    decltype(&git_index_entrycount) index_entrycount;
    decltype(&git_index_get_bypath) index_get_bypath;
    decltype(&git_index_find_prefix) index_find_prefix;
    decltype(&git_ignore_path_is_ignored) ignore_path_is_ignored;
    decltype(&git_status_options_init) status_options_init;
    decltype(&git_status_list_new) status_list_new;
    decltype(&git_status_list_entrycount) status_list_entrycount;
    decltype(&git_status_list_free) status_list_free;
    decltype(&git_revparse_single) revparse_single;
    decltype(&git_object_free) object_free;
    decltype(&git_commit_time) commit_time;
};

// The library, loaded once for the whole program; null when it cannot be, with the reason in
// `why`.
const GitLibrary *gitLibrary(QString *why);

} // namespace Engine
