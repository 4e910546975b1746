// ampa-cli space: what fills a folder, to a depth, and what of it rebuilds by itself. The marks
// come from the same engine functions the other panes and commands offer from.

#include "Commands.h"
#include "Paths.h"
#include "SpaceMarks.h"
#include "SpaceTree.h"
#include "TerminalProgress.h"
#include "TerminalText.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

using Engine::SpaceKind;
using Engine::SpaceTree;

QString kindText(SpaceKind kind)
{
    switch (kind) {
    case SpaceKind::none:
        break;
    case SpaceKind::quick:
        return bilingual("pembersihan cepat", "quick clean");
    case SpaceKind::developer:
        return bilingual("cache pengembang", "developer caches");
    case SpaceKind::project:
        return bilingual("artefak proyek", "project artifacts");
    case SpaceKind::trash:
        return QStringLiteral("Trash");
    case SpaceKind::cacheTag:
        return bilingual("cache bertanda CACHEDIR.TAG", "caches tagged CACHEDIR.TAG");
    }
    return {};
}

struct Row {
    SpaceTree::Entry entry;
    int depth = 0;
    std::filesystem::path path;
    std::vector<std::pair<SpaceKind, qint64>> parts;
};

// The folders to `depth` below the root, each before what it holds, the largest first.
void collect(const SpaceTree &tree, const SpaceTree::Entry &entry, int depth, int maxDepth,
             const std::filesystem::path &path, std::vector<Row> &rows)
{
    rows.push_back({entry, depth, path, tree.reclaimableParts(entry.index)});
    if (depth >= maxDepth)
        return;
    for (const SpaceTree::Entry &child : tree.children(entry.index)) {
        if (child.folder)
            collect(tree, child, depth + 1, maxDepth, path / child.name, rows);
    }
}

QJsonObject rowObject(const Row &row)
{
    QJsonArray parts;
    for (const auto &[kind, bytes] : row.parts)
        parts.append(QJsonObject{{"kind", Engine::spaceKindName(kind)},
                                 {"bytes", static_cast<double>(bytes)}});
    QJsonObject object{
        {"path", Engine::displayPath(row.path)},
        {"depth", row.depth},
        {"size", static_cast<double>(row.entry.size)},
        {"reclaimable", static_cast<double>(row.entry.reclaimable)},
        {"parts", parts},
    };
    // A name that is not UTF-8 reads with U+FFFD, so two such paths could print alike: its
    // bytes come beside it, percent-encoded, for a script to open it by.
    const QByteArray bytes(row.path.c_str());
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        object["pathBytes"] = QString::fromLatin1(bytes.toPercentEncoding("/"));
    if (row.entry.kind != SpaceKind::none)
        object["kind"] = Engine::spaceKindName(row.entry.kind);
    if (row.entry.kept)
        object["kept"] = true;
    if (row.entry.otherMount)
        object["otherMount"] = true;
    if (row.entry.unreadable)
        object["unreadable"] = true;
    return object;
}

QString rowLine(const Row &row)
{
    QString line = tinted(fmt(row.entry.size).rightJustified(10), Tint::size);
    line += "  ";
    line += (row.entry.reclaimable > 0 ? fmt(row.entry.reclaimable) : QStringLiteral("-"))
                .rightJustified(10);
    line += "  " + QString(row.depth * 2, ' ');
    line += printable(row.depth == 0 ? Engine::displayPath(row.path)
                                     : Engine::displayPath(row.path.filename()));
    if (row.entry.otherMount)
        line += "  "
                + tinted(bilingual("(sistem berkas lain)", "(another file system)"), Tint::warning);
    if (row.entry.unreadable)
        line += "  " + tinted(bilingual("(tak terbaca)", "(unreadable)"), Tint::warning);
    if (!row.parts.empty()) {
        QStringList names;
        for (const auto &part : row.parts)
            names << kindText(part.first);
        line += "  [" + names.join(", ") + "]";
    }
    if (row.entry.kept)
        line += "  " + bilingual("(disimpan)", "(kept)");
    return line;
}

} // namespace

int runSpace(const QStringList &arguments, const Options &options)
{
    if (arguments.size() > 1)
        return usageProblem(bilingual(QStringLiteral("argumen tak dikenal: %1"),
                                      QStringLiteral("unexpected argument: %1"))
                                .arg(arguments[1]));
    std::filesystem::path root = Engine::homeDir();
    if (!arguments.isEmpty()) {
        const std::filesystem::path typed(arguments[0].toStdString());
        root = (typed.is_absolute() ? typed : std::filesystem::current_path() / typed)
                   .lexically_normal();
    }
    const Engine::SpaceRoot where = Engine::spaceRoot(root);
    if (where.linked)
        QTextStream(stderr)
            << "ampa-cli: "
            << printable(bilingual(QStringLiteral("%1 adalah tautan; yang diukur %2"),
                                   QStringLiteral("%1 is a link; measuring %2"))
                             .arg(Engine::displayPath(root), Engine::displayPath(where.folder)))
            << '\n';
    SpaceTree tree(where.folder);
    const bool walked = withProgress(options.json, bilingual("Mengukur", "Measuring"), [&tree] {
        return tree.walk(Engine::spaceMarks(), Engine::spaceKept());
    });
    if (!walked) {
        QTextStream(stderr) << "ampa-cli: "
                            << printable(bilingual(QStringLiteral("bukan folder yang terbaca: %1"),
                                                   QStringLiteral("not a readable folder: %1"))
                                             .arg(Engine::displayPath(root)))
                            << '\n';
        return exitPartlyFailed;
    }
    std::vector<Row> rows;
    collect(tree, tree.entry(SpaceTree::rootIndex), 0, options.depth.value_or(1), tree.root(),
            rows);
    if (options.json) {
        QJsonArray folders;
        for (const Row &row : rows)
            folders.append(rowObject(row));
        QTextStream(stdout) << QJsonDocument(QJsonObject{{"folders", folders}}).toJson();
        return exitOk;
    }
    QTextStream out(stdout);
    out << bilingual("    Ukuran  Bisa kembali", "      Size   Rebuildable") << '\n';
    for (const Row &row : rows)
        out << rowLine(row) << '\n';
    return exitOk;
}
