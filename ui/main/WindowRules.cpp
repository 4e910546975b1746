#include "WindowRules.h"

#include <algorithm>
#include <cmath>

double WindowRules::classicHeight(double contentHeight, double roomHeight)
{
    const double limit = roomHeight > 0 ? roomHeight - 60 : 840;
    return std::min(limit, std::max(320.0, contentHeight));
}

int WindowRules::usedPercent(double fraction)
{
    return static_cast<int>(std::trunc(fraction * 100));
}
