// The decoded text of each kind of element and the file summary: exact texts, the per-segment
// bad-size and partial-output rules, and fields that lie past the end of the file.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Bytes = StreamBuilder::Bytes;

namespace {

// A segment added at the end of a main header (element 4) of Csiz components.
struct SegmentCase {
    const char* what;
    uint8_t code;
    Bytes parameters;
    std::string text;  // the whole text, or a part of it when `whole` is false
    uint16_t Csiz = 1;
    bool whole = true;
    int subBands = -1;  // the number of " sub-band" entries, where counted
};

std::string textOfSegment(uint8_t code, const Bytes& parameters, uint16_t Csiz = 1)
{
    SizFields siz;
    siz.Csiz = Csiz;
    auto stream = StreamBuilder().mainHeader(siz).segment(code, parameters).tilePart().eoc();
    return analyze(stream.bytes())->buildElementText(4);
}

// Counts the occurrences of `needle`.
int count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

void expectTexts(const std::vector<SegmentCase>& cases)
{
    for (const SegmentCase& c : cases) {
        const std::string text = textOfSegment(c.code, c.parameters, c.Csiz);
        if (c.whole) {
            EXPECT_EQ(text, c.text) << c.what;
        } else {
            EXPECT_NE(text.find(c.text), std::string::npos) << c.what << ":\n" << text;
        }
        if (c.subBands >= 0) {
            EXPECT_EQ(count(text, " sub-band"), c.subBands) << c.what;
        }
    }
}

}  // namespace

TEST(FileSummary, FourLinesWithSizeBitsPerPixelAndComponents)
{
    SizFields s;
    s.Csiz = 3;
    s.Xsiz = s.Ysiz = s.XTsiz = s.YTsiz = 256;
    auto stream = StreamBuilder().mainHeader(s).tilePart().eoc();
    stream.fill(8192 - stream.size(), 0x00);
    EXPECT_EQ(analyze(stream.bytes())->buildElementText(-1),
              "Nazwa pliku: test.j2k\nRozmiar pliku: 8192\nBitów na piksel: 1.000\nIlość komponentów: 3");
    s.Xsiz = 0;
    const auto text = analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes())->buildElementText(-1);
    EXPECT_NE(text.find("\nBitów na piksel: nieokreślona\n"), std::string::npos) << "zero area: " << text;
    EXPECT_THROW(analyze({0xFF, 0xD9})->buildElementText(-1), std::invalid_argument) << "no element 1";
}

TEST(FixedTexts, DataBlocksMarkersWithoutFieldsAndUnknownCodes)
{
    auto stream = StreamBuilder().mainHeader().segment(0x92, {0x00}).beginTilePart();
    stream.sod().raw({0xFF, 0x52, 0x00, 0x0C}).endTilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->buildElementText(0), "SOC marker\nTen marker rozpoczyna strumien jpeg2000, nie zawiera żadnych danych.");
    EXPECT_EQ(a->buildElementText(4), "Ten marker jeszcze nie ma opisu!");
    EXPECT_EQ(a->buildElementText(6),
              "SOD marker\nTen marker sygnalizuje rozpoczecie strumienia bitowego bieżącego tile'a");
    EXPECT_EQ(a->buildElementText(7), "To są dane binarne");
    EXPECT_EQ(a->buildElementText(8), "EOC marker\nTen marker kończy strumien jpeg2000, nie zawiera żadnych danych.");
    EXPECT_THROW(a->buildElementText(9), std::invalid_argument);
    EXPECT_THROW(a->buildElementText(-2), std::invalid_argument);
}

TEST(SizText, HeaderLinesThenOneBlockPerComponent)
{
    SizFields s;
    s.Csiz = 3;
    s.Xsiz = 3000000000u;
    s.Ssiz = 0x87;
    const auto a = analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes());
    std::string expected = "SIZ marker\nLsiz: 47\nRsiz: 0\nXsiz: 3000000000\nYsiz: 64\nXOsiz: 0\nYOsiz: 0\nXTsiz: 64"
                           "\nYTsiz: 64\nXTOsiz: 0\nYTOsiz: 0\nCsiz: 3";
    for (int k = 0; k < 3; ++k)
        expected += "\nKomponent nr: " + std::to_string(k) + "\n  Ssiz: 135\n  XRsiz: 1\n  YRsiz: 1";
    EXPECT_EQ(a->buildElementText(1), expected);
}

