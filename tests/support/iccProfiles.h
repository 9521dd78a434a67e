#pragma once
// ICC profiles for tests and seeds, written by the colour management library: a three-component
// matrix-based display profile (sRGB), a monochrome one, and an abstract Lab profile built of lookup
// tables.

#include <lcms2.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

inline std::vector<uint8_t> savedProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    // The creation date, 2024-01-01 00:00:00, so that a profile is the same bytes at every run.
    const uint8_t created[12] = {0x07, 0xE8, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    std::copy(std::begin(created), std::end(created), bytes.begin() + 24);
    return bytes;
}

inline std::vector<uint8_t> rgbProfile() { return savedProfile(cmsCreate_sRGBProfile()); }

inline std::vector<uint8_t> greyProfile()
{
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    std::vector<uint8_t> bytes = savedProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma));
    cmsFreeToneCurve(gamma);
    return bytes;
}

inline std::vector<uint8_t> lookupTableProfile() { return savedProfile(cmsCreateLab4Profile(nullptr)); }
