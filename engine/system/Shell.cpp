#include "Shell.h"

#include "EngineLogging.h"
#include "Stop.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace Engine {

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// posix_spawn's file actions and their cleanup, so every early return releases them.
struct FileActions {
    posix_spawn_file_actions_t actions{};
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions &) = delete;
    FileActions &operator=(const FileActions &) = delete;
};

} // namespace

ShellResult shell(const QString &executable, const QStringList &arguments)
{
    const QByteArray program = executable.toLocal8Bit();
    std::vector<QByteArray> words{program};
    for (const QString &argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return {-1, errorText(errno)};

    // dup2 clears close-on-exec on the child's copies; the originals close at exec.
    FileActions files;
    posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files.actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&files.actions, pipeFds[1], STDERR_FILENO);

    pid_t pid = -1;
    const int spawnError =
        posix_spawn(&pid, program.constData(), &files.actions, nullptr, argv.data(), environ);
    close(pipeFds[1]);
    if (spawnError != 0) {
        close(pipeFds[0]);
        qCWarning(lcEngine, "cannot start %s: %s", program.constData(), std::strerror(spawnError));
        return {-1, errorText(spawnError)};
    }

    // Drain before waiting: a child whose output outgrows the pipe would otherwise never exit.
    // A child that outlives the work asked to stop (one waiting on a password dialog, say) is
    // ended rather than waited for.
    QByteArray output;
    char buffer[65536];
    const std::atomic<bool> *stop = currentStop();
    bool ended = false;
    for (;;) {
        pollfd ready{pipeFds[0], POLLIN, 0};
        if (poll(&ready, 1, stop ? 100 : -1) == 0) {
            if (!ended && stopRequested(stop)) {
                kill(pid, SIGTERM);
                ended = true;
            }
            continue;
        }
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return {-1, QString::fromUtf8(output)};
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {code, QString::fromUtf8(output)};
}

QString findProgram(const QString &name)
{
    const QByteArray file = name.toLocal8Bit();
    const char *path = std::getenv("PATH");
    if (file.isEmpty() || file.contains('/') || file == "." || file == ".." || !path)
        return {};
    const std::string folders = path;
    for (size_t start = 0; start <= folders.size();) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder.front() != '/')
            continue;
        const std::string candidate =
            (folder.back() == '/' ? folder : folder + '/') + file.toStdString();
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)
            && access(candidate.c_str(), X_OK) == 0)
            return QString::fromLocal8Bit(candidate.c_str());
    }
    return {};
}

} // namespace Engine
