#pragma once

#include "DevChoices.h"

// A developer cache as the views show it: what the catalogue found, with what the last scan
// measured and saw, as the engine decides it for both front ends.
using DevItem = Engine::DevEntry;
