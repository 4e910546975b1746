#include "CacheTarget.h"
#include "Child.h"
#include "DevChoices.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "SpaceTesting.h"
#include "SpaceTree.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>
#include <QScopeGuard>

#include <fcntl.h>
#include <map>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Engine::SpaceKind;
using Engine::SpaceTree;

namespace {

const QByteArray tagSignature = "Signature: 8a477f597d28d172789f06886806bc55";

// Every folder's size as `du -x -B1` lists it, keyed by path; run as `nobody` on request.
std::map<std::string, qint64> du(const fs::path &root, bool asNobody = false)
{
    QProcess process;
    QStringList arguments{"-x", "-B1", QString::fromUtf8(root.native())};
    if (asNobody)
        process.start("setpriv",
                      QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "du"}
                          + arguments);
    else
        process.start("du", arguments);
    if (!process.waitForFinished(60000))
        qFatal("du did not finish on %s", root.c_str());
    std::map<std::string, qint64> sizes;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            sizes[line.mid(tab + 1).toStdString()] = line.left(tab).toLongLong();
    }
    return sizes;
}

// Every folder's size in the tree, keyed by path, as `du` would list it.
std::map<std::string, qint64> folderSizes(const SpaceTree &tree)
{
    std::map<std::string, qint64> sizes;
    for (const auto &[path, entry] : SpaceTesting::entriesByPath(tree)) {
        if (entry.folder && !entry.otherMount)
            sizes[path] = entry.size;
    }
    return sizes;
}

// The same, walked by `nobody` in a child process, for trees with folders root could read.
std::map<std::string, qint64> folderSizesAsNobody(const fs::path &root,
                                                  std::set<std::string> *unreadable = nullptr)
{
    const QByteArray text = SpaceTesting::walkedAsNobody(root, [](const SpaceTree &tree) {
        std::string out;
        for (const auto &[path, size] : folderSizes(tree)) {
            out += std::to_string(size) + '\t' + path + '\n';
            if (tree.entry(*tree.find(path)).unreadable)
                out += "unreadable\t" + path + '\n';
        }
        return out;
    });
    std::map<std::string, qint64> sizes;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0 && line.startsWith("unreadable")) {
            if (unreadable)
                unreadable->insert(line.mid(tab + 1).toStdString());
        } else if (tab > 0) {
            sizes[line.mid(tab + 1).toStdString()] = line.left(tab).toLongLong();
        }
    }
    return sizes;
}

// The names in the folder in the order its listing gives them, which is the order `du` goes in.
std::vector<std::string> listed(const fs::path &folder)
{
    return Engine::folderEntries(folder).value();
}

// Every folder below the root, the root too, complete.
bool allComplete(const SpaceTree &tree)
{
    const auto all = SpaceTesting::entriesByPath(tree);
    return std::ranges::all_of(all, [](const auto &entry) { return entry.second.complete; });
}

void tag(const fs::path &folder, const QByteArray &content)
{
    write(folder / "CACHEDIR.TAG", content);
}

} // namespace

class SpaceTest : public QObject {
    Q_OBJECT

    fs::path base;
    fs::path dir(const std::string &name) const { return base / name; }

    static SpaceTree::Entry at(const SpaceTree &tree, const fs::path &path)
    {
        return SpaceTesting::entryAt(tree, path);
    }

private slots:
    void init()
    {
        base = TestHome::root() / "space" / QTest::currentTestFunction();
        folder(base);
    }

