#include "Commands.h"
#include "Model.h"
#include "TerminalProgress.h"
#include "Text.h"

#include <QEventLoop>

void waitUntil(Model &model, const std::function<bool()> &done, bool json)
{
    TerminalProgress progress(json, QString());
    auto check = [&] {
        const QString stage = model.busy()       ? bilingual("Membersihkan", "Cleaning")
                              : model.scanning() ? bilingual("Memindai cache", "Scanning caches")
                              : model.scanningAdv()
                                  ? bilingual("Memindai data besar", "Scanning large data")
                                  : QString();
        progress.setStage(stage, model.busy() ? TerminalProgress::Work::removing
                                              : TerminalProgress::Work::measuring);
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
}
