#pragma once

#include "CleanSchedule.h"

// The schedule as units of the user's systemd manager: ampa-clean.service and ampa-clean.timer in
// $XDG_CONFIG_HOME/systemd/user, enabled and started over D-Bus (SystemdUserManager).
class SystemdCleanSchedule : public CleanSchedule {
public:
    std::optional<QString> apply(Schedule::Frequency frequency,
                                 const std::filesystem::path &cli) override;
    std::optional<QDateTime> nextRun() override;
};
