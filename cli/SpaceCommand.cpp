// ampa-cli space: what fills a folder, to a depth, and what of it rebuilds by itself. The marks
// come from the same engine functions the other panes and commands offer from. A scan saved by
// ncdu is shown the same way, and any scan can be saved for ncdu. Each walk is recorded in the
// space history, and each folder's growth since a walk before can be shown beside it.

#include "Commands.h"
#include "HistoryWords.h"
#include "NcduFormat.h"
#include "Paths.h"
#include "ScanWords.h"
#include "Settings.h"
#include "SpaceGrowth.h"
#include "SpaceMarks.h"
#include "SpaceRecording.h"
#include "SpaceTree.h"
#include "TerminalProgress.h"
#include "TerminalText.h"
#include "Text.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

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
    std::optional<qint64> grown; // since the walk compared with, when known
};

// The walk the listing is compared with, and what it recorded.
struct Comparison {
    Engine::HistoryWalk then;
    Engine::RecordedSizes sizes;
};

struct Listing {
    int depth = 1;
    Engine::SpaceOrder order = Engine::SpaceOrder::size;
    bool byGrowth = false; // the most grown first; then by `order`
    bool apparent = false;
    const Comparison *since = nullptr;
};

std::optional<qint64> grownOf(const SpaceTree &tree, SpaceTree::Index index, const Listing &listing)
{
    if (!listing.since)
        return std::nullopt;
    return Engine::grownSince(tree, index, listing.since->then, listing.since->sizes,
                              listing.apparent);
}

// The folders to the depth below the root, each before what it holds, in the order asked.
void collect(const SpaceTree &tree, const SpaceTree::Entry &entry, int depth,
             const Listing &listing, const std::filesystem::path &path, std::vector<Row> &rows)
{
    rows.push_back({entry, depth, path, tree.reclaimableParts(entry.index),
                    grownOf(tree, entry.index, listing)});
    if (depth >= listing.depth)
        return;
    std::vector<SpaceTree::Entry> children = tree.children(entry.index);
    Engine::sortEntries(children, listing.order, listing.apparent);
    if (listing.byGrowth) {
        // Growth not known goes last: it may be anything.
        std::vector<std::pair<std::optional<qint64>, SpaceTree::Entry>> keyed;
        for (SpaceTree::Entry &child : children)
            keyed.emplace_back(grownOf(tree, child.index, listing), std::move(child));
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
            return a.first.has_value() != b.first.has_value() ? a.first.has_value()
                                                              : a.first > b.first;
        });
        children.clear();
        for (auto &[grown, child] : keyed)
            children.push_back(std::move(child));
    }
    for (const SpaceTree::Entry &child : children) {
        if (child.folder)
            collect(tree, child, depth + 1, listing, path / child.name, rows);
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
        {"apparent", static_cast<double>(row.entry.apparent)},
        {"count", static_cast<double>(row.entry.count)},
        {"newest", static_cast<double>(row.entry.newest)},
        {"parts", parts},
    };
    // A name that is not UTF-8 reads with U+FFFD, so two such paths could print alike: its
    // bytes come beside it, percent-encoded, for a script to open it by.
    const QByteArray bytes(row.path.c_str());
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        object["pathBytes"] = QString::fromLatin1(bytes.toPercentEncoding("/"));
    if (row.grown)
        object["grown"] = static_cast<double>(*row.grown);
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