    // Each folder as `du -x -B1` counts it: hard links once where the walk first meets them (a
    // sibling folder, a sub-folder listed before the file, the same folder), sparse files by
    // what they allocate, links and FIFOs by their own blocks, links never followed.
    void everyFolderAsDuCountsIt()
    {
        const fs::path tree = dir("tree");
        file(tree / "a/one.bin", 300000);
        folder(tree / "b");
        fs::create_hard_link(tree / "a/one.bin", tree / "b/one-again.bin");
        file(tree / "c/sub/two.bin", 200000);
        fs::create_hard_link(tree / "c/sub/two.bin", tree / "c/two-again.bin");
        fs::create_hard_link(tree / "c/sub/two.bin", tree / "c/sub/two-third.bin");
        const fs::path sparse = tree / "sparse/disk.img";
        file(sparse, 8192);
        QVERIFY(truncate(sparse.c_str(), 512LL << 20) == 0);
        for (int i = 0; i < 200; ++i)
            file(tree / "modules" / ("pkg" + std::to_string(i)) / "index.js", 100);
        for (int i = 0; i < 300; ++i)
            file(tree / "wide" / ("a-rather-long-entry-name-" + std::to_string(i)), 0);
        file(tree / "\xff\xfe-not-utf8/x.bin", 5000);
        file(dir("outside/big.bin"), 1 << 20);
        symlink(dir("outside"), tree / "links/to-folder");
        symlink(dir("nowhere"), tree / "links/dangling");
        symlink(std::string(3000, 'x'), tree / "links/long-target");
        symlink(tree, tree / "links/to-top");
        QVERIFY(mkfifo((tree / "links/pipe").c_str(), 0600) == 0);
        folder(tree / "empty");

        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const auto expected = du(tree);
        QVERIFY(expected.size() > 200);
        QCOMPARE(folderSizes(space), expected);
        QVERIFY(at(space, tree).complete);
        QCOMPARE(at(space, sparse).size, allocated(sparse));
        QVERIFY(at(space, sparse).size < (1 << 20));
        QVERIFY(!space.find(tree / "links/to-folder/big.bin"));
        const SpaceTree::Progress progress = space.progress();
        QVERIFY(progress.done);
        QCOMPARE(progress.bytes, expected.at(tree.native()));
    }

