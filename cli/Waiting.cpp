#include "Commands.h"
#include "Model.h"
#include "Text.h"

#include <QEventLoop>
#include <QTextStream>

void waitUntil(Model &model, const std::function<bool()> &done, bool showProgress)
{
    QTextStream err(stderr);
    QString shown;
    auto check = [&] {
        const QString stage = model.busy()       ? bilingual("Membersihkan", "Cleaning")
                              : model.scanning() ? bilingual("Memindai cache", "Scanning caches")
                              : model.scanningAdv()
                                  ? bilingual("Memindai data besar", "Scanning large data")
                                  : QString();
        if (showProgress && stage != shown) {
            // One line on the terminal, rewritten in place and cleared at the end.
            err << "\r\033[K" << (stage.isEmpty() ? QString() : stage + QStringLiteral("…"));
            err.flush();
            shown = stage;
        }
        return done();
    };
    QEventLoop loop;
    for (auto signal : {&Model::scanningChanged, &Model::scanningAdvChanged, &Model::busyChanged})
        QObject::connect(&model, signal, &loop, [&] {
            if (check())
                loop.quit();
        });
    if (!check())
        loop.exec();
    if (showProgress && !shown.isEmpty()) {
        err << "\r\033[K";
        err.flush();
    }
}
