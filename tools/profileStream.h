#pragma once
// Small codestreams that follow the rules of a profile, so that the checker reports them clean, or
// that break exactly one rule, which the checker reports once, at a known position: for trying the
// profile rules (mkstream --profile) and for their tests. One tile of 64 × 32 with three components
// and five decomposition levels; cinema streams have three tile-parts (2K) or six (4K), a TLM and,
// at 4K, the progression change the profile asks for.

#include "engine/profiles.h"

#include <cstdint>
#include <optional>
#include <vector>

struct ProfileStreamRequest {
    std::optional<Profile> profile;  // none: Rsiz declares no profile
    bool ht = false;                 // HTJ2K: Rsiz bit 14, a CAP and HT code-blocks
    int broken = 0;                  // the code of the rule to break, or 0
};

struct ProfileStream {
    std::vector<uint8_t> bytes;
    uint64_t brokenAt = 0;  // where the checker reports the broken rule
    // The checker must be asked for the profile: DCP rules, or a profile Rsiz does not declare.
    bool needsProfileOption = false;
};

// The codes that a stream of this profile can break, each alone.
std::vector<int> breakableRules(std::optional<Profile> profile, bool ht);

// Throws std::invalid_argument for an HTJ2K cinema stream (cinema has no HT block coder) or a rule
// the stream cannot break alone.
ProfileStream buildProfileStream(const ProfileStreamRequest& request);
