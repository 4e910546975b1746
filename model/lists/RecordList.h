#pragma once

#include <QAbstractListModel>
#include <QByteArrayList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

// A list the views show row by row: each row a record with a stable key and one value per named
// role. A new list is laid over the old one by key: rows that came are inserted, rows that went
// are removed, rows that moved are moved and rows whose values differ are told changed, so a
// view keeps the delegates (and the focus and scroll position in them) of the rows that stay.
class RecordList : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(records.size()); }
    // Row `row` as role name to value; empty when there is no such row.
    Q_INVOKABLE QVariantMap get(int row) const;
    // The row whose role `role` holds `value`, or -1.
    Q_INVOKABLE int find(const QString &role, const QVariant &value) const;

Q_SIGNALS:
    void countChanged();

protected:
    // `roles` in the order of each row's values.
    explicit RecordList(QByteArrayList roles, QObject *parent = nullptr);

    struct Row {
        QString key;
        QVariantList values; // one per role, in the order of the roles
    };
    void replace(std::vector<Row> next);

private:
    void update(int row, QVariantList values);

    QByteArrayList roles;
    std::vector<Row> records;
};
