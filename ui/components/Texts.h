#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// The pair picker and the size, uptime and date texts, for the views. Every text is
// made when the view asks, so a view built anew after a change of language speaks the new one.
class Texts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE QString bilingual(const QString &indonesian, const QString &english) const;
    Q_INVOKABLE QString fmt(double bytes) const;
    // An item as a screen reader reads it: its name and, once measured, its size
    // ("Cache npm, 1.3 GB").
    Q_INVOKABLE QString withSize(const QString &name, const QVariant &size) const;
    Q_INVOKABLE QString uptimeText(double seconds) const;
    // An abbreviated date without time, in the interface language ("6 Des 2026", "Dec 6, 2026").
    Q_INVOKABLE QString shortDate(const QDateTime &date) const;
};
