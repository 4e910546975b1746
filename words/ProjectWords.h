#pragma once

#include "Projects.h"

#include <QString>

// Why a project's artifact is not offered (Projects.h), in the language the settings hold now;
// empty for one that is offered.
QString withheldText(const Engine::Withheld &withheld);