    // Folders are walked in parallel, yet a file with several names counts where `du` meets it
    // first: depth first, in listing order. The walk meets the root's own entries and the folder
    // it opens last (the last listed) first, so each row puts `du`'s first name elsewhere.
    void linkedFilesCountWhereDuMeetsThemFirst_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::newRow("sibling folders") << "siblings";
        QTest::newRow("deep branch listed before a shallow name") << "deep first";
        QTest::newRow("shallow name listed before a deep branch") << "shallow first";
    }
    void linkedFilesCountWhereDuMeetsThemFirst()
    {
        QFETCH(QString, layout);
        const fs::path tree = dir(layout.toStdString());
        const fs::path deep = "a/b/c/d/e/f";
        fs::path original;
        std::vector<fs::path> others;
        if (layout == "siblings") {
            for (int i = 0; i < 12; ++i)
                for (int j = 0; j < 150; ++j)
                    write(tree / ("s" + std::to_string(i)) / ("filler" + std::to_string(j)), {});
            const std::vector<std::string> order = listed(tree);
            original = tree / order.front() / deep / "shared.bin";
            for (std::size_t i = 1; i < order.size(); ++i)
                others.push_back(tree / order[i] / "shared.bin");
        } else {
            // Names on both sides of the branch, then all but one taken away: what is left
            // keeps its place in the listing.
            original = tree / "branch" / deep / "shared.bin";
            file(original, 100000);
            for (int i = 0; i < 30; ++i)
                fs::create_hard_link(original, tree / ("x" + std::to_string(i)));
            const std::vector<std::string> order = listed(tree);
            const auto branch = std::find(order.begin(), order.end(), "branch");
            const bool deepFirst = layout == "deep first";
            if (deepFirst ? branch + 1 == order.end() : branch == order.begin())
                QSKIP("no name lies on that side of the branch in this listing");
            const std::string shallow = deepFirst ? *(branch + 1) : *(branch - 1);
            for (const std::string &name : order) {
                if (name != "branch" && name != shallow)
                    fs::remove(tree / name);
            }
            for (int j = 0; j < 200; ++j)
                write(tree / "branch" / ("filler" + std::to_string(j)), {});
        }
        if (!fs::exists(original))
            file(original, 100000);
        for (const fs::path &other : others)
            fs::create_hard_link(original, other);

        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const auto expected = du(tree);
        QCOMPARE(folderSizes(space), expected);
        QCOMPARE(space.progress().bytes, expected.at(tree.native()));
        QVERIFY(allComplete(space));
    }

    // CI runs as root, who reads everything: both walks run as an unprivileged user. A folder
    // that cannot be opened counts its own blocks, as `du` counts it.
    void unreadableFoldersAsDuCountsThem()
    {
        if (geteuid() != 0)
            QSKIP("needs root to walk as another user");
        const fs::path tree = dir("tree");
        file(tree / "readable.bin", 30000);
        file(tree / "locked/secret.bin", 90000);
        file(tree / "shut/inside.bin", 90000);
        file(tree / "deep/er/locked/more.bin", 90000);
        file(tree / "listed/only.bin", 90000); // listed but not entered: its entries unknown
        makePassable(tree);
        chmod((tree / "locked").c_str(), 0000);
        chmod((tree / "shut").c_str(), 0311);
        chmod((tree / "deep/er/locked").c_str(), 0000);
        chmod((tree / "listed").c_str(), 0744);
        const auto expected = du(tree, true);
        std::set<std::string> unreadable;
        const auto measured = folderSizesAsNobody(tree, &unreadable);
        chmod((tree / "locked").c_str(), 0755);
        chmod((tree / "shut").c_str(), 0755);
        chmod((tree / "deep/er/locked").c_str(), 0755);
        chmod((tree / "listed").c_str(), 0755);
        QVERIFY(expected.contains(tree.native()));
        QCOMPARE(measured, expected);
        QCOMPARE(unreadable, (std::set<std::string>{
                                 (tree / "locked").native(), (tree / "shut").native(),
                                 (tree / "deep/er/locked").native(), (tree / "listed").native()}));
        QVERIFY(expected.at(tree.native()) < du(tree).at(tree.native()));
    }

    // Another file system mounted inside is recorded, not entered, and counts nothing, as
    // `du -x` leaves it out.
    void otherMountsAreNotEntered()
    {
        if (geteuid() != 0)
            QSKIP("mounting a tmpfs needs root");
        const fs::path tree = dir("tree");
        file(tree / "own.bin", 40000);
        folder(tree / "mounted");
        if (mount("ampa-test", (tree / "mounted").c_str(), "tmpfs", 0, "size=8m") != 0)
            QSKIP("this machine does not allow mounts here");
        file(tree / "mounted/foreign.bin", 2 << 20);
        SpaceTree space(tree);
        const bool walked = space.walk({});
        const auto expected = du(tree);
        const auto measured = folderSizes(space);
        const SpaceTree::Entry mounted = at(space, tree / "mounted");
        umount((tree / "mounted").c_str());
        QVERIFY(walked);
        QCOMPARE(measured, expected);
        QVERIFY(mounted.otherMount);
        QCOMPARE(mounted.size, 0);
        QVERIFY(!space.find(tree / "mounted/foreign.bin"));
    }

    // The marks are what the other panes offer, asked of them: the quick clean's folders, a
    // project's artifacts, the Trash; a folder kept in the space map is left out.
    void marksFollowTheOtherPanes()
    {
        const fs::path home = TestHome::home();
        file(home / ".cache/pip/http/blob", 70000);
        file(home / ".npm/_cacache/index/entry", 30000);
        const fs::path project = home / "src/webapp";
        write(project / "package.json", "{}");
        write(project / "package-lock.json", "{}");
        file(project / "node_modules/left-pad/index.js", 20000);
        file(project / "src/main.js", 1000);
        file(Engine::homeTrashFolder() / "files/old.bin", 60000);
        write(Engine::homeTrashFolder() / "info/old.bin.trashinfo", "[Trash Info]\n");

        std::vector<fs::path> quick;
        for (const CacheTarget &target : quickTargets())
            for (const fs::path &path : Engine::urls(target))
                quick.push_back(path);
        QVERIFY(std::find(quick.begin(), quick.end(), home / ".cache/pip") != quick.end());

        const std::vector<Engine::SpaceMark> marks = Engine::spaceMarks();
        SpaceTree space(home);
        QVERIFY(space.walk(marks, Engine::spaceKept()));
        for (const fs::path &path : quick)
            QCOMPARE(at(space, path).kind, SpaceKind::quick);
        const auto projects = Engine::projects(Engine::projectRoots(), Engine::workingPlaces());
        QCOMPARE(projects.size(), std::size_t(1));
        QCOMPARE(projects[0].artifacts.size(), std::size_t(1));
        QCOMPARE(at(space, projects[0].artifacts[0].path).kind, SpaceKind::project);
        QCOMPARE(at(space, Engine::homeTrashFolder()).kind, SpaceKind::trash);
        QCOMPARE(at(space, project / "src").kind, SpaceKind::none);
        qint64 marked = 0;
        for (const fs::path &path : quick)
            marked += at(space, path).size;
        marked += at(space, project / "node_modules").size;
        marked += at(space, Engine::homeTrashFolder()).size;
        QCOMPARE(at(space, home).reclaimable, marked);

        // Kept: out of the marks from the next walk on, and out of this one at once.
        const SpaceTree::Index pip = *space.find(home / ".cache/pip");
        const qint64 before = at(space, home).reclaimable;
        space.setKept(pip, true);
        QCOMPARE(at(space, home).reclaimable, before - at(space, home / ".cache/pip").size);
        QCOMPARE(at(space, home / ".cache/pip/http/blob").reclaimable, 0);
        QVERIFY(Engine::keepSpace(home / ".cache/pip"));
        SpaceTree again(home);
        QVERIFY(again.walk(Engine::spaceMarks(), Engine::spaceKept()));
        QVERIFY(at(again, home / ".cache/pip").kept);
        QCOMPARE(at(again, home).reclaimable, at(space, home).reclaimable);
        space.setKept(pip, false);
        QCOMPARE(at(space, home).reclaimable, before);
        QVERIFY(Engine::releaseSpace(home / ".cache/pip"));
        QVERIFY(Engine::spaceKept().empty());

        // A project in use is not marked, as Projects does not clean it.
        {
            const Child working({"sleep", "60"}, project / "src");
            QVERIFY(working.started());
            SpaceTree busy(home);
            QVERIFY(busy.walk(Engine::spaceMarks(), Engine::spaceKept()));
            QCOMPARE(at(busy, project / "node_modules").kind, SpaceKind::none);
            QCOMPARE(at(busy, home).reclaimable, marked - at(space, project / "node_modules").size);
        }
    }

    // Each pane's mark counts what that pane's figure counts: a command's clean by what it
    // takes (ccache keeps its settings and statistics, pnpm's prune what projects use, and it
    // empties the metadata cache too), a project's dependencies linked from a store by what
    // removing them frees; a kept project is not marked. After a clean the marks are asked
    // again: a command that would free nothing more is no longer marked.
    void marksCountWhatThePanesFree()
    {
        const fs::path home = TestHome::home();
        const fs::path bin = TestHome::root() / "space-bin";
        for (const char *program : {"ccache", "pnpm"}) {
            write(bin / program, "#!/bin/sh\nexit 0\n");
            QVERIFY(chmod((bin / program).c_str(), 0755) == 0);
        }
        const fs::path ccache = home / ".cache/ccache";
        const fs::path store = home / ".local/share/pnpm/store";
        const fs::path workspace = home / "src/workspace";
        const fs::path kept = home / "src/kept";
        // The home is the later tests' too.
        const auto restore = qScopeGuard([&, path = qgetenv("PATH")] {
            qputenv("PATH", path);
            Engine::releaseProject(kept);
            for (const fs::path &planted :
                 {ccache, home / ".local/share/pnpm", home / ".cache/pnpm", home / ".cache/yarn",
                  home / ".cargo", workspace, kept})
                fs::remove_all(planted);
        });
        qputenv("PATH", QByteArray::fromStdString(bin.native()));
        tag(ccache, tagSignature);
        file(ccache / "ccache.conf", 100);
        file(ccache / "stats", 100);
        file(ccache / "0/stats", 100);
        file(ccache / "0/1/objR", 50000);
        file(store / "v10/files/00/used", 40000);
        file(store / "v10/files/01/unused", 30000);
        file(store / "v10/tmp/partial", 9000);
        file(home / ".cache/pnpm/metadata/registry/left-pad.json", 20000);
        // Yarn's is cleaned by its own command, which is not installed here: not offered.
        file(home / ".cache/yarn/v6/npm-a-1.0.0/index.js", 7000);
        file(home / ".cargo/registry/index/x", 10000);
        file(home / ".cargo/registry/cache/crate.crate", 30000);
        file(home / ".cargo/registry/src/crate/lib.rs", 30000);
        write(workspace / "package.json", "{}");
        write(workspace / "pnpm-lock.yaml", "lockfileVersion: '9.0'\n");
        folder(workspace / "node_modules/.pnpm/used/node_modules/used");
        fs::create_hard_link(store / "v10/files/00/used",
                             workspace / "node_modules/.pnpm/used/node_modules/used/index.js");
        file(workspace / "node_modules/.modules.yaml", 3000);
        write(kept / "package.json", "{}");
        write(kept / "package-lock.json", "{}");
        file(kept / "node_modules/a/index.js", 25000);
        QCOMPARE(Engine::keepProject(kept), Engine::KeepChange::done);

        // What the panes offer, asked of the same calls they make.
        const auto panes = [] {
            std::map<SpaceKind, qint64> figures;
            for (const Engine::DevEntry &entry : Engine::devEntries()) {
                const auto mode = entry.cache.mode;
                if (!entry.kept && entry.cache.available
                    && (mode == Engine::DevMode::Delete || mode == Engine::DevMode::Command))
                    figures[SpaceKind::developer] += entry.size.value_or(0);
            }
            for (const Engine::Project &project :
                 Engine::projects(Engine::projectRoots(), Engine::workingPlaces()))
                if (Engine::hold(project) == Engine::ProjectHold::none)
                    figures[SpaceKind::project] += project.size;
            return figures;
        };
        const auto mapped = [](const SpaceTree &space) {
            std::map<SpaceKind, qint64> figures;
            for (const auto &[kind, bytes] : space.reclaimableParts(SpaceTree::rootIndex))
                if (kind == SpaceKind::developer || kind == SpaceKind::project)
                    figures[kind] = bytes;
            return figures;
        };
        const std::map<SpaceKind, qint64> offered = panes();
        SpaceTree space(home);
        QVERIFY(space.walk(Engine::spaceMarks(), Engine::spaceKept()));
        QCOMPARE(mapped(space), offered);
        // Less than the folders hold: the figures are the panes', not the folders' sizes.
        QVERIFY(at(space, ccache).reclaimable < at(space, ccache).size);
        QVERIFY(at(space, store).reclaimable < at(space, store).size);
        QVERIFY(at(space, workspace / "node_modules").reclaimable
                < at(space, workspace / "node_modules").size);
        QCOMPARE(at(space, workspace / "node_modules").kind, SpaceKind::project);
        QCOMPARE(at(space, home / ".cache/pnpm/metadata").kind, SpaceKind::developer);
        QCOMPARE(at(space, kept / "node_modules").kind, SpaceKind::none);
        QCOMPARE(at(space, home / ".cache/yarn").kind, SpaceKind::none);
        // Nothing inside a folder counted in part is claimed whole.
        QCOMPARE(at(space, ccache / "0/1/objR").reclaimable, 0);

        // ccache's clear, as its pane runs it: the marks are asked again with the folder.
        fs::remove(ccache / "0/1/objR");
        space.setMarks(Engine::spaceMarks());
        QVERIFY(space.measure(ccache));
        QCOMPARE(at(space, ccache).kind, SpaceKind::none);
        QCOMPARE(at(space, ccache).reclaimable, 0);
        QCOMPARE(mapped(space), panes());
    }

    // A tagged folder is marked only where Developer caches lists it, counted as it does: a
    // chip leads to the pane that shows what it counted. A tag elsewhere (a folder of the
    // user's own, a project's) marks nothing.
    void taggedFoldersAsDeveloperCachesListsThem()
    {
        const fs::path home = TestHome::home();
        const fs::path listed = home / ".cache/restic";
        tag(listed, tagSignature);
        file(listed / "blob", 50000);
        const fs::path own = home / "work/cache";
        const auto restore = qScopeGuard([&] {
            fs::remove_all(listed);
            fs::remove_all(home / "work");
        });
        tag(own, tagSignature);
        file(own / "blob", 50000);

        std::vector<Engine::DevEntry> tagged;
        for (Engine::DevEntry &entry : Engine::devEntries())
            if (entry.cache.tagged)
                tagged.push_back(std::move(entry));
        QCOMPARE(tagged.size(), std::size_t(1));
        QCOMPARE(tagged[0].cache.paths, std::vector<fs::path>{listed});
        SpaceTree space(home);
        QVERIFY(space.walk(Engine::spaceMarks(), Engine::spaceKept()));
        QCOMPARE(at(space, listed).kind, SpaceKind::cacheTag);
        QCOMPARE(at(space, listed).reclaimable, tagged[0].size.value_or(-1));
        QCOMPARE(at(space, own).kind, SpaceKind::none);
        QCOMPARE(at(space, own).reclaimable, 0);
    }

    // After a change only that folder is walked again; what is gone leaves the tree; the sizes
    // above follow and stay what `du` says, for a file with several names too: counted on
    // either side of the folder walked again, given a name in it after the walk, or moved away
    // from where it counted.
    void remeasureAndForget()
    {
        const fs::path tree = dir("tree");
        file(tree / "keep/a.bin", 40000);
        file(tree / "grow/b.bin", 40000);
        file(tree / "gone/c.bin", 40000);
        file(tree / "single/e.bin", 50000);
        file(tree / "pair-one/f.bin", 60000);
        folder(tree / "pair-two");
        fs::create_hard_link(tree / "pair-one/f.bin", tree / "pair-two/f.bin");
        // Whichever side is measured again, the file counts once, where `du` meets it first.
        fs::create_hard_link(tree / "keep/a.bin", tree / "grow/a-again.bin");
        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        file(tree / "grow/new/d.bin", 300000);
        fs::create_hard_link(tree / "single/e.bin", tree / "grow/e-again.bin");
        QVERIFY(space.remeasure(*space.find(tree / "grow")));
        // The progress is that measure's: the folder and what it holds, not the whole tree.
        const auto held = std::distance(fs::recursive_directory_iterator(tree / "grow"),
                                        fs::recursive_directory_iterator());
        QCOMPARE(space.progress().entries, held + 1);
        QCOMPARE(folderSizes(space), du(tree));
        const SpaceTree::Index gone = *space.find(tree / "gone");
        fs::rename(tree / "gone", dir("elsewhere"));
        space.forget(gone);
        QCOMPARE(folderSizes(space), du(tree));
        QVERIFY(!space.find(tree / "gone"));
        // The pair's name `du` counts moves away; the other name counts from then on.
        const std::vector<std::string> order = listed(tree);
        const std::string counted =
            *std::find_if(order.begin(), order.end(),
                          [](const std::string &name) { return name.starts_with("pair-"); });
        const SpaceTree::Index pair = *space.find(tree / counted);
        fs::rename(tree / counted, dir("elsewhere") / counted);
        space.forget(pair);
        QCOMPARE(folderSizes(space), du(tree));
        QVERIFY(space.remeasure(*space.find(tree / "keep")));
        QCOMPARE(folderSizes(space), du(tree));
        QVERIFY(space.remeasure(*space.find(tree / "grow")));
        QCOMPARE(folderSizes(space), du(tree));
        QVERIFY(space.remeasure(SpaceTree::rootIndex));
        QCOMPARE(folderSizes(space), du(tree));
    }

    // Measured again by path: a folder made since the walk comes in alone (the rest keeps its
    // entries), a file made since too, a folder gone leaves; entries taken out with a folder
    // measured again have no path and no entry left to read; the sizes stay what `du` says.
    void measureByPath()
    {
        const fs::path tree = dir("tree");
        file(tree / "keep/a.bin", 40000);
        file(tree / "gone/c.bin", 40000);
        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const SpaceTree::Index keep = *space.find(tree / "keep");
        const SpaceTree::Index inKeep = *space.find(tree / "keep/a.bin");
        file(tree / "made/deeper/still/d.bin", 300000);
        file(tree / "loose.bin", 20000);
        QVERIFY(space.measure(tree / "made/deeper/still"));
        QVERIFY(space.measure(tree / "loose.bin"));
        QCOMPARE(space.find(tree / "keep"), keep);
        QVERIFY(space.find(tree / "made/deeper/still/d.bin"));
        QCOMPARE(folderSizes(space), du(tree));
        fs::remove_all(tree / "gone");
        QVERIFY(space.measure(tree / "gone"));
        QVERIFY(!space.find(tree / "gone"));
        QVERIFY(!space.measure(tree / "never/there"));
        QVERIFY(!space.measure(dir("elsewhere")));
        QCOMPARE(folderSizes(space), du(tree));
        QVERIFY(space.measure(tree));
        QCOMPARE(space.entry(inKeep).index, SpaceTree::noEntry);
        QCOMPARE(space.path(inKeep), fs::path());
        QVERIFY(space.find(tree / "keep/a.bin") != inKeep);
        QCOMPARE(folderSizes(space), du(tree));
    }

    // A stop ends the walk early: what was walked stays, the rest is incomplete.
    void stopping()
    {
        const fs::path tree = dir("tree");
        for (int i = 0; i < 300; ++i)
            for (int j = 0; j < 60; ++j)
                write(tree / std::to_string(i) / std::to_string(j), {});
        std::atomic<bool> stop{true};
        SpaceTree early(tree);
        QVERIFY(early.walk({}, {}, &stop));
        QVERIFY(!early.entry(SpaceTree::rootIndex).complete);
        QVERIFY(early.progress().done);

        stop = false;
        SpaceTree space(tree);
        std::thread walker([&] { space.walk({}, {}, &stop); });
        while (space.progress().entries < 500 && !space.progress().done)
            std::this_thread::yield();
        stop = true;
        walker.join();
        if (space.entry(SpaceTree::rootIndex).complete)
            QSKIP("the walk ended before the stop came");
        QVERIFY(space.progress().entries < 300 * 61);
        QVERIFY(space.entry(SpaceTree::rootIndex).size < du(tree).at(tree.native()));
    }

    // About as compact as the compact tools: well under 100 bytes an entry.
    void compact()
    {
        const fs::path tree = dir("tree");
        for (int i = 0; i < 100; ++i)
            for (int j = 0; j < 100; ++j)
                write(tree / ("folder-" + std::to_string(i))
                          / ("file-" + std::to_string(j) + ".txt"),
                      {});
        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const qint64 entries = space.progress().entries;
        QVERIFY(entries > 10000);
        const double perEntry = double(space.memoryBytes()) / double(entries);
        qInfo("%.1f bytes an entry", perEntry);
        QVERIFY2(perEntry < 100, qPrintable(QString::number(perEntry)));
        // The names fill more than one page of names: each is still found where it lies.
        for (int i = 0; i < 100; ++i) {
            for (int j = 0; j < 100; ++j) {
                const fs::path name =
                    tree / ("folder-" + std::to_string(i)) / ("file-" + std::to_string(j) + ".txt");
                QVERIFY2(space.find(name), name.c_str());
            }
        }
    }

    void rootThatIsNoFolder()
    {
        file(dir("file.bin"), 1000);
        symlink(base, dir("link"));
        QVERIFY(!SpaceTree(dir("file.bin")).walk({}));
        QVERIFY(!SpaceTree(dir("link")).walk({}));
        QVERIFY(!SpaceTree(dir("missing")).walk({}));
    }
};

AMPA_TEST_MAIN(SpaceTest)
#include "tst_space.moc"
