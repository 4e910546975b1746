#pragma once

#include "ActivityLog.h"
#include "Model.h"
#include "Paths.h"
#include "TreeBuilder.h"

#include <QFile>
#include <QMetaEnum>
#include <QVariantMap>

#include <filesystem>

// The real model on demo data, with the states a view test needs set directly: the views are
// what is tested, so the model's fields are put where each case needs them.
class ViewTestModel : public Model {
    Q_OBJECT

public:
    using Model::Model;

    Q_INVOKABLE void setBusyForTest(bool on) { setBusy(on); }
    Q_INVOKABLE void setScanningForTest(bool on) { setScanning(on); }
    Q_INVOKABLE void setScanningAdvForTest(bool on) { setScanningAdv(on); }
    // A result of the pane named by its stored name, about `subject` when one is given.
    Q_INVOKABLE void setResultForTest(const QString &text, bool done = true,
                                      const QString &pane = QStringLiteral("cepat"),
                                      const QString &subject = QString())
    {
        bool ok = false;
        const int value = QMetaEnum::fromType<Pane>().keyToValue(pane.toLatin1().constData(), &ok);
        setResult(
            ok ? Pane(value) : Pane::cepat,
            subject.isEmpty() ? LiveText() : LiveText([subject] { return subject; }),
            [text] { return text; }, done ? ResultKind::done : ResultKind::failed);
    }
    Q_INVOKABLE void setMsAppsForTest(const QStringList &apps) { setMsApps(apps); }
    Q_INVOKABLE void setAppsForTest(const QStringList &names)
    {
        std::vector<FileItem> items;
        for (const QString &name : names)
            items.emplace_back(Engine::homeDir() / "Applications" / name.toStdString(), 90'000'000,
                               QDateTime::currentDateTime());
        setApps(std::move(items));
    }
    // Only the Trash card: nothing measured, no updater.
    Q_INVOKABLE void onlyTrashCardForTest()
    {
        for (const QString &key : adv().keys())
            setAdvValue(key, 0);
        setMauInstalled(false);
    }
    Q_INVOKABLE void setSizesForTest(const QVariantMap &sizes)
    {
        QMap<QString, qint64> map;
        for (auto it = sizes.begin(); it != sizes.end(); ++it)
            map.insert(it.key(), it.value().toLongLong());
        setSizes(map);
    }
    // Target ids to the application that keeps each one from being cleaned.
    Q_INVOKABLE void setSkippedForTest(const QVariantMap &blockers)
    {
        QMap<QString, TargetStatus> map;
        for (auto it = blockers.begin(); it != blockers.end(); ++it)
            map.insert(it.key(), {StatusKind::skipped, it.value().toString(), std::nullopt});
        setStatuses(map);
    }
    Q_INVOKABLE void clearListsForTest()
    {
        setDownloads({});
        setApps({});
    }
    // What a rescan hands back when one project was measured anew: the same records, the one
    // named with its new size.
    Q_INVOKABLE void rescanProjectForTest(const QString &name, double size)
    {
        std::vector<ProjectItem> items = projects();
        for (ProjectItem &item : items) {
            if (Engine::displayPath(item.project.path.filename()) == name)
                item.project.size = qint64(size);
        }
        setProjects(std::move(items));
    }
    // What a rescan of Downloads hands back: fresh records (new ids) for the same files, the one
    // named with its new size.
    Q_INVOKABLE void rescanDownloadForTest(const QString &name, double size)
    {
        std::vector<FileItem> items;
        for (const FileItem &item : downloads()) {
            const bool named = Engine::displayPath(item.url().filename()) == name;
            items.emplace_back(item.url(), named ? qint64(size) : item.size(), item.modified());
        }
        setDownloads(std::move(items));
    }
    Q_INVOKABLE void setSpaceForTest(double free, double total)
    {
        setFreeAndTotal(qint64(free), qint64(total));
    }
    Q_INVOKABLE void logForTest(const QString &message) { Engine::log(message); }
    // A file of `bytes` at `relative` in the test's home, for the space map to find grown.
    Q_INVOKABLE void makeFileForTest(const QString &relative, double bytes)
    {
        TreeBuilder::file(Engine::homeDir() / relative.toStdString(), qint64(bytes));
    }
    // A file where the autostart folder belongs: writing the login item fails.
    Q_INVOKABLE void blockLoginItemForTest(bool blocked)
    {
        const std::filesystem::path autostart =
            Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "autostart";
        std::filesystem::remove_all(autostart);
        if (blocked)
            QFile(QString::fromStdString(autostart.native())).open(QIODevice::WriteOnly);
    }
};
