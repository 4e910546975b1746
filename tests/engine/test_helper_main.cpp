// ampa-test-helper: the parts of engine tests that must run in another process.
//   size-unprivileged PATH           print Engine::size(PATH) as user nobody when run as root
//   clean-unprivileged PATH...       clean a target of these folders as nobody; print what it
//                                    freed, then the failure's kind and path (empty lines if none)
//   remove-with-fd-limit N PATH      remove PATH with at most N open descriptors; print the
//                                    failure's kind (an empty line if none)
//   size-with-fd-limit N PATH        measure PATH with at most N open descriptors; print the size
//   log COUNT TAG                    append COUNT lines "TAG n" to the activity log
//   record-history FILE ROOT         walk ROOT once, then record that walk in the space history
//                                    FILE again and again, six hours apart, printing
//                                    "recorded ID" after each, until killed
//   open-history FILE ROOT           open the space history FILE and print its problem's kind
//                                    (a number), where the file was kept aside, then record a
//                                    walk of ROOT and print how many walks of ROOT it holds
//   steps STEP...                    calls that may hang on a hostile log or settings file, done
//                                    in order (Qt's warnings go to standard error):
//     log:TEXT        append TEXT to the activity log
//     lines           print the activity log's entries, newest first, one per line
//     get:KEY         print the value of setting KEY for this run, or "(default)"
//     set:KEY=VALUE   set KEY to VALUE, print "saved" or "not saved"

#include "ActivityLog.h"
#include "Removal.h"
#include "Settings.h"
#include "SpaceHistory.h"
#include "SpaceTree.h"
#include "TargetCleaning.h"
#include "TreeSize.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstring>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uid_t nobody = 65534;

bool dropToNobody()
{
    return geteuid() != 0
           || (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0);
}

int usage()
{
    std::fprintf(stderr, "usage: see the comment at the top of test_helper_main.cpp\n");
    return 1;
}

int steps(int count, char **steps)
{
    for (int i = 0; i < count; ++i) {
        const QString step = QString::fromUtf8(steps[i]);
        const qsizetype equals = step.indexOf('=');
        const auto key =
            Settings::keyNamed(step.startsWith("set:") ? step.mid(4, equals - 4) : step.mid(4));
        if (step.startsWith("log:")) {
            Engine::log(step.mid(4));
        } else if (step == "lines") {
            for (const QString &line : Engine::logLines())
                std::printf("%s\n", qPrintable(line));
        } else if (step.startsWith("get:") && key) {
            const Settings &settings = Settings::instance();
            std::printf("%s\n", settings.isStored(*key)
                                    ? qPrintable(settings.value(*key).toString())
                                    : "(default)");
        } else if (step.startsWith("set:") && equals > 0 && key) {
            const bool saved = Settings::instance().set(*key, step.mid(equals + 1));
            std::printf("%s\n", saved ? "saved" : "not saved");
        } else {
            std::fprintf(stderr, "unknown step: %s\n", steps[i]);
            return 1;
        }
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int recordHistory(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Engine::SpaceTree tree(argv[3]);
    if (!tree.walk({}))
        return 3;
    Engine::SpaceHistory history(argv[2]);
    if (!history.usable()) {
        std::fprintf(stderr, "%s\n", qPrintable(history.problem().detail));
        return 4;
    }
    // Each run goes on after the walks recorded before it.
    const std::vector<Engine::HistoryWalk> before = history.walks(tree.root());
    qint64 time = before.empty() ? 1'800'000'000 : before.front().time;
    for (;;) {
        time += 6 * 60 * 60;
        const auto id = history.record(tree, time, time % 1000, 1000);
        if (!id)
            return 5;
        std::printf("recorded %lld\n", static_cast<long long>(*id));
        std::fflush(stdout);
    }
}

int openHistory(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Engine::SpaceHistory history(argv[2]);
    std::printf("%d\n%s\n", static_cast<int>(history.problem().kind),
                history.problem().keptAs.c_str());
    Engine::SpaceTree tree(argv[3]);
    if (!tree.walk({}))
        return 3;
    history.record(tree, 1'800'000'000, -1, -1);
    std::printf("%zu\n", history.walks(tree.root()).size());
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    if (command == "steps")
        return steps(argc - 2, argv + 2);
    if (command == "size-unprivileged" || command == "clean-unprivileged") {
        if (!dropToNobody()) {
            std::perror("cannot drop privileges");
            return 2;
        }
        if (command == "size-unprivileged") {
            std::printf("%lld\n", static_cast<long long>(Engine::size(argv[2])));
            return 0;
        }
        CacheTarget target{"test", "cube", {}};
        for (int i = 2; i < argc; ++i)
            target.paths.emplace_back(argv[i]);
        const Engine::CleanResult result = Engine::clean(target);
        std::printf("%lld\n%s\n%s\n", static_cast<long long>(result.freed),
                    qPrintable(result.failure ? result.failure->kindName() : QString()),
                    result.failure ? result.failure->path.c_str() : "");
        return 0;
    }
    if ((command == "remove-with-fd-limit" || command == "size-with-fd-limit") && argc == 4) {
        const rlim_t limit = std::strtoul(argv[2], nullptr, 10);
        const rlimit descriptors{limit, limit};
        if (setrlimit(RLIMIT_NOFILE, &descriptors) != 0) {
            std::perror("cannot lower the descriptor limit");
            return 2;
        }
        if (command == "size-with-fd-limit")
            std::printf("%lld\n", static_cast<long long>(Engine::size(argv[3])));
        else {
            const Engine::RemovalResult result = Engine::removeItem(argv[3]);
            std::printf("%s\n",
                        qPrintable(result.failure ? result.failure->kindName() : QString()));
        }
        return 0;
    }
    if (command == "open-history" && argc == 4)
        return openHistory(argc, argv);
    if (command == "record-history" && argc == 4)
        return recordHistory(argc, argv);
    if (command == "log" && argc == 4) {
        const int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i)
            Engine::log(QString::fromUtf8(argv[3]) + QLatin1Char(' ') + QString::number(i));
        return 0;
    }
    return usage();
}
