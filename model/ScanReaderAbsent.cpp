// Built only while the tree lacks the scan reader and its words (see CMakeLists.txt): a saved
// scan then cannot be opened, and says so. Once they are in, this file is not built.

#include "NcduFormat.h"
#include "ScanWords.h"
#include "Text.h"

namespace Engine {

ScanRead readNcdu(const std::filesystem::path &, const std::atomic<bool> *)
{
    ScanRead read;
    read.problem = ScanProblem::unreadable;
    read.detail = "this build reads no saved scans";
    return read;
}

} // namespace Engine

QString scanProblemText(const Engine::ScanRead &read)
{
    return read.problem == Engine::ScanProblem::none
               ? QString()
               : bilingual(QStringLiteral("program ini tidak membaca pindaian tersimpan"),
                           QStringLiteral("this build reads no saved scans"));
}
