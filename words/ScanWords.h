#pragma once

#include "NcduFormat.h"

#include <QString>

// Why a saved scan could not be read, in the language the settings hold now; empty when it was.
QString scanProblemText(const Engine::ScanRead &read);
