// Stale projects through the model: found by the scan, the idle ones cleaned behind one
// confirmation that lists every artifact and the size, the recent ones and the kept ones left.

#include "FakeServices.h"
#include "Model.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "Text.h"
#include "TreeBuilder.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

fs::path src()
{
    return TestHome::home() / "src";
}

void idleFor(const fs::path &file, int days)
{
    const time_t then = time(nullptr) - days * 86400L;
    const timespec times[2] = {{then, 0}, {then, 0}};
    utimensat(AT_FDCWD, file.c_str(), times, 0);
}

} // namespace

class ProjectsModelTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        fs::remove_all(src());
        storeSettings({});
    }

    // The folders the empty pane names are the ones searched: each, made, is searched.
    void usualFoldersNamedAreSearched()
    {
        FakeServices fakes;
        Model model(fakes.services());
        const QStringList usual = model.usualProjectFolders();
        QVERIFY(usual.contains("~/Projects"));
        for (const QString &name : usual) {
            const fs::path folder = TestHome::home() / name.mid(2).toStdString();
            fs::create_directories(folder);
            QVERIFY2(model.searchedProjectFolders().contains(name), qPrintable(name));
            fs::remove_all(folder);
        }
    }

    void idleProjectsCleanedAfterAsking()
    {
        storeSettings({{"language", "en"}});
        makeFile(src() / "old/package.json", 10);
        makeFile(src() / "old/package-lock.json", 10);
        makeFile(src() / "old/node_modules/a.js", 30000);
        makeFile(src() / "kept/Cargo.toml", 10);
        makeFile(src() / "kept/target/app", 30000);
        makeFile(src() / "new/Cargo.toml", 10);
        makeFile(src() / "new/target/app", 30000);
        idleFor(src() / "old/package.json", 40);
        idleFor(src() / "old/package-lock.json", 40);
        idleFor(src() / "kept/Cargo.toml", 40);
        Settings::instance().setProjectKeep({QString::fromStdString((src() / "kept").native())});

        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.projects().size(), 3u);
        QCOMPARE(model.projectCount(), 2);
        QCOMPARE(model.idleProjectsCount(), 1);

        fakes.confirmation->answer = true;
        model.cleanIdleProjects();
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        const QString asked = fakes.confirmation->asked.first();
        // The name set apart from the sentence around it.
        QVERIFY(asked.startsWith(
            QString::fromUtf8("Delete the artifacts of \u2068old\u2069? | Deleted for good, ")));
        QVERIFY(asked.contains(QString::fromStdString((src() / "old/node_modules").native())));
        AMPA_WAIT_IDLE(model);
        QVERIFY(!fs::exists(src() / "old/node_modules"));
        QVERIFY(fs::exists(src() / "old/package.json"));
        QVERIFY(fs::exists(src() / "kept/target/app"));
        QVERIFY(fs::exists(src() / "new/target/app"));
        QVERIFY(model.result().endsWith(" freed."));
        QVERIFY(logMessages().first().startsWith("proyek: "));
    }

    // A project's name stays on one line in the list, whatever it holds; its artifacts' names are
    // set apart.
    void oddNamesOnOneLine()
    {
        const fs::path project = src() / "two\nlines";
        makeFile(project / "Cargo.toml", 10);
        makeFile(project / "tar\tget/x", 10);
        makeFile(project / "target/app", 30000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.projectList()->rowCount(), 1);
        const QVariantMap row = model.projectList()->get(0);
        QCOMPARE(row.value("name").toString(), u"two\u240Alines"_qs);
        QCOMPARE(row.value("path").toString(), u"~/src/two\u240Alines"_qs);
        QCOMPARE(row.value("artifacts").toString(), u"\u2068target\u2069"_qs);
    }

    // Between the list and the clean: a project kept meanwhile (by the terminal, say) is
    // skipped, since the keep-list is read again; an artifact that is no longer the folder
    // measured stays, and the clean is shown as failed, not done.
    void cleanedFromAStaleList()
    {
        storeSettings({{"language", "en"}});
        for (const char *name : {"a", "b"}) {
            makeFile(src() / name / "Cargo.toml", 10);
            makeFile(src() / name / "target/app", 30000);
        }
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.projects().size(), 2u);
        const auto idOf = [&model](const char *name) {
            for (const ProjectItem &item : model.projects())
                if (item.project.path == src() / name)
                    return item.id;
            return QString();
        };
        const QString a = idOf("a");
        const QString b = idOf("b");
        fakes.confirmation->answer = true;

        Settings::instance().setProjectKeep({QString::fromStdString((src() / "a").native())});
        model.cleanProjectItem(a);
        AMPA_WAIT_IDLE(model);
        QVERIFY(fs::exists(src() / "a/target/app"));
        QCOMPARE(model.resultKind(), Model::ResultKind::skipped);

        fs::rename(src() / "b/target", src() / "b/old-target");
        makeFile(src() / "b/target/app", 30000);
        model.cleanProjectItem(b);
        AMPA_WAIT_IDLE(model);
        QVERIFY(fs::exists(src() / "b/target/app"));
        QCOMPARE(model.resultKind(), Model::ResultKind::failed);
        QVERIFY(model.result().contains("Failed: "));
    }
};

AMPA_TEST_MAIN(ProjectsModelTest)
#include "tst_projects.moc"
