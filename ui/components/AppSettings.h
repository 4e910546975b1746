#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The stored settings the views read and write, with change notifications so every view that
// shows one follows it. Values are stored at once, under the keys and defaults of the program.
class AppSettings : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Settings)
    QML_SINGLETON
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QString appearance READ appearance WRITE setAppearance NOTIFY appearanceChanged)
    Q_PROPERTY(QString viewMode READ viewMode WRITE setViewMode NOTIFY viewModeChanged)
    Q_PROPERTY(bool showMenuBar READ showMenuBar WRITE setShowMenuBar NOTIFY showMenuBarChanged)
    Q_PROPERTY(QString downloadsLayout READ downloadsLayout WRITE setDownloadsLayout NOTIFY
                   downloadsLayoutChanged)

public:
    using QObject::QObject;

    QString language() const;
    void setLanguage(const QString &value);
    QString appearance() const;
    void setAppearance(const QString &value);
    QString viewMode() const;
    void setViewMode(const QString &value);
    bool showMenuBar() const;
    void setShowMenuBar(bool value);
    QString downloadsLayout() const;
    void setDownloadsLayout(const QString &value);

Q_SIGNALS:
    void languageChanged();
    void appearanceChanged();
    void viewModeChanged();
    void showMenuBarChanged();
    void downloadsLayoutChanged();

private:
    void store(const char *key, const QVariant &value, void (AppSettings::*changed)());
};
