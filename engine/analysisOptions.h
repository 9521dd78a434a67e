#pragma once
// What the caller asks of an analysis beyond the file itself.

#include "engine/profiles.h"

#include <optional>

struct AnalysisOptions {
    // Check the rules of this profile whatever Rsiz declares (code 14000 when it declares another).
    std::optional<Profile> profile = {};
};
