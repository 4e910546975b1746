#include "TreeGenerator.h"

#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace TreeGenerator {

namespace {

qint64 makeFile(const fs::path &path, qint64 bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return 0;
    if (bytes > 0)
        posix_fallocate(fd, 0, bytes);
    struct stat st {};
    fstat(fd, &st);
    close(fd);
    return static_cast<qint64>(st.st_blocks) * 512;
}

} // namespace

qint64 nested(const fs::path &root, const Shape &shape)
{
    unlock(root);
    fs::remove_all(root);
    fs::create_directories(root);
    std::mt19937_64 random(20261206);

    // Folders: each under a random earlier one, no deeper than maxDepth.
    std::vector<fs::path> folders{root};
    std::vector<int> depth{0};
    for (int i = 1; i < shape.folders; ++i) {
        std::size_t parent = random() % folders.size();
        while (depth[parent] >= shape.maxDepth)
            parent = random() % folders.size();
        const std::string name = (random() % 20 == 0 ? ".d" : "d") + std::to_string(i);
        folders.push_back(folders[parent] / name);
        depth.push_back(depth[parent] + 1);
        fs::create_directory(folders.back());
    }

    qint64 total = 0;
    std::vector<fs::path> files;
    files.reserve(static_cast<std::size_t>(shape.files));
    for (int i = 0; i < shape.files; ++i) {
        const fs::path &folder = folders[random() % folders.size()];
        const std::string name = (random() % 20 == 0 ? ".f" : "f") + std::to_string(i);
        const fs::path path = folder / name;
        if (shape.oddities && i < 500) {
            // Sparse: long, but with one block written.
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) {
                pwrite(fd, "x", 1, 8 << 20);
                struct stat st {};
                fstat(fd, &st);
                total += static_cast<qint64>(st.st_blocks) * 512;
                close(fd);
            }
        } else {
            total += makeFile(path, static_cast<qint64>(random() % (shape.maxFileBytes + 1)));
        }
        files.push_back(path);
    }
    if (shape.oddities) {
        for (int i = 0; i < 100; ++i) {
            const fs::path &original = files[random() % files.size()];
            const fs::path link = folders[random() % folders.size()] / ("hard" + std::to_string(i));
            if (::link(original.c_str(), link.c_str()) == 0) {
                struct stat st {};
                lstat(link.c_str(), &st);
                total += static_cast<qint64>(st.st_blocks) * 512; // counted once per name
            }
        }
        for (int i = 0; i < 200; ++i) {
            const fs::path link = folders[random() % folders.size()] / ("sym" + std::to_string(i));
            const fs::path target = i % 4 == 0   ? link                     // a loop to itself
                                    : i % 4 == 1 ? fs::path("/nonexistent") // dangling
                                    : i % 4 == 2 ? fs::path("..")           // up
                                                 : files[random() % files.size()];
            ::symlink(target.c_str(), link.c_str());
        }
        mkfifo((root / "pipe").c_str(), 0600);
        const fs::path locked = root / "locked";
        fs::create_directory(locked);
        // Root reads it all the same, and so do the tools compared.
        const qint64 hidden = makeFile(locked / "hidden-from-everyone", 4096);
        if (geteuid() == 0)
            total += hidden;
        chmod(locked.c_str(), 0000);
    }
    sync();
    return total;
}

qint64 flat(const fs::path &root, int files, qint64 maxFileBytes)
{
    fs::remove_all(root);
    fs::create_directories(root);
    std::mt19937_64 random(7);
    qint64 total = 0;
    for (int i = 0; i < files; ++i)
        total += makeFile(root / ("file" + std::to_string(i)),
                          static_cast<qint64>(random() % (maxFileBytes + 1)));
    sync();
    return total;
}

qint64 chain(const fs::path &root, int levels)
{
    if (mkdir(root.c_str(), 0755) != 0)
        return 0;
    qint64 total = 0;
    int level = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < levels && level >= 0; ++i) {
        const int file = openat(level, "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file >= 0) {
            posix_fallocate(file, 0, 4096);
            struct stat st {};
            fstat(file, &st);
            total += static_cast<qint64>(st.st_blocks) * 512;
            close(file);
        }
        mkdirat(level, "level", 0755);
        const int next = openat(level, "level", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(level);
        level = next;
    }
    if (level >= 0)
        close(level);
    sync();
    return total;
}

void projects(const fs::path &root, int count, int files)
{
    fs::remove_all(root);
    const int perProject = std::max(10, files / std::max(1, count));
    auto spread = [](const fs::path &folder, int howMany, int perFolder) {
        for (int i = 0; i < howMany; ++i) {
            const fs::path sub = folder / ("d" + std::to_string(i / perFolder));
            if (i % perFolder == 0)
                fs::create_directories(sub);
            const int fd = open((sub / ("f" + std::to_string(i))).c_str(),
                                O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0)
                close(fd);
        }
    };
    for (int i = 0; i < count; ++i) {
        const fs::path project =
            root / ("group" + std::to_string(i % 10)) / ("p" + std::to_string(i));
        fs::create_directories(project / "src");
        const int sources = perProject / 5;
        spread(project / "src", sources, 40);
        const int artifacts = perProject - sources;
        switch (i % 4) {
        case 0:
            makeFile(project / "package.json", 0);
            spread(project / "node_modules", artifacts, 30);
            break;
        case 1:
            makeFile(project / "Cargo.toml", 0);
            spread(project / "target/debug", artifacts, 60);
            break;
        case 2:
            makeFile(project / "pyproject.toml", 0);
            fs::create_directories(project / ".venv");
            makeFile(project / ".venv/pyvenv.cfg", 0);
            spread(project / ".venv/lib", artifacts, 50);
            break;
        default:
            makeFile(project / "CMakeLists.txt", 0);
            fs::create_directories(project / "build");
            makeFile(project / "build/CMakeCache.txt", 0);
            spread(project / "build/objects", artifacts, 50);
            break;
        }
    }
    sync();
}

void unlock(const fs::path &root)
{
    chmod((root / "locked").c_str(), 0700);
}

} // namespace TreeGenerator
