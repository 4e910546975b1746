#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Applications' own icons, by the names their installed desktop entries give them. The entries
// are read once, on the first question.
class AppIcons {
public:
    // The Icon= of the first installed application entry named one of `names`; "" when none.
    QString iconFor(const QStringList &names);

private:
    QHash<QString, QString> iconsByName;
    bool loaded = false;
};