TEST(SotText, TilePartIndexAndCountOnlyWhereLsotHoldsThem)
{
    const std::pair<uint16_t, std::string> cases[] = {
        {10, "SOT marker\nLsot: 10\nIsot: 0\nPsot: 0\nTPsot: 2\nTNsot: 5"},
        {9, "SOT marker\nLsot: 9\nIsot: 0\nPsot: 0\nTPsot: 2"},
        {8, "SOT marker\nLsot: 8\nIsot: 0\nPsot: 0"},
    };
    for (const auto& [Lsot, text] : cases) {
        auto stream = StreamBuilder().mainHeader();
        Bytes TPsotTNsot = {0x02, 0x05};
        TPsotTNsot.resize(Lsot - 8);
        stream.marker(0x90).be16(Lsot).be16(0).be32(0).raw(TPsotTNsot).sod().fill(4).eoc();
        EXPECT_EQ(analyze(stream.bytes())->buildElementText(4), text) << "Lsot " << Lsot;
    }
}

TEST(CodText, DefaultCodingStyleWithoutPrecincts)
{
    const auto a = analyze(StreamBuilder::minimal().bytes());
    EXPECT_EQ(a->buildElementText(2),
              "COD marker\nLcod: 12\nScod: 0"
              "\n  Entropy coder, without partitions (implies PPx = 2^15 and PPy = 2^15)"
              "\n  No SOP marker segments used\n  No EPH marker segments used"
              "\nSGcod:\n  Progession order: LRCP\n  Number of layers: 1"
              "\n Multiple component transform: 0\n    No multiple component transform specified."
              "\nSPcod:\n  Decomposition levels: 5"
              "\n  Code-block size width (exponent offset value): 4"
              "\n  Code-block size height (exponent offset value): 4"
              "\n  Code-block style: 0"
              "\n    No selective arithmetic coding bypass"
              "\n    No reset of context probabilities on coding pass boundaries"
              "\n    No termination on each coding pass\n    No vertically causal context"
              "\n    No predictable termination\n    No segmentation symbols are used"
              "\n Transform: 1\n    5-3 reversible wavelet transform");
}

