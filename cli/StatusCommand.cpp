// ampa-cli status: what the window shows, as text or one JSON object.

#include "Commands.h"
#include "EngineWords.h"
#include "Model.h"
#include "Paths.h"
#include "TargetCleaning.h"
#include "TerminalText.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <unistd.h>

namespace {

QJsonArray pathsOf(const CacheTarget &target)
{
    QJsonArray paths;
    for (const std::filesystem::path &path : Engine::urls(target))
        paths.append(Engine::displayPath(path));
    return paths;
}

QJsonArray itemsJson(const std::vector<FileItem> &items)
{
    QJsonArray array;
    for (const FileItem &item : items) {
        array.append(QJsonObject{{"path", Engine::displayPath(item.url())},
                                 {"size", item.size()},
                                 {"modified", item.modified().toUTC().toString(Qt::ISODate)}});
    }
    return array;
}

QJsonObject statusJson(Model &model)
{
    QJsonArray quick;
    for (const CacheTarget &target : quickTargets()) {
        quick.append(QJsonObject{{"id", target.id},
                                 {"name", quickTargetName(target.id)},
                                 {"size", model.sizes().value(target.id)},
                                 {"paths", pathsOf(target)}});
    }
    QJsonObject adv;
    for (auto it = model.adv().begin(); it != model.adv().end(); ++it)
        adv.insert(it.key(), it.value());
    QJsonArray advItems;
    for (const AdvItem &item : model.advItems()) {
        advItems.append(QJsonObject{{"id", item.id},
                                    {"title", item.title},
                                    {"size", item.size ? QJsonValue(*item.size) : QJsonValue()},
                                    {"enabled", item.enabled}});
    }
    return {{"demo", model.demo()},
            {"warnings", QJsonArray::fromStringList(model.warnings())},
            {"free", model.freeBytes()},
            {"total", model.totalBytes()},
            {"swapBytes", model.swapBytes()},
            {"uptime", model.uptime()},
            {"suggestRestart", model.suggestRestart()},
            {"isLow", model.isLow()},
            {"quick", quick},
            {"adv", adv},
            {"advItems", advItems},
            {"downloads", itemsJson(model.downloads())},
            {"apps", itemsJson(model.apps())}};
}

// "  name ....... size" with the size aligned.
QString row(const QString &name, const QString &size)
{
    return QStringLiteral("  %1 %2\n")
        .arg(name, -38)
        .arg(tinted(size.rightJustified(10), Tint::size));
}

void printItems(QTextStream &out, const QString &title, const std::vector<FileItem> &items,
                bool applications)
{
    out << '\n' << title << '\n';
    if (items.empty())
        out << "  " << bilingual("(kosong)", "(none)") << '\n';
    for (const FileItem &item : items) {
        const QString name = applications ? Engine::appName(item.url())
                                          : QString::fromUtf8(item.url().filename().native());
        out << row(printable(name), fmt(item.size()));
    }
}

void printStatus(Model &model, bool verbose)
{
    QTextStream out(stdout);
    if (model.demo())
        out << demoNotice() << '\n';
    for (const QString &warning : model.warnings())
        out << tinted(printable(warning), Tint::warning) << '\n';
    out << bilingual("Ruang kosong: ", "Free space: ")
        << tinted(fmt(model.freeBytes()), model.isLow() ? Tint::warning : Tint::size)
        << bilingual(" dari ", " of ") << fmt(model.totalBytes()) << '\n';
    if (model.isLow())
        out << tinted(bilingual("Kosong. Di bawah 10 GB, komputer bisa melambat.",
                                "Free. Under 10 GB, a computer can slow down."),
                      Tint::warning)
            << '\n';
    out << "Swap: " << fmt(model.swapBytes()) << " · " << bilingual("Menyala ", "On for ")
        << uptimeText(model.uptime()) << '\n';
    if (model.suggestRestart()) {
        const QString swap = fmt(model.swapBytes());
        out << bilingual(QStringLiteral("Saran: restart. Restart mengembalikan %1 swap."),
                         QStringLiteral("Suggested: a restart. A restart frees %1 of swap."))
                   .arg(swap)
            << '\n';
    }

    out << '\n'
        << bilingual("Pembersihan cepat", "Quick clean") << " ("
        << tinted(fmt(model.quickTotal()), Tint::size) << ")\n";
    for (const CacheTarget &target : quickTargets()) {
        out << row(quickTargetName(target.id), fmt(model.sizes().value(target.id)));
        if (verbose) {
            for (const QJsonValue &path : pathsOf(target))
                out << "      " << printable(path.toString()) << '\n';
        }
    }

    out << '\n' << bilingual("Opsi lanjutan", "Advanced options") << '\n';
    for (const AdvItem &item : model.advItems()) {
        out << row(item.title, item.size ? fmt(*item.size) : QString()) << "      " << item.note
            << '\n';
    }
    printItems(out, bilingual("Item terbesar di Downloads", "Largest items in Downloads"),
               model.downloads(), false);
    printItems(out, bilingual("Aplikasi terbesar", "Largest apps"), model.apps(), true);
}

} // namespace

int runStatus(const Options &options)
{
    Model model;
    model.start();
    waitUntil(
        model, [&model] { return !model.scanning() && !model.scanningAdv(); }, options.json);
    if (options.json)
        QTextStream(stdout) << QJsonDocument(statusJson(model)).toJson(QJsonDocument::Indented);
    else
        printStatus(model, options.verbose);
    return exitOk;
}
