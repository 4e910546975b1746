#pragma once

#include "Projects.h"

#include <QString>

// A project's record: the search's result, kept or not.
struct ProjectItem {
    Engine::Project project;
    QString id; // stable for the project's path
    bool kept = false;
};
