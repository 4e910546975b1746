#include "SpaceRecording.h"

#include "HistoryWords.h"
#include "Paths.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "TerminalText.h"

#include <QDateTime>
#include <QTextStream>

std::unique_ptr<Engine::SpaceHistory> openSpaceHistory(bool recording)
{
    if (!recording && !Engine::historyPresent())
        return nullptr;
    auto history = std::make_unique<Engine::SpaceHistory>();
    if (const QString problem = historyProblemText(history->problem()); !problem.isEmpty())
        QTextStream(stderr) << "ampa-cli: " << printable(problem) << '\n';
    if (!history->usable())
        return nullptr;
    return history;
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
    return Engine::recordWalk(*history, tree).has_value();
}
