// ampa-cli: what Ampa measures on this machine, in the language of the `language` setting.

#include "Engine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

namespace {

QString pathLine(const std::filesystem::path &path, bool exists, qint64 bytes)
{
    const QString size = exists ? fmt(bytes) : tr("tidak ada", "not present");
    return QStringLiteral("      %1  (%2)").arg(Engine::displayPath(path), size);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ampa-cli");
    QTextStream out(stdout);

    const Engine::DiskSpace disk = Engine::disk();
    const qint64 uptime = Engine::bootDate().secsTo(QDateTime::currentDateTimeUtc());
    out << tr("Ruang kosong: ", "Free space: ") << fmt(disk.free) << tr(" dari ", " of ")
        << fmt(disk.total) << '\n'
        << "Swap: " << fmt(Engine::swapTotal()) << '\n'
        << tr("Menyala ", "On for ") << uptimeText(static_cast<double>(uptime)) << "\n\n"
        << tr("Pembersihan cepat", "Quick clean") << '\n';

    qint64 total = 0;
    for (const CacheTarget &target : quickTargets()) {
        QStringList lines;
        qint64 targetSize = 0;
        for (const std::filesystem::path &folder : target.paths) {
            const std::filesystem::path path = Engine::url(folder);
            std::error_code error;
            const bool exists = std::filesystem::symlink_status(path, error).type()
                                != std::filesystem::file_type::not_found;
            const qint64 bytes = exists ? Engine::size(path) : 0;
            targetSize += bytes;
            lines << pathLine(path, exists, bytes);
        }
        if (target.codexReleases)
            lines << QStringLiteral("      ")
                         + tr("(rilis lama dicari saat membersihkan)",
                              "(old releases are looked up when cleaning)");
        total += targetSize;
        out << QStringLiteral("  %1  %2\n").arg(target.name, -34).arg(fmt(targetSize))
            << QStringLiteral("    %1\n").arg(target.note) << lines.join('\n') << '\n';
    }
    out << tr("Total: ", "Total: ") << fmt(total) << '\n';
    return 0;
}
