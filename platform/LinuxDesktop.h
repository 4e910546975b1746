#pragma once

#include "Services.h"

// Opening programs, the restart prompt of the session (GNOME or Plasma, over D-Bus, never a
// direct reboot), Ampa's own bundle and the administrator runner pkexec.
class LinuxDesktop : public Desktop {
public:
    void openApplication(const std::filesystem::path &app) override;
    void revealFile(const std::filesystem::path &path,
                    std::function<void(std::optional<QString>)> done) override;
    void requestRestart(std::function<void(bool)> done) override;
    std::filesystem::path selfBundle() override;
    QString adminRunner() override;
};
