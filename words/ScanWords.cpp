#include "ScanWords.h"

#include "Paths.h"
#include "Text.h"

namespace {

// What the file holds, as one can read it: bytes that are not UTF-8 show as U+FFFD, control
// characters as their symbols, set apart from the sentence.
QString quoted(const std::string &bytes)
{
    return isolatedName(Engine::displayPath(std::filesystem::path(bytes)));
}

} // namespace

QString scanProblemText(const Engine::ScanRead &read)
{
    using Engine::ScanProblem;
    const QString at = QString::number(read.offset);
    switch (read.problem) {
    case ScanProblem::none:
        break;
    case ScanProblem::unreadable:
        return bilingual(QStringLiteral("Berkas tidak bisa dibaca: %1"),
                         QStringLiteral("The file could not be read: %1"))
            .arg(QString::fromLocal8Bit(read.detail));
    case ScanProblem::notAScan:
        if (read.detail.empty())
            return bilingual(QStringLiteral("Bukan hasil pindai ncdu: berkas berakhir terlalu "
                                            "awal, pada bita %1"),
                             QStringLiteral("Not a scan saved by ncdu: the file ends too early, "
                                            "at byte %1"))
                .arg(at);
        return bilingual(QStringLiteral("Bukan hasil pindai ncdu: %2 pada bita %1 tidak "
                                        "semestinya ada di sana"),
                         QStringLiteral("Not a scan saved by ncdu: %2 at byte %1 does not "
                                        "belong there"))
            .arg(at, quoted(read.detail));
    case ScanProblem::newerFormat:
        return bilingual(QStringLiteral("Hasil pindai memakai format versi %1, lebih baru "
                                        "daripada yang bisa dibaca Ampa"),
                         QStringLiteral("The scan is in format version %1, newer than Ampa "
                                        "reads"))
            .arg(quoted(read.detail));
    case ScanProblem::tooDeep:
        return bilingual(QStringLiteral("Folder dalam hasil pindai bersarang terlalu dalam, "
                                        "pada bita %1"),
                         QStringLiteral("The scan's folders nest deeper than any disk holds, "
                                        "at byte %1"))
            .arg(at);
    case ScanProblem::badName:
        if (read.detail.empty())
            return bilingual(QStringLiteral("Hasil pindai memuat nama kosong pada bita %1"),
                             QStringLiteral("The scan holds an empty name at byte %1"))
                .arg(at);
        return bilingual(QStringLiteral("Hasil pindai memuat nama yang tidak mungkin dimiliki "
                                        "berkas pada bita %1: %2"),
                         QStringLiteral("The scan holds a name no file can have at byte %1: %2"))
            .arg(at, quoted(read.detail));
    case ScanProblem::duplicate:
        return bilingual(QStringLiteral("Hasil pindai menyebut %2 dua kali dalam satu folder, "
                                        "pada bita %1"),
                         QStringLiteral("The scan names %2 twice in one folder, at byte %1"))
            .arg(at, quoted(read.detail));
    case ScanProblem::badSize:
        return bilingual(QStringLiteral("Hasil pindai memuat ukuran yang tidak mungkin pada "
                                        "bita %1: %2"),
                         QStringLiteral("The scan holds a size no file can have at byte %1: %2"))
            .arg(at, quoted(read.detail));
    case ScanProblem::tooLarge:
        return bilingual(QStringLiteral("Hasil pindai memuat lebih banyak entri daripada yang "
                                        "bisa ditampilkan Ampa, pada bita %1"),
                         QStringLiteral("The scan holds more entries than Ampa can show, at "
                                        "byte %1"))
            .arg(at);
    case ScanProblem::stopped:
        return bilingual(QStringLiteral("Pembacaan hasil pindai dihentikan"),
                         QStringLiteral("Reading the scan was stopped"));
    }
    return {};
}
