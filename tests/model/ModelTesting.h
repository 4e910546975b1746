#pragma once

#include "ActivityLog.h"
#include "Model.h"
#include "SystemProbes.h"
#include "Text.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

// A file of `bytes` bytes under its raw-byte name, flushed so that its allocation is final.
inline void makeFile(const std::filesystem::path &path, qint64 bytes)
{
    std::filesystem::create_directories(path.parent_path());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const QByteArray data(bytes, 'x');
    if (fd < 0 || write(fd, data.constData(), data.size()) != data.size())
        qFatal("cannot create %s", path.c_str());
    fsync(fd);
    close(fd);
}

// The log's lines, oldest first, without their time stamps.
inline QStringList logMessages()
{
    QStringList messages;
    const QStringList lines = Engine::logLines(1000);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        messages << line->section(QLatin1Char(' '), 1);
    return messages;
}

inline void clearLog()
{
    std::filesystem::remove(Engine::logPath());
}

// Waits, through the event loop, until the model's scan and action are over.
#define AMPA_WAIT_IDLE(model)                                                                      \
    QTRY_VERIFY_WITH_TIMEOUT(!(model).busy() && !(model).scanning() && !(model).scanningAdv(),     \
                             20000)
