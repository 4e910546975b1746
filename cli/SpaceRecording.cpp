#include "SpaceRecording.h"

#include "HistoryWords.h"
#include "Paths.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "TerminalText.h"

#include <QDateTime>
#include <QTextStream>

#include <sys/statvfs.h>

std::unique_ptr<Engine::SpaceHistory> openSpaceHistory(bool recording)
{
    const std::filesystem::path file = Engine::historyPath();
    std::error_code error;
    // Off means nothing is written, a new file included; an odd thing in its place is still
    // opened (and set aside, kept) only to record.
    if (!recording && !std::filesystem::is_regular_file(file, error))
        return nullptr;
    auto history = std::make_unique<Engine::SpaceHistory>(file);
    if (const QString problem = historyProblemText(history->problem()); !problem.isEmpty())
        QTextStream(stderr) << "ampa-cli: " << printable(problem) << '\n';
    if (!history->usable())
        return nullptr;
    return history;
}

std::optional<qint64> recordWalk(Engine::SpaceHistory &history, const Engine::SpaceTree &tree)
{
    struct statvfs fs {};
    const bool known = statvfs(tree.root().c_str(), &fs) == 0;
    const qint64 unit = known ? qint64(fs.f_frsize) : 0;
    return history.record(tree, QDateTime::currentSecsSinceEpoch(),
                          known ? qint64(fs.f_bavail) * unit : -1,
                          known ? qint64(fs.f_blocks) * unit : -1);
}

bool recordHomeOncePerDay()
{
    if (!Settings::instance().spaceHistory())
        return false;
    const std::unique_ptr<Engine::SpaceHistory> history = openSpaceHistory(true);
    if (!history)
        return false;
    const std::filesystem::path home = Engine::spaceRoot(Engine::homeDir()).folder;
    const QDate today = QDate::currentDate();
    for (const Engine::HistoryWalk &walk : history->walks(home)) {
        if (QDateTime::fromSecsSinceEpoch(walk.time).date() == today)
            return false;
    }
    Engine::SpaceTree tree(home);
    if (!tree.walk(Engine::spaceMarks(), Engine::spaceKept()) || Engine::stopRequested())
        return false;
    return recordWalk(*history, tree).has_value();
}
