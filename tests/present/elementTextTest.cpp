// The decoded text of each kind of element and the file summary: exact texts, the per-segment
// bad-size and partial-output rules, and fields that lie past the end of the file.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Bytes = StreamBuilder::Bytes;

namespace {

// The text of a segment added at the end of a main header (element 4).
std::string textOfSegment(uint8_t code, const Bytes& parameters, const SizFields& siz = {})
{
    auto stream = StreamBuilder().mainHeader(siz).segment(code, parameters).tilePart().eoc();
    return analyze(stream.bytes())->buildElementText(4);
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

SizFields componentsOf(uint16_t Csiz)
{
    SizFields siz;
    siz.Csiz = Csiz;
    return siz;
}

// Counts the occurrences of `needle`.
int count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(FileSummary, FourLinesWithSizeBitsPerPixelAndComponents)
{
    SizFields s = componentsOf(3);
    s.Xsiz = s.Ysiz = s.XTsiz = s.YTsiz = 256;
    auto stream = StreamBuilder().mainHeader(s).tilePart().eoc();
    stream.fill(8192 - stream.size(), 0x00);
    EXPECT_EQ(analyze(stream.bytes())->buildElementText(-1),
              "Nazwa pliku: test.j2k\nRozmiar pliku: 8192\nBitów na piksel: 1.000\nIlość komponentów: 3");
}

TEST(FileSummary, ZeroAreaGivesAnUndefinedBitsPerPixel)
{
    SizFields s;
    s.Xsiz = 0;
    const auto text = analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes())->buildElementText(-1);
    EXPECT_NE(text.find("\nBitów na piksel: nieokreślona\n"), std::string::npos) << text;
}

TEST(FileSummary, NeedsAnElementOne)
{
    EXPECT_THROW(analyze({0xFF, 0xD9})->buildElementText(-1), std::invalid_argument);
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
    SizFields s = componentsOf(3);
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
    const auto textFor = [](uint16_t Lsot) {
        auto stream = StreamBuilder().mainHeader();
        stream.marker(0x90).be16(Lsot).be16(0).be32(0).raw({0x02, 0x05}).fill(Lsot - 10).sod().fill(4).eoc();
        return analyze(stream.bytes())->buildElementText(4);
    };
    EXPECT_EQ(textFor(10), "SOT marker\nLsot: 10\nIsot: 0\nPsot: 0\nTPsot: 2\nTNsot: 5");
    auto nine = StreamBuilder().mainHeader();
    nine.marker(0x90).be16(9).be16(0).be32(0).u8(0x02).sod().fill(4).eoc();
    EXPECT_EQ(analyze(nine.bytes())->buildElementText(4), "SOT marker\nLsot: 9\nIsot: 0\nPsot: 0\nTPsot: 2");
    auto eight = StreamBuilder().mainHeader();
    eight.marker(0x90).be16(8).be16(0).be32(0).sod().fill(4).eoc();
    EXPECT_EQ(analyze(eight.bytes())->buildElementText(4), "SOT marker\nLsot: 8\nIsot: 0\nPsot: 0");
}

TEST(CodText, DefaultCodingStyleWithoutPrecincts)
{
    const auto a = analyze(StreamBuilder().mainHeader().tilePart().eoc().bytes());
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

TEST(CodText, PrecinctBlockOneEntryPerResolutionLevel)
{
    const auto text = textOfSegment(0x52, {0x07, 0x05, 0x00, 0x01, 0x01, 0x02, 0x04, 0x04, 0x3F, 0x00, 0x75, 0x88, 0x99});
    EXPECT_NE(text.find("\n  SOP marker segments may used\n  EPH marker segments may used"), std::string::npos);
    EXPECT_NE(text.find("\n  Progession order: \n"), std::string::npos);  // 5 has no name
    EXPECT_NE(text.find("\n    Selective arithmetic coding bypass\n    Reset context probabilities on coding pass "
                        "boundaries\n    Termination on each coding pass\n    Vertically causal context"
                        "\n    Predictable termination\n    Segmentation symbols are used"),
              std::string::npos);
    const std::string tail = "\n Transform: 0\n    9-7 irreversible wavelet transform\n  Precinct size"
                             "\n    0 sub-band\n      PPx: 5\n      PPy: 7\n    1 sub-band\n      PPx: 8\n      PPy: 8"
                             "\n    2 sub-band\n      PPx: 9\n      PPy: 9";
    EXPECT_TRUE(endsWith(text, tail)) << text;
    EXPECT_NE(text.find("\n Multiple component transform: 1\n    Irreversible component transformation"), std::string::npos);
}

TEST(CocText, WholeScocByteDecidesTheEntropyLineBitZeroTheBlock)
{
    // Scoc 3: no entropy-coder line, but a precinct block (NL 0: one entry).
    const auto text = textOfSegment(0x53, {0x00, 0x03, 0x00, 0x04, 0x04, 0xC0, 0x01, 0x21}, componentsOf(3));
    EXPECT_EQ(text, "COC marker\nLcoc: 10\nCcoc: 0\nScoc: 3\nSPcoc: \n  Decomposition levels: 0"
                    "\n  Code-block size width (exponent offset value): 4"
                    "\n  Code-block size height (exponent offset value): 4"
                    "\n  Code-block style: 192"
                    "\n    No selective arithmetic coding bypass"
                    "\n    No reset of context probabilities on coding pass boundaries"
                    "\n    No termination on each coding pass\n    No vertically causal context"
                    "\n    No predictable termination\n    No segmentation symbols are used"
                    "\n Transformation: 1\n    5-3 reversible wavelet transform"
                    "\n  Precinct size\n    0 sub-band\n      PPx: 1\n      PPy: 2");
}

TEST(CocText, ComponentIndexOfTwoBytesFrom257Components)
{
    const auto text = textOfSegment(0x53, {0x01, 0x2B, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, componentsOf(300));
    EXPECT_EQ(text.substr(0, 64), "COC marker\nLcoc: 10\nCcoc: 299\nScoc: 0\n  Entropy coder, without p");
}

TEST(QcdText, EntryCountFollowsTheStyle)
{
    Bytes noQuantization = {0x40};
    noQuantization.insert(noQuantization.end(), 10, 0x48);  // Lqcd 13
    auto text = textOfSegment(0x5C, noQuantization);
    EXPECT_EQ(count(text, " sub-band"), 10);
    EXPECT_NE(text.find("\nSqcd: 64\n  Number of guard bits: 2\n  No quantization\nSPqcd: \n  0 sub-band"
                        "\n    Exponent of the reversible dynamic range: 9\n  1 sub-band"),
              std::string::npos);

    text = textOfSegment(0x5C, {0x42, 0x48, 0x00, 0x88, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // Lqcd 17
    EXPECT_EQ(count(text, " sub-band"), 7);
    EXPECT_NE(text.find("\n  Scalar expounded (explicit)\nSPqcd: \n  0 sub-band"
                        "\n    Mantissa of the quantization step size value: 0"
                        "\n    Exponent of the quantization step size value: 9\n  1 sub-band"
                        "\n    Mantissa of the quantization step size value: 1"
                        "\n    Exponent of the quantization step size value: 17"),
              std::string::npos);

    text = textOfSegment(0x5C, {0x21, 0x48, 0x00});  // Lqcd 5
    EXPECT_EQ(text, "QCD marker\nLqcd: 5\nSqcd: 33\n  Number of guard bits: 1\n  Scalar derived (implicit)\nSPqcd: "
                    "\n  0 sub-band\n    Mantissa of the quantization step size value: 0"
                    "\n    Exponent of the quantization step size value: 9");
}

TEST(QccText, EntriesAfterAComponentIndexOfEitherWidth)
{
    const auto narrow = textOfSegment(0x5D, {0x02, 0x00, 0x48, 0x50, 0x58, 0x60}, componentsOf(3));  // Lqcc 8
    EXPECT_EQ(count(narrow, " sub-band"), 4);
    EXPECT_EQ(narrow.find("QCC marker\nLqcc: 8\nCqcc: 2\nSqcc: 0\n  Number of guard bits: 0\n"), 0u);
    const auto wide = textOfSegment(0x5D, {0x01, 0x00, 0x00, 0x48, 0x50, 0x58, 0x60}, componentsOf(300));
    EXPECT_EQ(count(wide, " sub-band"), 4);
    EXPECT_NE(wide.find("Cqcc: 256\n"), std::string::npos);
    EXPECT_NE(wide.find("\n  3 sub-band\n    Exponent of the reversible dynamic range: 12"), std::string::npos);
}

TEST(RgnText, FourValueLines)
{
    EXPECT_EQ(textOfSegment(0x5E, {0x02, 0x00, 0x07}, componentsOf(3)),
              "RGN marker\nLrgn: 5\nCrgn: 2\nSrgn: 0\nSPrgn:\n  Implicit ROI shift: 7");
}

TEST(PocText, WholeRecordsOnlyAndNamesForKnownOrders)
{
    const Bytes record = {0x00, 0x00, 0x00, 0x02, 0x05, 0x03, 0x01};
    Bytes two = record;
    two.insert(two.end(), record.begin(), record.end());
    two.back() = 7;  // Lpoc 16
    const auto text = textOfSegment(0x5F, two, componentsOf(3));
    EXPECT_EQ(text, "POC marker\nLpoc: 16"
                    "\n0progression order change\n  RSpoc: 0\n  CSpoc: 0\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 3"
                    "\n  Ppoc: 1\n    RLCP"
                    "\n1progression order change\n  RSpoc: 0\n  CSpoc: 0\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 3"
                    "\n  Ppoc: 7");
    // The remainder of Lpoc 20 is ignored here (the field check raises 10702 for it).
    auto stream = StreamBuilder().mainHeader(componentsOf(3)).segmentWithLength(0x5F, 20, two).fill(4);
    const auto a = analyze(stream.tilePart().eoc().bytes());
    EXPECT_EQ(count(a->buildElementText(4), "progression order change"), 2);
    // Two-byte component indices: nine-byte records.
    const Bytes wide = {0x01, 0x01, 0x2B, 0x00, 0x02, 0x05, 0x01, 0x2C, 0x04, 0x00, 0x00, 0x00, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x03};
    const auto wideText = textOfSegment(0x5F, wide, componentsOf(300));
    EXPECT_EQ(count(wideText, "progression order change"), 2);
    EXPECT_NE(wideText.find("\n  RSpoc: 1\n  CSpoc: 299\n  LYEpoc: 2\n  REpoc: 5\n  CEpoc: 300\n  Ppoc: 4\n    CPRL"),
              std::string::npos);
}

TEST(TlmText, PairsAsStAndSpSay)
{
    // ST 0, SP 0: 16-bit Ptlm values alone.
    EXPECT_EQ(textOfSegment(0x55, {0x00, 0x00, 0x01, 0x00, 0x00, 0x20, 0x00, 0x30}),
              "TLM marker\nLtlm: 10\nZtlm: 0\nStlm: 0\n0 tile part size\n  Ptlm: 256\n1 tile part size\n  Ptlm: 32"
              "\n2 tile part size\n  Ptlm: 48");
    // ST 1, SP 1: an 8-bit Ttlm and a 32-bit Ptlm.
    EXPECT_EQ(textOfSegment(0x55, {0x03, 0x50, 0x07, 0x00, 0x01, 0x00, 0x00}),
              "TLM marker\nLtlm: 9\nZtlm: 3\nStlm: 80\n0 tile part size\n  Ttlm: 7\n  Ptlm: 65536");
    // ST 2, SP 0: a 16-bit Ttlm.
    EXPECT_EQ(textOfSegment(0x55, {0x00, 0x20, 0x01, 0x02, 0x00, 0x40}),
              "TLM marker\nLtlm: 8\nZtlm: 0\nStlm: 32\n0 tile part size\n  Ttlm: 258\n  Ptlm: 64");
    // ST 3 is undefined; a length that does not fit the pairs shows the header only.
    EXPECT_EQ(textOfSegment(0x55, {0x00, 0x30, 0x01, 0x00, 0x40}), "TLM marker\nLtlm: 7\nZtlm: 0\nStlm: 48");
    EXPECT_EQ(textOfSegment(0x55, {0x00, 0x00, 0x01, 0x00, 0x40}), "TLM marker\nLtlm: 7\nZtlm: 0\nStlm: 0");
}

TEST(PacketLengthText, PlmRecordsNumberedByByteOffset)
{
    EXPECT_EQ(textOfSegment(0x57, {0x00, 0x03, 0x05, 0x81, 0x00, 0x01, 0x09}),
              "PLM marker\nLplm: 9\nZplm: 0\n0 tile-part\n  Nplm: 3\n  0 packet length: 5\n  1 packet length: 128"
              "\n4 tile-part\n  Nplm: 1\n  0 packet length: 9");
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

TEST(PackedHeaderText, FieldsThenAFixedLine)
{
    EXPECT_EQ(textOfSegment(0x60, {0x00, 0x00, 0x00, 0x00, 0x01, 0xAA}),
              "PPM marker\nLppm: 8\nZppm: 0\n rest are packet headers, which this program can't decode");
}

TEST(ComText, Latin1TextUpToTheFirstZeroByte)
{
    EXPECT_EQ(textOfSegment(0x64, {0x00, 0x01, 'a', 'b', 'c', 'd', 'e'}),
              "COM marker\nLcom: 9\nRcom: 1\n  text (iso-8859-1) type extension:\n    abcde");
    EXPECT_EQ(textOfSegment(0x64, {0x00, 0x01, 'a', 'b', 0x00, 'd', 'e'}),
              "COM marker\nLcom: 9\nRcom: 1\n  text (iso-8859-1) type extension:\n    ab");
    EXPECT_EQ(textOfSegment(0x64, {0x00, 0x01, 'c', 'a', 'f', 0xE9}),
              "COM marker\nLcom: 8\nRcom: 1\n  text (iso-8859-1) type extension:\n    café");
    EXPECT_EQ(textOfSegment(0x64, {0x00, 0x00, 0x12}),
              "COM marker\nLcom: 5\nRcom: 0\n  unknown binary extension (you can read data from hex view");
    EXPECT_EQ(textOfSegment(0x64, {0x00, 0x02, 0x12}),
              "COM marker\nLcom: 5\nRcom: 2\n  value defined as \"reserved for registration\"");
}

TEST(CrgText, OneOffsetPairPerComponentNumberedFromOne)
{
    EXPECT_EQ(textOfSegment(0x63, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06},
                            componentsOf(3)),
              "CRG marker\nLcrg: 14\n1 component\n  Xcrg: 1\n  Ycrg: 2\n2 component\n  Xcrg: 3\n  Ycrg: 4"
              "\n3 component\n  Xcrg: 5\n  Ycrg: 6");
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
    EXPECT_TRUE(endsWith(shortText, "\n Transform: 1\n    5-3 reversible wavelet transform")) << shortText;
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
