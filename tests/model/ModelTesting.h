#pragma once

#include "ActivityLog.h"
#include "Model.h"
#include "SystemProbes.h"
#include "Text.h"
#include "TreeBuilder.h"

#include <QFile>
#include <QTest>

#include <filesystem>

inline void makeFile(const std::filesystem::path &path, qint64 bytes)
{
    TreeBuilder::file(path, bytes);
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
