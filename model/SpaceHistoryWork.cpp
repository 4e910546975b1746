// The space map's history in the window: each walk that ends is recorded, and the map shows how
// each folder grew since the walk chosen to compare with.

#include "HistoryWords.h"
#include "Settings.h"
#include "SpaceGrowth.h"
#include "SpaceModel.h"
#include "SpaceRows.h"
#include "Text.h"

#include <QDateTime>

#include <cmath>
#include <limits>

using Engine::SpaceTree;

namespace {

// Days the comparison may reach back: ten years.
constexpr int longestSince = 3650;

} // namespace

SpaceModel::Comparison SpaceModel::readHistory(const SpaceTree &tree, bool record,
                                               std::optional<qint64> current,
                                               std::optional<int> days)
{
    Comparison result;
    result.recorded = current;
    result.days = days;
    if (!record && !Engine::historyPresent())
        return result;
    Engine::SpaceHistory history;
    result.problem = history.problem();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (record) {
        result.recorded = Engine::recordWalk(history, tree);
        result.recordedNow = result.recorded.has_value();
    }
    result.walks = history.walks(tree.root());
    result.compared = Engine::walkToCompare(result.walks, result.recorded, days, now);
    if (result.compared)
        result.sizes =
            std::make_shared<const Engine::RecordedSizes>(history.sizes(result.compared->id));
    return result;
}

void SpaceModel::takeHistory(const Comparison &comparison)
{
    using Kind = Engine::HistoryProblem::Kind;
    const Engine::HistoryProblem &problem = comparison.problem;
    if (problem.kind != Kind::none
        && (problem.kind != shownProblem.kind || problem.keptAs != shownProblem.keptAs)) {
        shownProblem = problem;
        report([problem] { return historyProblemText(problem); }, problem.kind == Kind::unusable);
    }
    walks = comparison.walks;
    recorded = comparison.recorded;
    compared = comparison.compared;
    comparedSizes = comparison.sizes;
    if (comparison.recordedNow)
        Q_EMIT historyChanged();
}

void SpaceModel::compareWith(const Comparison &comparison)
{
    takeHistory(comparison);
    regrow();
}

void SpaceModel::readComparison()
{
    if (!tree || tree->isScan() || m_walking)
        return;
    historyTasks = std::make_unique<BackgroundTasks>(); // a reading that runs is dropped
    historyTasks->run([walked = tree, current = recorded,
                       days = sinceDays] { return readHistory(*walked, false, current, days); },
                      [this, walked = tree](const Comparison &comparison) {
                          if (walked == tree)
                              compareWith(comparison);
                      });
}

void SpaceModel::dropComparison()
{
    historyTasks = std::make_unique<BackgroundTasks>();
    walks.clear();
    recorded.reset();
    compared.reset();
    comparedSizes.reset();
    regrow();
}

std::optional<qint64> SpaceModel::growthOf(SpaceTree::Index index) const
{
    if (!tree || !compared || !comparedSizes || m_walking)
        return std::nullopt;
    return Engine::grownSince(*tree, index, *compared, *comparedSizes, view.apparent);
}

void SpaceModel::regrow()
{
    reload();
    Q_EMIT growthChanged();
    if (!tree || !compared || !comparedSizes || m_walking) {
        grew.set(tree, {});
        return;
    }
    historyTasks->run(
        [walked = tree, then = *compared, sizes = comparedSizes] {
            return Engine::whatGrew(*walked, then, *sizes);
        },
        [this, walked = tree, then = compared->id](const std::vector<Engine::Growth> &found) {
            if (walked == tree && compared && compared->id == then)
                grew.set(tree, found);
        });
}

QVariant SpaceModel::since() const
{
    return sinceDays ? QVariant(*sinceDays) : QVariant(QStringLiteral("last"));
}

void SpaceModel::setSince(const QVariant &since)
{
    std::optional<int> days;
    if (since.toString() != QLatin1String("last")) {
        bool whole = false;
        const int given = since.toString().toInt(&whole);
        if (!whole || given < 1 || given > longestSince)
            return;
        days = given;
    }
    if (days == sinceDays)
        return;
    sinceDays = days;
    Q_EMIT growthChanged();
    readComparison();
}

QString SpaceModel::sinceText() const
{
    return compared ? ::sinceText(compared->time, QDateTime::currentSecsSinceEpoch()) : QString();
}

double SpaceModel::grown() const
{
    return m_grown ? double(*m_grown) : std::numeric_limits<double>::quiet_NaN();
}

QString SpaceModel::grownSinceText() const
{
    return m_grown && compared
               ? ::grownSinceText(*m_grown, compared->time, QDateTime::currentSecsSinceEpoch())
               : QString();
}

QString SpaceModel::growthText(double bytes) const
{
    return std::isnan(bytes) ? QString() : ::grownText(static_cast<qint64>(bytes));
}
