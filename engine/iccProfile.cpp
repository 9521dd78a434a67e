#include "engine/iccProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <vector>

namespace {

// The library reports through a handler of its context; the first report says why. It may quote
// bytes of the profile, which are shown as printable ASCII.
void keepFirstError(cmsContext context, cmsUInt32Number, const char* text)
{
    auto* error = static_cast<std::string*>(cmsGetContextUserData(context));
    if (!error->empty())
        return;
    for (const char* c = text; *c; ++c)
        *error += *c >= 0x20 && *c < 0x7F ? *c : '.';
}

bool readable(cmsHPROFILE profile, cmsTagSignature tag) { return cmsReadTag(profile, tag) != nullptr; }

bool isRestricted(cmsHPROFILE profile)
{
    const cmsProfileClassSignature profileClass = cmsGetDeviceClass(profile);
    if (profileClass != cmsSigInputClass && profileClass != cmsSigDisplayClass)
        return false;
    switch (cmsGetColorSpace(profile)) {
    case cmsSigGrayData:
        return readable(profile, cmsSigGrayTRCTag);
    case cmsSigRgbData:
        return cmsGetPCS(profile) == cmsSigXYZData && readable(profile, cmsSigRedColorantTag) &&
               readable(profile, cmsSigGreenColorantTag) && readable(profile, cmsSigBlueColorantTag) &&
               readable(profile, cmsSigRedTRCTag) && readable(profile, cmsSigGreenTRCTag) &&
               readable(profile, cmsSigBlueTRCTag);
    default:
        return false;
    }
}

}  // namespace

IccProfileCheck checkIccProfile(std::span<const uint8_t> profile)
{
    IccProfileCheck check;
    // A context of its own: checks in several threads at once share no state.
    std::string error;
    const cmsContext context = cmsCreateContext(nullptr, &error);
    if (!context) {
        check.error = "no memory for the colour management library";
        return check;
    }
    cmsSetLogErrorHandlerTHR(context, keepFirstError);
    static constexpr uint8_t none = 0;
    const cmsHPROFILE opened = cmsOpenProfileFromMemTHR(context, profile.empty() ? &none : profile.data(),
                                                        static_cast<cmsUInt32Number>(profile.size()));
    if (opened) {
        check.parsed = true;
        check.restricted = isRestricted(opened);
        cmsCloseProfile(opened);
    } else {
        check.error = error.empty() ? "unreadable profile" : error;
    }
    cmsDeleteContext(context);
    return check;
}

std::optional<IccProfileCheck> checkIccProfile(const ByteImage& file, uint64_t begin, uint64_t end)
{
    if (end - begin > maxParsedProfileLength)
        return std::nullopt;
    std::vector<uint8_t> profile;
    profile.reserve(end - begin);
    // In pieces, so that the file's reads stay of their usual size.
    constexpr uint64_t piece = 64 << 10;
    for (uint64_t p = begin; p < end; p += piece) {
        const auto bytes = file.bytes(p, std::min(piece, end - p));
        profile.insert(profile.end(), bytes.begin(), bytes.end());
    }
    return checkIccProfile(profile);
}
