#include "ProjectWords.h"

#include "Paths.h"
#include "Text.h"

QString withheldText(const Engine::Withheld &withheld)
{
    using Why = Engine::Withheld::Why;
    switch (withheld.why) {
    case Why::none:
        return {};
    case Why::otherUser:
        return bilingual("milik pengguna lain", "belongs to another user");
    case Why::readOnly:
        return bilingual("hanya-baca: salinan milik sebuah alat", "read-only: a tool's own copy");
    case Why::holdsRepository:
        return bilingual("berisi repositori (.git), mungkin dengan pekerjaan yang belum di-commit",
                         "holds a repository (.git), perhaps with work not committed");
    case Why::unreadable:
        return bilingual("isinya tak terbaca", "its files could not be read");
    case Why::notMadeByBuild:
        return bilingual(QStringLiteral("berisi %1, yang tidak dibuat CMake"),
                         QStringLiteral("holds %1, which CMake did not make"))
            .arg(isolatedName(Engine::displayPath(withheld.file)));
    case Why::notIgnored:
        return bilingual(
                   QStringLiteral(
                       "berisi %1, yang tidak dilacak dan tidak diabaikan repositorinya"),
                   QStringLiteral("holds %1, which its repository neither tracks nor ignores"))
            .arg(isolatedName(Engine::displayPath(withheld.file)));
    }
    return {};
}
