// ampa-test-helper: the parts of engine tests that must run in another process.
//   size-unprivileged PATH   print Engine::size(PATH), measured as user nobody when run as root
//   log COUNT TAG            append COUNT lines "TAG n" to the activity log

#include "ActivityLog.h"
#include "TreeSize.h"

#include <QString>

#include <cstdio>
#include <cstring>
#include <grp.h>
#include <unistd.h>

namespace {

bool dropToNobody()
{
    constexpr uid_t nobody = 65534;
    return geteuid() != 0
           || (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "size-unprivileged") == 0) {
        if (!dropToNobody()) {
            std::perror("cannot drop privileges");
            return 2;
        }
        std::printf("%lld\n", static_cast<long long>(Engine::size(argv[2])));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "log") == 0) {
        const int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i)
            Engine::log(QString::fromUtf8(argv[3]) + QLatin1Char(' ') + QString::number(i));
        return 0;
    }
    std::fprintf(stderr, "usage: ampa-test-helper size-unprivileged PATH | log COUNT TAG\n");
    return 1;
}
