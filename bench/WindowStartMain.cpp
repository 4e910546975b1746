// ampa-window-start: the window start measurement of ampa-bench alone.
//
//   ampa-window-start [RUNS] [FOLDER]   RUNS starts of each program (7), homes under FOLDER

#include "WindowStart.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const int runs = arguments.isEmpty() ? 7 : std::max(1, arguments.first().toInt());
    const char *tmp = std::getenv("TMPDIR");
    const std::filesystem::path base =
        arguments.size() > 1 ? std::filesystem::path(arguments[1].toStdString())
                             : std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "ampa-bench";
    std::filesystem::create_directories(base);
    WindowStart::measure(std::filesystem::absolute(base), runs);
    return 0;
}
