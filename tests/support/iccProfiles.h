#pragma once
// ICC profiles for tests and seeds, written by the colour management library: a three-component
// matrix-based display profile (sRGB), a monochrome one, and an abstract Lab profile built of lookup
// tables.

#include <lcms2.h>

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> savedProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
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
