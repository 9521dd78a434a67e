#pragma once
// What the caller asks of an analysis beyond the walk, the field checks and the checks across
// segments. The default is the analysis every caller had before options existed.

#include "engine/profiles.h"

#include <optional>

struct AnalysisOptions {
    // Check the rules of this profile whatever Rsiz declares (code 14000 when it declares another).
    std::optional<Profile> profile = {};
    // Read every packet header of every tile and check the packets (codes 12101 and up). Costs a
    // read of the bit-stream data, so it runs only when asked for.
    bool packets = false;
};
