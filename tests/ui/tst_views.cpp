// Qt Quick tests of the views' behaviour, on the real model with demo data.

#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "ViewHost.h"
#include "ViewTestModel.h"

#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject {
    Q_OBJECT

public:
    Setup()
    {
        // The system's MIME database and icons, read only; the home stays the test's.
        qputenv("XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS") + ":/usr/local/share:/usr/share");
        // Folders for the space map to list.
        TreeBuilder::file(TestHome::home() / "Videos/holiday.mp4", 900'000);
        TreeBuilder::file(TestHome::home() / "Documents/notes.txt", 9'000);
    }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        storeSettings({{"demo", true}});
        model = std::make_unique<ViewTestModel>();
        ViewHost::prepare(*engine, *model);
    }
    void cleanupTestCase()
    {
        const QStringList warnings = ViewHost::takeWarnings();
        for (const QString &warning : warnings)
            qCritical("view warning: %s", qPrintable(warning));
        if (!warnings.isEmpty())
            qFatal("the views printed %lld warnings", static_cast<long long>(warnings.size()));
    }

private:
    TestHome home;
    ViewHost host;
    std::unique_ptr<ViewTestModel> model;
};

QUICK_TEST_MAIN_WITH_SETUP(views, Setup)
#include "tst_views.moc"
