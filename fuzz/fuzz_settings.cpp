// The settings file as Ampa reads it, whatever it holds: every key, read as the program reads it.
#include "Settings.h"
#include "Text.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A private configuration folder: the fuzzer writes the settings file over and over.
    static QByteArray folder =
        QDir::tempPath().toUtf8() + "/ampa-fuzz-settings-" + QByteArray::number(getpid());
    QDir().mkpath(QString::fromUtf8(folder));
    setenv("XDG_CONFIG_HOME", folder.constData(), 1);
    std::atexit([] { QDir(QString::fromUtf8(folder)).removeRecursively(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Ampa/Ampa.conf";
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Ampa");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    file.close();

    Settings &settings = Settings::instance();
    settings.reload();
    isIndonesian();
    settings.demo();
    fmt(static_cast<qint64>(size) * 1000003);
    for (int key = 0; key < Settings::keyCount; ++key)
        settings.value(static_cast<Settings::Key>(key)).toString();
    return 0;
}
