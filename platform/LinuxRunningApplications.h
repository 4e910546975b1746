#pragma once

#include "Services.h"

// Running applications from /proc: names through the installed desktop entries, bundles through
// the APPIMAGE variable that an AppImage's runtime sets for its program.
class LinuxRunningApplications : public RunningApplications {
public:
    QSet<QString> names() override;
    std::vector<RunningApp> withBundles() override;
};