TEST(SegmentText, CodingStyleAndQuantization)
{
    // Scod 7, progression 5, MCT 1, NL 2, every style bit, 9-7, three precinct bytes.
    const Bytes cod = {0x07, 0x05, 0x00, 0x01, 0x01, 0x02, 0x04, 0x04, 0x3F, 0x00, 0x75, 0x88, 0x99};
    Bytes noQuantization = {0x40};
    noQuantization.insert(noQuantization.end(), 10, 0x48);  // Lqcd 13
    const Bytes expounded = {0x42, 0x48, 0x00, 0x88, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // Lqcd 17
    expectTexts({
        {"COD, SOP and EPH", 0x52, cod, "\n  SOP marker segments may used\n  EPH marker segments may used", 1, false},
        {"COD, progression 5 has no name", 0x52, cod, "\n  Progession order: \n", 1, false},
        {"COD, every code-block style bit", 0x52, cod,
         "\n    Selective arithmetic coding bypass\n    Reset context probabilities on coding pass boundaries"
         "\n    Termination on each coding pass\n    Vertically causal context"
         "\n    Predictable termination\n    Segmentation symbols are used", 1, false},
        {"COD, component transform", 0x52, cod,
         "\n Multiple component transform: 1\n    Irreversible component transformation", 1, false},
        {"COD, one precinct entry per resolution level", 0x52, cod,
         "\n Transform: 0\n    9-7 irreversible wavelet transform\n  Precinct size"
         "\n    0 sub-band\n      PPx: 5\n      PPy: 7\n    1 sub-band\n      PPx: 8\n      PPy: 8"
         "\n    2 sub-band\n      PPx: 9\n      PPy: 9", 1, false, 3},
        // Scoc 3: no entropy-coder line, as the whole byte decides it, but bit 0 gives a precinct block.
        {"COC, Scoc 3", 0x53, {0x00, 0x03, 0x00, 0x04, 0x04, 0xC0, 0x01, 0x21},
         "COC marker\nLcoc: 10\nCcoc: 0\nScoc: 3\nSPcoc: \n  Decomposition levels: 0"
         "\n  Code-block size width (exponent offset value): 4"
         "\n  Code-block size height (exponent offset value): 4"
         "\n  Code-block style: 192"
         "\n    No selective arithmetic coding bypass"
         "\n    No reset of context probabilities on coding pass boundaries"
         "\n    No termination on each coding pass\n    No vertically causal context"
         "\n    No predictable termination\n    No segmentation symbols are used"
         "\n Transformation: 1\n    5-3 reversible wavelet transform"
         "\n  Precinct size\n    0 sub-band\n      PPx: 1\n      PPy: 2", 3},
        {"COC, a two-byte component index from 257 components", 0x53, {0x01, 0x2B, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01},
         "COC marker\nLcoc: 10\nCcoc: 299\nScoc: 0\n  Entropy coder, without p", 300, false},
        {"QCD, no quantization: one entry a byte", 0x5C, noQuantization,
         "\nSqcd: 64\n  Number of guard bits: 2\n  No quantization\nSPqcd: \n  0 sub-band"
         "\n    Exponent of the reversible dynamic range: 9\n  1 sub-band", 1, false, 10},
        {"QCD, expounded: one entry in two bytes", 0x5C, expounded,
         "\n  Scalar expounded (explicit)\nSPqcd: \n  0 sub-band"
         "\n    Mantissa of the quantization step size value: 0"
         "\n    Exponent of the quantization step size value: 9\n  1 sub-band"
         "\n    Mantissa of the quantization step size value: 1"
         "\n    Exponent of the quantization step size value: 17", 1, false, 7},
        {"QCD, derived", 0x5C, {0x21, 0x48, 0x00},
         "QCD marker\nLqcd: 5\nSqcd: 33\n  Number of guard bits: 1\n  Scalar derived (implicit)\nSPqcd: "
         "\n  0 sub-band\n    Mantissa of the quantization step size value: 0"
         "\n    Exponent of the quantization step size value: 9"},
        {"QCC, one-byte index", 0x5D, {0x02, 0x00, 0x48, 0x50, 0x58, 0x60},
         "QCC marker\nLqcc: 8\nCqcc: 2\nSqcc: 0\n  Number of guard bits: 0\n", 3, false, 4},
        {"QCC, two-byte index", 0x5D, {0x01, 0x00, 0x00, 0x48, 0x50, 0x58, 0x60}, "Cqcc: 256\n", 300, false, 4},
        {"QCC, entries after a two-byte index", 0x5D, {0x01, 0x00, 0x00, 0x48, 0x50, 0x58, 0x60},
         "\n  3 sub-band\n    Exponent of the reversible dynamic range: 12", 300, false},
        {"RGN", 0x5E, {0x02, 0x00, 0x07}, "RGN marker\nLrgn: 5\nCrgn: 2\nSrgn: 0\nSPrgn:\n  Implicit ROI shift: 7", 3},
    });
}

TEST(SegmentText, ListsOfEntriesAndTexts)
{
    const Bytes record = {0x00, 0x00, 0x00, 0x02, 0x05, 0x03, 0x01};
    Bytes two = record;
    two.insert(two.end(), record.begin(), record.end());
    two.back() = 7;  // Lpoc 16
    // Two-byte component indices: nine-byte records.
    const Bytes wide = {0x01, 0x01, 0x2B, 0x00, 0x02, 0x05, 0x01, 0x2C, 0x04,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03};
    expectTexts({
        {"POC, names for known orders", 0x5F, two,
         "POC marker\nLpoc: 16"
         "\n0progression order change\n  RSpoc: 0\n  CSpoc: 0\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 3\n  Ppoc: 1\n    RLCP"
         "\n1progression order change\n  RSpoc: 0\n  CSpoc: 0\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 3\n  Ppoc: 7", 3},
        {"POC, two-byte indices", 0x5F, wide,
         "\n  RSpoc: 1\n  CSpoc: 299\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 300\n  Ppoc: 4\n    CPRL", 300, false},
        {"TLM, ST 0, SP 0: 16-bit Ptlm alone", 0x55, {0x00, 0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x30},
         "TLM marker\nLtlm: 10\nZtlm: 0\nStlm: 0\n0 tile part size\n  Ptlm: 256\n1 tile part size\n  Ptlm: 32"
         "\n2 tile part size\n  Ptlm: 48"},
        {"TLM, ST 1, SP 1: 8-bit Ttlm, 32-bit Ptlm", 0x55, {0x03, 0x50, 0x07, 0x00, 0x01, 0x00, 0x00},
         "TLM marker\nLtlm: 9\nZtlm: 3\nStlm: 80\n0 tile part size\n  Ttlm: 7\n  Ptlm: 65536"},
        {"TLM, ST 2, SP 0: 16-bit Ttlm", 0x55, {0x00, 0x20, 0x01, 0x02, 0x00, 0x40},
         "TLM marker\nLtlm: 8\nZtlm: 0\nStlm: 32\n0 tile part size\n  Ttlm: 258\n  Ptlm: 64"},
        {"TLM, ST 3 is undefined", 0x55, {0x00, 0x30, 0x01, 0x00, 0x40}, "TLM marker\nLtlm: 7\nZtlm: 0\nStlm: 48"},
        {"TLM, a length that does not fit the pairs", 0x55, {0x00, 0x00, 0x01, 0x00, 0x40},
         "TLM marker\nLtlm: 7\nZtlm: 0\nStlm: 0"},
        {"PLM, records numbered by byte offset", 0x57, {0x00, 0x03, 0x05, 0x81, 0x00, 0x01, 0x09},
         "PLM marker\nLplm: 9\nZplm: 0\n0 tile-part\n  Nplm: 3\n  0 packet length: 5\n  1 packet length: 128"
         "\n4 tile-part\n  Nplm: 1\n  0 packet length: 9"},
        {"PPM", 0x60, {0x00, 0x00, 0x00, 0x00, 0x01, 0xAA},
         "PPM marker\nLppm: 8\nZppm: 0\n rest are packet headers, which this program can't decode"},
        {"COM, up to the first zero byte", 0x64, {0x00, 0x01, 'a', 'b', 0x00, 'd', 'e'},
         "COM marker\nLcom: 9\nRcom: 1\n  text (iso-8859-1) type extension:\n    ab"},
        {"COM, Latin-1 as UTF-8", 0x64, {0x00, 0x01, 'c', 'a', 'f', 0xE9},
         "COM marker\nLcom: 8\nRcom: 1\n  text (iso-8859-1) type extension:\n    café"},
        {"COM, binary", 0x64, {0x00, 0x00, 0x12},
         "COM marker\nLcom: 5\nRcom: 0\n  unknown binary extension (you can read data from hex view"},
        {"COM, registration value 2", 0x64, {0x00, 0x02, 0x12},
         "COM marker\nLcom: 5\nRcom: 2\n  value defined as \"reserved for registration\""},
        {"CRG, one offset pair per component numbered from one", 0x63,
         {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06},
         "CRG marker\nLcrg: 14\n1 component\n  Xcrg: 1\n  Ycrg: 2\n2 component\n  Xcrg: 3\n  Ycrg: 4"
         "\n3 component\n  Xcrg: 5\n  Ycrg: 6", 3},
    });
    // The remainder of Lpoc 20 is ignored here (the field check raises 10702 for it).
    SizFields three;
    three.Csiz = 3;
    auto stream = StreamBuilder().mainHeader(three).segmentWithLength(0x5F, 20, two).fill(4);
    EXPECT_EQ(count(analyze(stream.tilePart().eoc().bytes())->buildElementText(4), "progression order change"), 2);
    EXPECT_EQ(count(textOfSegment(0x5F, wide, 300), "progression order change"), 2) << "nine-byte records";
}

TEST(PacketLengthText, PltLengthsStopAtTheSegmentEnd)
{
    auto stream = StreamBuilder().mainHeader().beginTilePart();
    stream.segment(0x58, {0x00, 0x82, 0x01, 0x07}).segment(0x58, {0x01, 0x05, 0x81}).sod().fill(4).endTilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->buildElementText(5), "PLT marker\nLplt: 6\nZplt: 0\n  0 packet length: 257\n  1 packet length: 7");
    // The last byte still has its top bit set: the value ends with the segment.
    EXPECT_EQ(a->buildElementText(6), "PLT marker\nLplt: 5\nZplt: 1\n  0 packet length: 5\n  1 packet length: 1");
}

