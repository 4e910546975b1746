#pragma once

#include "ActivityLog.h"
#include "Model.h"
#include "Paths.h"
#include "SpaceHistory.h"
#include "SpaceTree.h"
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
    // A history of walks of the home, each {daysAgo, used} (GB of a 500 GB disk), oldest
    // first, and a log of cleans, each {daysAgo, message}, in place of what was there; the
    // history is read again.
    Q_INVOKABLE void setHistoryForTest(const QVariantList &walks, const QVariantList &cleans)
    {
        std::error_code ignored;
        for (const char *end : {"", "-wal", "-shm"})
            std::filesystem::remove(Engine::historyPath().native() + end, ignored);
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QByteArray log;
        for (const QVariant &clean : cleans) {
            const QVariantMap fields = clean.toMap();
            log += QDateTime::fromSecsSinceEpoch(
                       now - qint64(fields.value("daysAgo").toDouble() * 86400), Qt::UTC)
                       .toString(Qt::ISODate)
                       .toUtf8()
                   + ' ' + fields.value("message").toString().toUtf8() + '\n';
        }
        std::filesystem::create_directories(Engine::logPath().parent_path());
        QFile file(QString::fromStdString(Engine::logPath().native()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(log) != log.size())
            qFatal("cannot write the log");
        file.close();
        if (!walks.isEmpty()) {
            Engine::SpaceTree tree(Engine::homeDir());
            Engine::SpaceHistory history;
            if (!tree.walk({}))
                qFatal("cannot walk the home");
            constexpr qint64 gb = 1'000'000'000;
            for (const QVariant &walk : walks) {
                const QVariantMap fields = walk.toMap();
                const qint64 used = qint64(fields.value("used").toDouble() * gb);
                if (!history.record(tree, now - qint64(fields.value("daysAgo").toDouble() * 86400),
                                    500 * gb - used, 500 * gb))
                    qFatal("cannot record a walk");
            }
        }
        history()->reload();
    }
};
