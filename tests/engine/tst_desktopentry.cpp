#include "DesktopEntry.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDir>
#include <QScopeGuard>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const QByteArray head = "[Desktop Entry]\nType=Application\n";

QByteArray pathText(const fs::path &path)
{
    return QByteArray::fromStdString(path.native());
}

// The entry's name, or nothing when the text makes no entry.
QString nameOf(const QByteArray &text)
{
    const auto entry = Engine::parseDesktopEntry(text, "test.desktop");
    return entry ? entry->name : QString();
}

void executable(const fs::path &path, mode_t mode = 0755)
{
    TreeBuilder::write(path, "#!/bin/sh\n");
    chmod(path.c_str(), mode);
}

fs::path applications()
{
    return TestHome::home() / ".local/share/applications";
}

QStringList installedNames()
{
    QStringList names;
    for (const Engine::DesktopEntry &entry : Engine::installedDesktopEntries())
        names << entry.name;
    names.sort();
    return names;
}

} // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT

    fs::path bin = TestHome::root() / "bin";
    QByteArray searchPath = qgetenv("PATH");

private slots:
    void init() { fs::remove_all(applications()); }
    void cleanup() { qputenv("PATH", searchPath); }

    void entries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name"); // empty: no entry
        QTest::newRow("plain") << head + "Name=Editor\nExec=editor %U\n"
                               << "Editor";
        QTest::newRow("escapes") << head + "Name=\\sA\\tB\\nC\\rD\\\\s\n"
                                 << " A\tB\nC\rD\\s";
        QTest::newRow("space around the equals sign") << head + "Name = Editor\n"
                                                      << "Editor";
        QTest::newRow("comments") << "# Name=Before\n" + head
                                         + "  # Hidden=true\nName=Editor\n#Name=After\n"
                                  << "Editor";
        QTest::newRow("other groups")
            << head + "Name=Editor\n[Desktop Action new]\nName=New Window\nHidden=true\n"
            << "Editor";
        QTest::newRow("hidden") << head + "Name=Editor\nHidden=true\n"
                                << "";
        QTest::newRow("not hidden") << head + "Name=Editor\nHidden=false\n"
                                    << "Editor";
        // Left out of menus, but installed all the same.
        QTest::newRow("no display") << head + "Name=Editor\nNoDisplay=true\n"
                                    << "Editor";
        QTest::newRow("link") << QByteArray("[Desktop Entry]\nType=Link\nName=Site\n") << "";
        QTest::newRow("no type") << QByteArray("[Desktop Entry]\nName=Editor\n") << "";
        QTest::newRow("no name") << head + "Exec=editor\n"
                                 << "";
        QTest::newRow("only a translated name") << head + "Name[id]=Penyunting\n"
                                                << "";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("a line neither group, key nor comment")
            << head + "Name=Editor\nthis is no key\n"
            << "";
        QTest::newRow("a key before any group") << "Name=Outside\n" + head + "Name=Editor\n"
                                                << "";
        QTest::newRow("another group first")
            << "[Desktop Action new]\nName=New\n" + head + "Name=Editor\n"
            << "";
        QTest::newRow("unclosed group")
            << QByteArray("[Desktop Entry\nType=Application\nName=Editor\n") << "";
        QTest::newRow("not UTF-8") << head + "Name=Edit\xff\xfeor\n"
                                   << "";
        QTest::newRow("a NUL byte") << head + QByteArray("Name=Ed\0itor\n", 13) << "";
    }
    void entries()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        QCOMPARE(nameOf(text), name);
    }

    void fields()
    {
        const auto entry =
            Engine::parseDesktopEntry(head
                                          + "Name=Editor\nExec=\"/opt/My Editor/run\" --new "
                                            "%U\nTryExec=/opt/My\\sEditor/run\n"
                                            "Icon=/opt/My Editor/icon.png\n",
                                      "/somewhere/editor.desktop");
        QVERIFY(entry.has_value());
        QCOMPARE(entry->file, fs::path("/somewhere/editor.desktop"));
        QCOMPARE(entry->exec, "\"/opt/My Editor/run\" --new %U");
        QCOMPARE(entry->tryExec, "/opt/My Editor/run");
        QCOMPARE(entry->icon, "/opt/My Editor/icon.png");
    }

    // The name is matched against the names of known applications, whatever the desktop's
    // language: a translation never takes its place.
    void nameIsUntranslated_data()
    {
        QTest::addColumn<QByteArray>("key");
        for (const char *key : {"Name[id_ID@ampa]", "Name[id_ID]", "Name[id@ampa]", "Name[id]"})
            QTest::newRow(key) << QByteArray(key);
    }
    void nameIsUntranslated()
    {
        QFETCH(QByteArray, key);
        const QByteArray language = qgetenv("LANGUAGE");
        const auto restore = qScopeGuard([&language] { qputenv("LANGUAGE", language); });
        qputenv("LANGUAGE", "id_ID@ampa");
        QCOMPARE(nameOf(head + key + "=Penyunting\nName=Editor\n"), "Editor");
        QCOMPARE(nameOf(head + "Name=Editor\n" + key + "=Penyunting\n"), "Editor");
    }

    void files()
    {
        const fs::path folder = TestHome::root() / "files";
        TreeBuilder::write(folder / "editor.desktop", head + "Name=Editor\n");
        const auto entry = Engine::readDesktopEntry(folder / "editor.desktop");
        QVERIFY(entry.has_value());
        QCOMPARE(entry->name, "Editor");
        QCOMPARE(entry->file, folder / "editor.desktop");

        // A name that is not UTF-8 is read all the same.
        TreeBuilder::write(folder / "edit\xff.desktop", head + "Name=Odd Name\n");
        const auto odd = Engine::readDesktopEntry(folder / "edit\xff.desktop");
        QVERIFY(odd.has_value());
        QCOMPARE(odd->name, "Odd Name");

        QVERIFY(!Engine::readDesktopEntry(folder / "missing.desktop"));
        TreeBuilder::folder(folder / "folder.desktop");
        QVERIFY(!Engine::readDesktopEntry(folder / "folder.desktop"));
        // Nobody writes to it: reading must not wait for a writer.
        QCOMPARE(mkfifo((folder / "fifo.desktop").c_str(), 0600), 0);
        QVERIFY(!Engine::readDesktopEntry(folder / "fifo.desktop"));
        // Desktop entries are small: one this large is no entry, however it starts.
        TreeBuilder::write(folder / "huge.desktop",
                           head + "Name=Huge\n" + QByteArray(1 << 20, '#') + "\n");
        QVERIFY(!Engine::readDesktopEntry(folder / "huge.desktop"));
    }

    // TryExec names the program that makes the application installed: absolute, or searched in
    // the absolute folders of PATH.
    void tryExec()
    {
        const fs::path root = TestHome::root();
        executable(bin / "ampa-present");
        executable(bin / "ampa-plain", 0644);
        executable(root / "ampa-here");
        executable(root / "rel/ampa-here");
        qputenv("PATH", "rel::.:" + pathText(bin) + ":" + searchPath);
        const QString previous = QDir::currentPath();
        const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        QVERIFY(QDir::setCurrent(QString::fromStdString(root.native())));

        const auto entry = [](const char *file, const QByteArray &tryExec) {
            TreeBuilder::write(applications() / file,
                               head + "Name=" + file + "\nExec=run\n" + tryExec);
        };
        entry("none.desktop", "");
        entry("empty.desktop", "TryExec=\n");
        entry("absolute.desktop", "TryExec=" + pathText(bin / "ampa-present") + "\n");
        entry("on-path.desktop", "TryExec=ampa-present\n");
        entry("absolute-missing.desktop", "TryExec=" + pathText(bin / "ampa-absent") + "\n");
        entry("missing.desktop", "TryExec=ampa-absent\n");
        entry("folder.desktop", "TryExec=" + pathText(bin) + "\n");
        entry("not-executable.desktop", "TryExec=" + pathText(bin / "ampa-plain") + "\n");
        entry("working-folder.desktop", "TryExec=ampa-here\n");
        entry("relative.desktop", "TryExec=rel/ampa-here\n");
        QCOMPARE(installedNames(), (QStringList{"absolute.desktop", "empty.desktop", "none.desktop",
                                                "on-path.desktop"}));
    }

    // Folders of PATH that are relative or empty mean the working folder: nothing there is an
    // entry's program.
    void programsFromAbsoluteFoldersOnly()
    {
        const fs::path root = TestHome::root();
        executable(root / "ampa-tool");
        executable(root / "rel/ampa-tool");
        const QString previous = QDir::currentPath();
        const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        QVERIFY(QDir::setCurrent(QString::fromStdString(root.native())));

        const Engine::DesktopEntry entry{"tool.desktop", "Tool", "ampa-tool %U", "", ""};
        qputenv("PATH", "rel::.:" + searchPath);
        QVERIFY(Engine::entryPrograms(entry).empty());
        executable(bin / "ampa-tool");
        qputenv("PATH", "rel::.:" + pathText(bin));
        QCOMPARE(Engine::entryPrograms(entry), std::vector<fs::path>{bin / "ampa-tool"});
    }
};

AMPA_TEST_MAIN(DesktopEntryTest)
#include "tst_desktopentry.moc"
