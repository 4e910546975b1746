#include "RecordList.h"

#include <QSet>

#include <algorithm>

RecordList::RecordList(QByteArrayList roles_, QObject *parent)
    : QAbstractListModel(parent), roles(std::move(roles_))
{}

int RecordList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RecordList::data(const QModelIndex &index, int role) const
{
    const int column = role - Qt::UserRole;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || column < 0 || column >= roles.size())
        return {};
    return records[static_cast<std::size_t>(index.row())].values.value(column);
}

QHash<int, QByteArray> RecordList::roleNames() const
{
    QHash<int, QByteArray> names;
    for (int i = 0; i < roles.size(); ++i)
        names.insert(Qt::UserRole + i, roles[i]);
    return names;
}

QVariantMap RecordList::get(int row) const
{
    QVariantMap map;
    if (row < 0 || row >= count())
        return map;
    for (int i = 0; i < roles.size(); ++i)
        map.insert(QString::fromLatin1(roles[i]), records[std::size_t(row)].values.value(i));
    return map;
}

int RecordList::find(const QString &role, const QVariant &value) const
{
    const int column = static_cast<int>(roles.indexOf(role.toLatin1()));
    if (column < 0)
        return -1;
    const auto found = std::find_if(records.begin(), records.end(), [&](const Row &row) {
        return row.values.value(column) == value;
    });
    return found == records.end() ? -1 : static_cast<int>(found - records.begin());
}

void RecordList::update(int row, QVariantList values)
{
    QVariantList &old = records[std::size_t(row)].values;
    QList<int> changed;
    for (int i = 0; i < roles.size(); ++i) {
        // Compare type too: an unknown size (invalid) and a size of 0 differ.
        const QVariant before = old.value(i);
        const QVariant after = values.value(i);
        if (before.metaType() != after.metaType() || before != after)
            changed << Qt::UserRole + i;
    }
    if (changed.isEmpty())
        return;
    old = std::move(values);
    Q_EMIT dataChanged(index(row), index(row), changed);
}

void RecordList::replace(std::vector<Row> next)
{
    const int before = count();
    QSet<QString> nextKeys;
    for (const Row &row : next)
        nextKeys.insert(row.key);

    // The rows that went, a run at a time from the end.
    for (int last = count() - 1; last >= 0; --last) {
        if (nextKeys.contains(records[std::size_t(last)].key))
            continue;
        int first = last;
        while (first > 0 && !nextKeys.contains(records[std::size_t(first - 1)].key))
            --first;
        beginRemoveRows({}, first, last);
        records.erase(records.begin() + first, records.begin() + last + 1);
        endRemoveRows();
        last = first;
    }

    // Then the new order, row by row: the same record, one that moved up, or one that came.
    for (int i = 0; i < static_cast<int>(next.size()); ++i) {
        Row &wanted = next[std::size_t(i)];
        if (i < count() && records[std::size_t(i)].key == wanted.key) {
            update(i, std::move(wanted.values));
            continue;
        }
        const auto later = std::find_if(records.begin() + std::min(i, count()), records.end(),
                                        [&](const Row &row) { return row.key == wanted.key; });
        if (later != records.end()) {
            const int from = static_cast<int>(later - records.begin());
            beginMoveRows({}, from, from, {}, i);
            std::rotate(records.begin() + i, later, later + 1);
            endMoveRows();
            update(i, std::move(wanted.values));
            continue;
        }
        beginInsertRows({}, i, i);
        records.insert(records.begin() + i, std::move(wanted));
        endInsertRows();
    }

    // Rows left past the end: a key that the old list held twice.
    if (count() > static_cast<int>(next.size())) {
        beginRemoveRows({}, static_cast<int>(next.size()), count() - 1);
        records.erase(records.begin() + static_cast<std::ptrdiff_t>(next.size()), records.end());
        endRemoveRows();
    }
    if (count() != before)
        Q_EMIT countChanged();
}