TEST(BadSizeRule, AppliesToTheSegmentInWhichTheCodeWasFound)
{
    // A good COD in the main header, one with Lcod 11 in the tile-part header.
    auto stream = StreamBuilder().mainHeader().beginTilePart();
    stream.segmentWithLength(0x52, 11, Bytes(9, 0x00)).sod().fill(4).endTilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->buildElementText(5), "Marker ma zły rozmiar");
    EXPECT_EQ(a->buildElementText(2).substr(0, 18), "COD marker\nLcod: 1");
}

TEST(PartialOutputRule, PrecinctBlockLeftOutOnlyWhereTheLengthIsShort)
{
    // Scod 1 and NL 2 with two precinct bytes (10210), and a second COD with the three it needs.
    auto stream = StreamBuilder().soc().siz().segment(0x52, {0x01, 0, 0, 1, 0, 2, 4, 4, 0, 1, 0x55, 0x55}).qcd();
    stream.beginTilePart().segment(0x52, {0x01, 0, 0, 1, 0, 2, 4, 4, 0, 1, 0x55, 0x55, 0x55});
    stream.sod().fill(4).endTilePart().eoc();
    const auto a = analyze(stream.bytes());
    const auto shortText = a->buildElementText(2);
    EXPECT_TRUE(shortText.ends_with("\n Transform: 1\n    5-3 reversible wavelet transform")) << shortText;
    EXPECT_EQ(count(a->buildElementText(5), " sub-band"), 3);
}

