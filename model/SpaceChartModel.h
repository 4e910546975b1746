#pragma once

#include "BackgroundTasks.h"
#include "SpaceChartParts.h"
#include "SpaceModel.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <memory>

// The chart of the folder the space map looks at, for the views: its parts several rings deep,
// each coloured by its kind. Made in the background from the map's tree when the folder changes
// or a walk or measure settles, and while a walk fills the tree at most once a second, from a
// bounded look at what lies below (`exact` false until the walk ends).
class SpaceChartModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(SpaceModel *space READ space WRITE setSpace NOTIFY spaceChanged)
    Q_PROPERTY(int count READ count NOTIFY partsChanged)
    // The folder the parts are of (its id), and its size.
    Q_PROPERTY(int folderId READ folderId NOTIFY partsChanged)
    Q_PROPERTY(double total READ total NOTIFY partsChanged)
    // The kinds the parts have (see fileKindName), in the legend's order.
    Q_PROPERTY(QStringList kinds READ kinds NOTIFY partsChanged)
    Q_PROPERTY(bool exact READ exact NOTIFY partsChanged)
    Q_PROPERTY(int levels READ levels CONSTANT)

public:
    explicit SpaceChartModel(QObject *parent = nullptr);
    ~SpaceChartModel() override;

    SpaceModel *space() const { return m_space; }
    void setSpace(SpaceModel *space);
    int count() const { return int(chart.parts.size()); }
    int folderId() const { return int(chartOf); }
    double total() const { return double(chart.total); }
    QStringList kinds() const;
    bool exact() const { return chart.exact; }
    int levels() const { return bounds.levels; }
    const std::vector<ChartPart> &parts() const { return chart.parts; }

    // The part: {id (-1 for small items merged), parent, level, start, span, name, path, size,
    // share (of the folder), reclaimable, kind, folder, merged}; empty for a part it has not.
    Q_INVOKABLE QVariant part(int part) const;
    // The part beside `part` in its ring, turning `step` parts (wrapping round); the first part
    // of the next ring within it (`step` 0, outward); nothing of the sort: `part` itself.
    Q_INVOKABLE int beside(int part, int step) const;
    Q_INVOKABLE int outward(int part) const;
    // The part of the entry with this id; -1 when none shows it.
    Q_INVOKABLE int indexOf(int id) const;
    // The part of the ring within that holds it; -1 for a part of the first ring.
    Q_INVOKABLE int inward(int part) const;

    // The bounds of the chart made next; for tests.
    void setBounds(const ChartBounds &given) { bounds = given; }

Q_SIGNALS:
    void spaceChanged();
    void partsChanged();

private:
    void refresh();
    void later();

    QPointer<SpaceModel> m_space;
    std::unique_ptr<BackgroundTasks> tasks;
    QTimer throttle;
    ChartBounds bounds;
    ChartParts chart;
    Engine::SpaceTree::Index chartOf = Engine::SpaceTree::noEntry;
    std::shared_ptr<const Engine::SpaceTree> treeOf; // what `chart` was made from
    bool making = false;
    bool owed = false; // asked again while one was made
};