QString rowLine(const Row &row, bool apparent, bool compared)
{
    QString line =
        tinted(fmt(apparent ? row.entry.apparent : row.entry.size).rightJustified(10), Tint::size);
    line += "  ";
    if (compared)
        line += (row.grown ? grownText(*row.grown) : QStringLiteral("-")).rightJustified(10) + "  ";
    line += (row.entry.reclaimable > 0 ? fmt(row.entry.reclaimable) : QStringLiteral("-"))
                .rightJustified(10);
    line += "  " + QString::number(row.entry.count).rightJustified(8);
    line += "  "
            + (row.entry.newest > 0
                   ? QDateTime::fromSecsSinceEpoch(row.entry.newest).toString("yyyy-MM-dd")
                   : QStringLiteral("-"))
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

namespace {

void complain(const QString &problem)
{
    QTextStream(stderr) << "ampa-cli: " << printable(problem) << '\n';
}

std::filesystem::path typedPath(const QString &typed)
{
    const std::filesystem::path path(typed.toStdString());
    return (path.is_absolute() ? path : std::filesystem::current_path() / path).lexically_normal();
}

// The tree of the folder walked now; null (and said why) when it cannot be.
std::unique_ptr<SpaceTree> walked(const QStringList &arguments, const Options &options)
{
    const std::filesystem::path root =
        arguments.isEmpty() ? Engine::homeDir() : typedPath(arguments[0]);
    const Engine::SpaceRoot where = Engine::spaceRoot(root);
    if (where.linked)
        complain(bilingual(QStringLiteral("%1 adalah tautan; yang diukur %2"),
                           QStringLiteral("%1 is a link; measuring %2"))
                     .arg(Engine::displayPath(root), Engine::displayPath(where.folder)));
    auto tree = std::make_unique<SpaceTree>(where.folder);
    const bool done = withProgress(options.json, bilingual("Mengukur", "Measuring"), [&tree] {
        return tree->walk(Engine::spaceMarks(), Engine::spaceKept());
    });
    if (done)
        return tree;
    complain(bilingual(QStringLiteral("bukan folder yang terbaca: %1"),
                       QStringLiteral("not a readable folder: %1"))
                 .arg(Engine::displayPath(root)));
    return nullptr;
}

// The tree of a scan saved by ncdu; null (and said why) when it cannot be read.
std::unique_ptr<SpaceTree> imported(const Options &options)
{
    const std::filesystem::path file = typedPath(options.importFrom);
    Engine::ScanRead read;
    withProgress(options.json, bilingual("Membaca", "Reading"), [&read, &file] {
        read = Engine::readNcdu(file);
        return read.tree != nullptr;
    });
    if (read.tree)
        return std::move(read.tree);
    complain(Engine::displayPath(file) + ": " + scanProblemText(read));
    return nullptr;
}

// The walk to compare the tree with, recording the tree's walk first when the setting is on;
// none (and said why when one was asked for) when there is none.
std::optional<Comparison> recordAndCompare(const SpaceTree &tree, const Options &options)
{
    const bool recording = Settings::instance().spaceHistory();
    if (!recording && !options.since)
        return std::nullopt;
    const std::unique_ptr<Engine::SpaceHistory> history = openSpaceHistory(recording);
    const std::optional<qint64> current =
        recording && history ? Engine::recordWalk(*history, tree) : std::nullopt;
    if (!options.since)
        return std::nullopt;
    const std::optional<Engine::HistoryWalk> then =
        history ? Engine::walkToCompare(history->walks(tree.root()), current, options.sinceDays,
                                        QDateTime::currentSecsSinceEpoch())
                : std::nullopt;
    if (!then) {
        complain(bilingual(QStringLiteral("riwayat ruang belum punya pengukuran %1 sebelumnya; "
                                          "pertumbuhan tidak ditampilkan"),
                           QStringLiteral("the space history holds no earlier walk of %1; growth "
                                          "is not shown"))
                     .arg(Engine::displayPath(tree.root())));
        return std::nullopt;
    }
    return Comparison{*then, history->sizes(then->id)};
}

} // namespace

int runSpace(const QStringList &arguments, const Options &options)
{
    if (arguments.size() > (options.importFrom.isEmpty() ? 1 : 0))
        return usageProblem(bilingual(QStringLiteral("argumen tak dikenal: %1"),
                                      QStringLiteral("unexpected argument: %1"))
                                .arg(arguments.last()));
    if (options.since && !options.importFrom.isEmpty())
        return usageProblem(bilingual("--since membandingkan pengukuran di riwayat ruang; hasil "
                                      "pindai yang disimpan tidak ada di sana",
                                      "--since compares walks the space history holds; a saved "
                                      "scan is not among them"));
    Listing listing;
    listing.depth = options.depth.value_or(1);
    listing.apparent = options.apparent;
    listing.byGrowth = options.order == QLatin1String("grown");
    if (listing.byGrowth && !options.since)
        return usageProblem(bilingual("--sort grown perlu --since", "--sort grown needs --since"));
    const auto order = listing.byGrowth ? std::optional(Engine::SpaceOrder::size)
                                        : Engine::spaceOrderNamed(options.order.toStdString());
    if (!order)
        return usageProblem(bilingual(QStringLiteral("urutan tak dikenal: %1 (size, name, count, "
                                                     "age atau grown)"),
                                      QStringLiteral("unknown order: %1 (size, name, count, age "
                                                     "or grown)"))
                                .arg(options.order));
    listing.order = *order;
    const std::unique_ptr<SpaceTree> tree =
        options.importFrom.isEmpty() ? walked(arguments, options) : imported(options);
    if (!tree)
        return exitPartlyFailed;
    const std::optional<Comparison> comparison =
        tree->isScan() ? std::nullopt : recordAndCompare(*tree, options);
    listing.since = comparison ? &*comparison : nullptr;
    if (!options.exportTo.isEmpty()) {
        const std::filesystem::path file = typedPath(options.exportTo);
        std::string error;
        if (!Engine::writeNcdu(*tree, file, &error)) {
            complain(bilingual(QStringLiteral("%1 tidak bisa ditulis: %2"),
                               QStringLiteral("%1 could not be written: %2"))
                         .arg(Engine::displayPath(file), QString::fromLocal8Bit(error)));
            return exitPartlyFailed;
        }
    }
    std::vector<Row> rows;
    collect(*tree, tree->entry(SpaceTree::rootIndex), 0, listing, tree->root(), rows);
    if (options.json) {
        QJsonArray folders;
        for (const Row &row : rows)
            folders.append(rowObject(row));
        QJsonObject result{{"folders", folders}};
        if (tree->isScan())
            result["scan"] = Engine::displayPath(typedPath(options.importFrom));
        if (options.since)
            result["since"] =
                comparison ? QJsonValue(QJsonObject{
                    {"time", static_cast<double>(comparison->then.time)},
                    {"date", QDateTime::fromSecsSinceEpoch(comparison->then.time, Qt::UTC)
                                 .toString(Qt::ISODate)},
                })
                           : QJsonValue();
        QTextStream(stdout) << QJsonDocument(result).toJson();
        return exitOk;
    }
    QTextStream out(stdout);
    if (comparison)
        out << bilingual(QStringLiteral("Pertumbuhan %1"), QStringLiteral("Growth %1"))
                   .arg(sinceText(comparison->then.time, QDateTime::currentSecsSinceEpoch()))
            << '\n';
    const QString grownHeading =
        comparison ? bilingual("Tumbuh", "Grown").rightJustified(10) + "  " : QString();
    out << (options.apparent
                ? bilingual("Ukuran isi  " + grownHeading + "Bisa kembali     Entri     Terbaru",
                            "  Apparent  " + grownHeading + " Rebuildable   Entries      Newest")
                : bilingual("    Ukuran  " + grownHeading + "Bisa kembali     Entri     Terbaru",
                            "      Size  " + grownHeading + " Rebuildable   Entries      Newest"))
        << '\n';
    for (const Row &row : rows)
        out << rowLine(row, options.apparent, comparison.has_value()) << '\n';
    return exitOk;
}