TEST(EndOfFile, FieldsPastTheEndGiveWayToOneLine)
{
    // The walk enters the SIZ and then runs out of file stepping over it.
    auto stream = StreamBuilder().soc().marker(0x51).be16(41).be16(0).be32(64);
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->getStatus(), 2);
    EXPECT_EQ(a->buildElementText(1), "SIZ marker\nLsiz: 41\nRsiz: 0\nXsiz: 64\n(koniec pliku)");
    EXPECT_EQ(a->buildElementText(-1), "Nazwa pliku: test.j2k\nRozmiar pliku: 12\n(koniec pliku)");

    auto cod = StreamBuilder().soc().siz().marker(0x52).be16(12).u8(0x01).u8(0x00);
    EXPECT_EQ(analyze(cod.bytes())->buildElementText(2), "COD marker\nLcod: 12\nScod: 1"
                                                        "\n  Entropy coder, with partitions\n  No SOP marker segments used"
                                                        "\n  No EPH marker segments used\nSGcod:"
                                                        "\n  Progession order: LRCP\n(koniec pliku)");
}

TEST(SegmentText, CapabilitiesProfilesAndExtensions)
{
    expectTexts({
        {"CAP: the parts, then each Ccap, Ccap15 decoded", 0x50, {0x40, 0x02, 0x00, 0x00, 0x00, 0x07, 0xB8, 0x76},
         "CAP marker\nLcap: 10\nPcap: 1073872896\n  ISO/IEC 15444-2\n  ISO/IEC 15444-15\nCcap2: 7\nCcap15: 47222"
         "\n  HTDECLARED: HT or the other block coder, one of them per tile-component\n  MULTIHT: several HT sets"
         "\n  RGN marker segments may be present\n  HETEROGENEOUS: tile-components of different kinds"
         "\n  Reserved bits 10-6: 1\n  HTIRV: HT code-blocks with irreversible transforms too"
         "\n  Magnitude bound B: 39 (P: 22)"},
        {"CPF: the profile of its number", 0x59, {0x03, 0x01},
         "CPF marker\nLcpf: 4\nPcpf1: 769\nCPFnum: 768\n  Broadcast, wiele tile'i, odwracalny, poziom główny 0"},
        {"PRF: words from the least significant", 0x56, {0x00, 0x05, 0x00, 0x01},
         "PRF marker\nLprf: 6\nPprf1: 5\nPprf2: 1\nPRFnum: 69636"},
        {"an extension marker", 0x74, {0x00, 0x01},
         "MCT marker\nLmct: 4\n  Rozszerzenie (ISO/IEC 15444-2), pola nie są dekodowane"},
    });
}

TEST(FileSummary, ProfileLineNamesWhatRsizDeclares)
{
    const std::tuple<uint16_t, Bytes, const char*> cases[] = {
        {0x0000, {}, "Ilość komponentów: 1"},
        {0x0001, {}, "Profil: Profil 0"},
        {0x0103, {}, "Profil: Broadcast, jeden tile, poziom główny 3"},
        {0x0826, {}, "Profil: IMF 4K odwracalny, poziom główny 6, podrzędny 2"},
        {0x4003, {}, "Profil: Kino cyfrowe 2K + HTJ2K"},
        {0x8000, {}, "Profil: Rozszerzenia części 2"},
        {0x1000, {}, "Profil: nieokreślony"},
        {0x0FFF, {}, "Profil: Profil w markerze PRF (brak PRF)"},
        {0x0FFF, {0x00, 0x01}, "Profil: Profil w markerze PRF (PRFnum 4096)"},
    };
    for (const auto& [Rsiz, prf, line] : cases) {
        SizFields s;
        s.Rsiz = Rsiz;
        auto stream = StreamBuilder().mainHeader(s);
        if (!prf.empty())
            stream.segment(0x56, prf);
        const std::string summary = analyze(stream.tilePart().eoc().bytes())->buildElementText(-1);
        EXPECT_EQ(summary.substr(summary.rfind('\n') + 1), line) << std::hex << Rsiz;
    }
}
