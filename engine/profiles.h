#pragma once
// What Rsiz declares, and the application profiles whose rules the engine checks: digital cinema
// (DCI; DCP adds the delivery rules that cinema servers check), IMF and broadcast.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

enum class Profile {
    dci2k,
    dci4k,
    dcp2k,
    dcp4k,
    imf2k,
    imf4k,
    imf8k,
    imf2kR,
    imf4kR,
    imf8kR,
    broadcastSingle,
    broadcastMulti,
    broadcastMultiR,
};

// The profile's name on the command line ("dci-2k", "imf-4k-r", "broadcast-multi" ...).
std::string_view profileName(Profile profile);
std::optional<Profile> profileByName(std::string_view name);
std::span<const Profile> allProfiles();

// The fields of Rsiz. Bit 15 announces the extensions of ISO/IEC 15444-2 (flags in bits 0-13), bit
// 14 capabilities listed in a CAP marker; otherwise bits 0-11 are the profile field P.
struct Rsiz {
    uint16_t value = 0;

    bool extensions() const { return value & 0x8000; }
    bool capabilitiesInCap() const { return value & 0x4000; }
    // P, or 0 when bit 15 turns the low bits into extension flags.
    uint16_t profileField() const { return extensions() ? 0 : value & 0x0FFF; }
    int mainLevel() const { return profileField() & 0x0F; }
    int subLevel() const { return profileField() >> 4 & 0x0F; }
    // Broadcast 1-3, IMF 4-9 (2K, 4K, 8K, then the reversible ones).
    int profileFamily() const { return profileField() >> 8; }
    bool isImf() const { return profileFamily() >= 4 && profileFamily() <= 9; }
    // A value the standard defines (the SIZ rule 10007).
    bool defined() const;
    // The profile P in the PRF marker (0x0FFF).
    bool profileInPrf() const { return profileField() == 0x0FFF; }
    // The checked profile Rsiz declares, if any; DCI for the cinema values.
    std::optional<Profile> checkedProfile() const;
};

// Whether the profile field P (of Rsiz, or the number a CPF marker gives) names this profile, at any
// of its levels.
bool profileNumberMatches(Profile profile, uint64_t P);
