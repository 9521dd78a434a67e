// Streams of Debian's encoders (tools/make-profile-samples.sh) get the verdict their
// profile deserves: cinema, IMF and HTJ2K streams are clean as declared; the cinema 2K frame breaks
// the guard-bit rule of DCP delivery; the HT stream in a JP2 file is branded jp2 rather than jph;
// the HT stream made with the IMF settings declares no IMF profile.

#include "support/analysis.h"
#include "support/scratchFile.h"

#include <gtest/gtest.h>

TEST(EncoderSamples, VerdictsOfTheirProfiles)
{
    struct Case {
        const char* file;
        std::optional<Profile> profile;
        Findings findings;
        const char* profileLine;  // the summary's last line
    };
    const Case cases[] = {
        {"samples/cinema-2k.j2k", {}, {}, "Profil: Kino cyfrowe 2K"},
        {"samples/cinema-2k.j2k", Profile::dcp2k, {{14012, 71}}, "Profil: Kino cyfrowe 2K"},
        {"samples/cinema-4k.j2k", Profile::dcp4k, {}, "Profil: Kino cyfrowe 4K"},
        {"samples/imf-2k.j2k", {}, {}, "Profil: IMF 2K, poziom główny 0, podrzędny 0"},
        {"samples/imf-4k-reversible.j2k", {}, {}, "Profil: IMF 4K odwracalny, poziom główny 0, podrzędny 0"},
        {"samples/ht-reversible.j2k", {}, {}, "Profil: HTJ2K"},
        {"tests/corpus/ht-branded-jp2.jp2", {}, {{20123, 12}}, "Profil: HTJ2K"},
        {"samples/ht-irreversible.j2c", {}, {}, "Profil: HTJ2K"},
        {"samples/ht-imf-settings.j2c", Profile::imf2k, {{14000, 2}}, "Profil: HTJ2K"},
    };
    for (const Case& c : cases) {
        const auto a = analyze(readWholeFile(std::filesystem::path(TARVIK3_SOURCE_DIR) / c.file), {c.profile});
        EXPECT_EQ(findingsOf(*a), c.findings) << c.file;
        const std::string summary = a->buildElementText(-1);
        EXPECT_EQ(summary.substr(summary.rfind('\n') + 1), c.profileLine) << c.file;
    }
}
