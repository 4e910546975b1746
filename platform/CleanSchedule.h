#pragma once

#include "ScheduleUnits.h"

#include <QDateTime>
#include <QString>

#include <filesystem>
#include <optional>

// The automatic quick clean: a timer of the user's service manager that runs the terminal
// program's clean. Blocks for as long as the manager takes to answer (bounded).
class CleanSchedule {
public:
    virtual ~CleanSchedule() = default;
    // Writes and enables the timer and its service, which runs `cli` (absolute, existing), or for
    // `off` stops, disables and removes them. The failure's description when it could not be
    // done: then the unit files are as they were, and so is the manager.
    virtual std::optional<QString> apply(Schedule::Frequency frequency,
                                         const std::filesystem::path &cli) = 0;
    // When the manager will next start the clean; none when no timer waits, or no manager
    // answers.
    virtual std::optional<QDateTime> nextRun() = 0;
};
