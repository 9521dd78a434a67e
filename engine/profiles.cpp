#include "engine/profiles.h"

#include <algorithm>
#include <array>

namespace {

struct Named {
    Profile profile;
    std::string_view name;
    uint16_t P;  // cinema: the whole field; else its family, in bits 8-11
};

constexpr std::array named{
    Named{Profile::dci2k, "dci-2k", 0x003},           Named{Profile::dci4k, "dci-4k", 0x004},
    Named{Profile::dcp2k, "dcp-2k", 0x003},           Named{Profile::dcp4k, "dcp-4k", 0x004},
    Named{Profile::imf2k, "imf-2k", 0x400},           Named{Profile::imf4k, "imf-4k", 0x500},
    Named{Profile::imf8k, "imf-8k", 0x600},           Named{Profile::imf2kR, "imf-2k-r", 0x700},
    Named{Profile::imf4kR, "imf-4k-r", 0x800},        Named{Profile::imf8kR, "imf-8k-r", 0x900},
    Named{Profile::broadcastSingle, "broadcast-single", 0x100},
    Named{Profile::broadcastMulti, "broadcast-multi", 0x200},
    Named{Profile::broadcastMultiR, "broadcast-multi-r", 0x300},
};

constexpr std::array profiles = [] {
    std::array<Profile, named.size()> all{};
    for (size_t i = 0; i < named.size(); ++i)
        all[i] = named[i].profile;
    return all;
}();

const Named& entry(Profile profile) { return named[static_cast<size_t>(profile)]; }

}  // namespace

std::string_view profileName(Profile profile) { return entry(profile).name; }

std::optional<Profile> profileByName(std::string_view name)
{
    const auto it = std::find_if(named.begin(), named.end(), [&](const Named& n) { return n.name == name; });
    return it == named.end() ? std::nullopt : std::optional(it->profile);
}

std::span<const Profile> allProfiles() { return profiles; }

bool profileNumberMatches(Profile profile, uint64_t P)
{
    const uint16_t wanted = entry(profile).P;
    return wanted < 0x100 ? P == wanted : P >> 8 == wanted >> 8 && P < 0x1000;
}

bool Rsiz::defined() const
{
    if (extensions())
        return true;
    if (value & 0x3000)
        return false;
    const uint16_t P = profileField();
    const int family = profileFamily();
    if (P <= 7 || P == 0x0FFF)
        return true;
    // Broadcast: the main level alone; IMF: main and sub level.
    if (family >= 1 && family <= 3)
        return subLevel() == 0 && mainLevel() <= 11;
    if (isImf())
        return mainLevel() <= 11 && subLevel() <= 9;
    return false;
}

std::optional<Profile> Rsiz::checkedProfile() const
{
    if (!defined() || profileField() == 0x0FFF)
        return std::nullopt;
    const uint16_t P = profileField();
    for (const Named& n : named) {
        // DCI rather than DCP: the delivery rules are asked for, never declared.
        if (n.profile != Profile::dcp2k && n.profile != Profile::dcp4k && profileNumberMatches(n.profile, P))
            return n.profile;
    }
    return std::nullopt;
}
