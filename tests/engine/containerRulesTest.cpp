// The rules of the JP2 family and the agreement of the image header with the codestream: each fault
// gives its code at the box it concerns, before the codestream's codes, and files that keep the rules
// (of each family) stay clean.

#include "support/analysis.h"
#include "support/boxBuilder.h"
#include "support/iccProfiles.h"

#include <gtest/gtest.h>

#include <functional>

using Bytes = StreamBuilder::Bytes;

namespace {

Bytes minimalStream(const SizFields& siz = {}) { return StreamBuilder().mainHeader(siz).tilePart().eoc().bytes(); }

// Signature, file type and a JP2 header box at 32 whose contents (from 40) `contents` writes, then the
// codestream box.
BoxBuilder withHeader(const std::function<void(BoxBuilder&)>& contents, const std::string& brand = "jp2 ",
                      const std::vector<std::string>& compatible = {"jp2 "})
{
    BoxBuilder b;
    b.signature().fileType(brand, compatible).begin("jp2h");
    contents(b);
    b.end().codestream(minimalStream());
    return b;
}

BoxBuilder withImageHeader(const ImageHeaderFields& f)
{
    return withHeader([&](BoxBuilder& b) { b.imageHeader(f).colour(); });
}

// ihdr at 40, colr at 62, then the box under test at 77.
BoxBuilder withThird(const std::string& type, const Bytes& contents, const ImageHeaderFields& f = {})
{
    return withHeader([&](BoxBuilder& b) { b.imageHeader(f).colour().box(type, contents); });
}

ImageHeaderFields header(const std::function<void(ImageHeaderFields&)>& change)
{
    ImageHeaderFields f;
    change(f);
    return f;
}

struct Case {
    const char* what;
    BoxBuilder file;
    Findings findings;
};

void expectFindings(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const auto a = analyze(c.file.bytes());
        EXPECT_EQ(findingsOf(*a), c.findings) << c.what;
        EXPECT_EQ(a->getStatus(), c.findings.empty() ? 0 : 1) << c.what;
    }
}

// Palette of two entries of three 8-bit columns; a mapping of component 0 through each column.
const Bytes palette = {0x00, 0x02, 0x03, 0x07, 0x07, 0x07, 1, 2, 3, 4, 5, 6};
const Bytes mapping = {0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 2};

}  // namespace

TEST(ContainerRules, FileTypeBoxSecondWithTheFamilysEntryInItsList)
{
    const Bytes stream = minimalStream();
    expectFindings({
        {"no file type box", BoxBuilder().signature().begin("jp2h").imageHeader().colour().end().codestream(stream),
         {{20101, 12}}},
        {"no jp2 entry", withHeader([](BoxBuilder& b) { b.imageHeader().colour(); }, "jp2 ", {"jpx "}),
         {{20102, 12}}},
        {"brand jpx without a jpx entry", withHeader([](BoxBuilder& b) { b.imageHeader().colour(); }, "jpx "),
         {{20102, 12}}},
        {"another brand, jp2 listed", withHeader([](BoxBuilder& b) { b.imageHeader().colour(); }, "mjp2"), {}},
        {"a list cut inside an entry",
         BoxBuilder().signature().box("ftyp", {'j', 'p', '2', ' ', 0, 0, 0, 0, 'j', 'p', '2', ' ', 'j', 'p'})
             .begin("jp2h").imageHeader().colour().end().codestream(stream),
         {{20103, 12}}},
    });
}

TEST(ContainerRules, BrandNamesTheContainer)
{
    const auto kindOf = [](const std::string& brand) {
        return analyze(withHeader([](BoxBuilder& b) { b.imageHeader().colour(); }, brand, {"jp2 ", "jph ", "jpx "})
                           .bytes())
            ->getContainer();
    };
    EXPECT_EQ(kindOf("jp2 "), ContainerKind::jp2);
    EXPECT_EQ(kindOf("jph "), ContainerKind::jph);
    EXPECT_EQ(kindOf("jpx "), ContainerKind::jpx);
    EXPECT_EQ(kindOf("mjp2"), ContainerKind::jp2);
}

TEST(ContainerRules, OneJp2HeaderBoxBeforeTheCodestreamBox)
{
    const Bytes stream = minimalStream();
    expectFindings({
        {"none", BoxBuilder().signature().fileType().codestream(stream), {{20104, 32}}},
        {"after the codestream box",
         BoxBuilder().signature().fileType().codestream(stream).begin("jp2h").imageHeader().colour().end(),
         {{20104, 32}}},
        {"two", minimalJp2().begin("jp2h").imageHeader().colour().end(), {{20105, 197}}},
    });
}

TEST(ContainerRules, ImageHeaderFirstWithItsFieldsInRange)
{
    Bytes longer = {0, 0, 0, 64, 0, 0, 0, 64, 0, 1, 7, 7, 0, 0, 0};
    expectFindings({
        {"colour first", withHeader([](BoxBuilder& b) { b.colour().imageHeader(); }), {{20106, 32}}},
        {"no image header", withHeader([](BoxBuilder& b) { b.colour(); }), {{20106, 32}}},
        {"15 bytes", withHeader([&](BoxBuilder& b) { b.box("ihdr", longer).colour(); }), {{20107, 40}}},
        {"C 6", withImageHeader(header([](auto& f) { f.C = 6; })), {{20108, 40}}},
        {"UnkC 2", withImageHeader(header([](auto& f) { f.UnkC = 2; })), {{20109, 40}}},
        {"NC 0, which the codestream does not share", withImageHeader(header([](auto& f) { f.NC = 0; })),
         {{20110, 40}, {20203, 40}}},
        {"a depth of 39 bits", withImageHeader(header([](auto& f) { f.BPC = 38; })), {{20110, 40}, {20204, 40}}},
        {"two image headers", withHeader([](BoxBuilder& b) { b.imageHeader().colour().imageHeader(); }),
         {{20122, 77}}},
    });
}

TEST(ContainerRules, ColourSpecificationsOfAKnownMethodAndSpace)
{
    const auto withColour = [](const Bytes& colr, const std::string& brand = "jp2 ") {
        return withHeader([&](BoxBuilder& b) { b.imageHeader().box("colr", colr); }, brand, {brand});
    };
    expectFindings({
        {"none", withHeader([](BoxBuilder& b) { b.imageHeader(); }), {{20111, 32}}},
        {"any ICC in JP2", withColour({0x03, 0x00, 0x00, 'p'}), {{20112, 62}}},
        {"parameterised in JPH", withColour({0x05, 0x00, 0x00, 0, 1, 0, 13, 0, 0, 0}, "jph "), {}},
        {"CIEJab in JP2", withColour({0x01, 0x00, 0x00, 0, 0, 0, 19}), {{20113, 62}}},
        {"CIEJab in JPX", withColour({0x01, 0x00, 0x00, 0, 0, 0, 19}, "jpx "), {}},
        {"enumerated, one byte too many", withColour({0x01, 0x00, 0x00, 0, 0, 0, 17, 0}), {{20114, 62}}},
        {"two bytes", withColour({0x01, 0x00}), {{20114, 62}}},
    });
}

TEST(ContainerRules, BitsPerComponentBoxExactlyWhenBpcIs255)
{
    const ImageHeaderFields varying = header([](auto& f) { f.BPC = 255; });
    expectFindings({
        {"BPC 255 and no bpcc", withImageHeader(varying), {{20115, 40}}},
        {"a bpcc with BPC 7", withThird("bpcc", {0x07}), {{20116, 77}}},
        {"two entries for one component", withThird("bpcc", {0x07, 0x07}, varying), {{20117, 77}}},
        {"an entry of 39 bits", withThird("bpcc", {0x26}, varying), {{20117, 77}, {20204, 77}}},
        {"one matching entry", withThird("bpcc", {0x07}, varying), {}},
    });
}

TEST(ContainerRules, PaletteMappingAndChannelsAgree)
{
    const auto withBoxes = [](const Bytes& pclr, const Bytes& cmap, const Bytes& cdef = {}) {
        return withHeader([&](BoxBuilder& b) {
            b.imageHeader().colour(16);  // ihdr at 40, colr at 62
            if (!pclr.empty())
                b.box("pclr", pclr);  // at 77
            if (!cmap.empty())
                b.box("cmap", cmap);
            if (!cdef.empty())
                b.box("cdef", cdef);
        });
    };
    const Bytes channels = {0, 3, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 2, 0, 2, 0, 0, 0, 3};
    Bytes shortPalette = palette;
    shortPalette.pop_back();
    Bytes pastColumns = mapping;
    pastColumns.back() = 3;
    Bytes pastComponents = mapping;
    pastComponents[1] = 1;
    Bytes twice = channels;
    twice[15] = 1;  // the third definition names channel 1 again, for another colour
    twice[17] = 1;
    Bytes samePair = channels;
    samePair[19] = 2;  // channels 1 and 2 both of colour 2
    Bytes typeThree = channels;
    typeThree[5] = 3;
    expectFindings({
        {"palette, mapping and channels that agree", withBoxes(palette, mapping, channels), {}},
        {"a palette alone", withBoxes(palette, {}), {{20118, 77}}},
        {"a mapping alone", withBoxes({}, {0, 0, 0, 0}), {{20118, 77}}},
        {"palette entries one byte short", withBoxes(shortPalette, mapping), {{20119, 77}}},
        {"a mapping past the palette's columns", withBoxes(palette, pastColumns), {{20120, 97}}},
        {"a mapping of a component the codestream lacks", withBoxes(palette, pastComponents), {{20120, 97}}},
        {"channel 1 described twice", withBoxes(palette, mapping, twice), {}},
        {"two channels of one type and colour", withBoxes(palette, mapping, samePair), {{20136, 117}}},
        {"a channel type of 3", withBoxes(palette, mapping, typeThree), {{20121, 117}}},
    });
}

// Colour boxes (at 62, at 66 after a longer compatibility list) with a profile: PREC, APPROX and the profile header's size and class, and
// their place among the other boxes of the JP2 header.
TEST(ContainerRules, ColourBoxPrecedenceProfileAndPlace)
{
    const auto withColour = [](uint8_t METH, uint8_t PREC, uint8_t APPROX, const Bytes& profile = {},
                               const std::string& brand = "jp2 ", const Bytes& second = {}) {
        Bytes colr = {METH, PREC, APPROX};
        colr.insert(colr.end(), profile.begin(), profile.end());
        const std::vector<std::string> compatible =
            brand == "jpx " && !second.empty() ? std::vector<std::string>{brand, "jp2 "} : std::vector{brand};
        return withHeader(
            [&](BoxBuilder& b) {
                b.imageHeader().box("colr", colr);
                if (!second.empty())
                    b.box("colr", second);
            },
            brand, compatible);
    };
    Bytes longer = rgbProfile();
    longer.push_back(0);
    Bytes tooManyTags = rgbProfile();
    tooManyTags[128] = 0x10;
    expectFindings({
        {"PREC 1", withColour(1, 1, 0, {0, 0, 0, 17}), {{20124, 62}}},
        {"APPROX 1", withColour(1, 0, 1, {0, 0, 0, 17}), {{20125, 62}}},
        {"both in a JPX file, which defines them", withColour(1, 2, 1, {0, 0, 0, 17}, "jpx "), {}},
        {"a JPX file read as JP2 too: its first colour box", withColour(1, 0, 1, {0, 0, 0, 17}, "jpx ", {1, 0, 1, 0, 0, 0, 21}),
         {{20125, 66}}},
        {"matrix-based RGB", withColour(2, 0, 0, rgbProfile()), {}},
        {"monochrome", withColour(2, 0, 0, greyProfile()), {}},
        {"a lookup-table profile", withColour(2, 0, 0, lookupTableProfile()), {{20129, 62}}},
        {"any ICC profile in JPX", withColour(3, 0, 0, lookupTableProfile(), "jpx "), {}},
        {"a byte after the profile", withColour(2, 0, 0, longer), {{20127, 62}}},
        {"tag count past the profile", withColour(2, 0, 0, tooManyTags), {{20128, 62}}},
        {"shorter than a profile header", withColour(2, 0, 0, {0, 0, 0, 16}), {{20128, 62}}},
        {"colour boxes apart", withHeader([](BoxBuilder& b) { b.imageHeader().colour().box("bpcc", {7}).colour(); }),
         {{20126, 86}, {20116, 77}}},
    });
}

// XML, UUID info and URL boxes anywhere in the file, and the resolution boxes of the JP2 header.
TEST(ContainerRules, MetadataAndResolutionBoxes)
{
    const Bytes ulst = {0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const auto withTop = [](const std::function<void(BoxBuilder&)>& boxes) {
        BoxBuilder b = minimalJp2();
        boxes(b);  // from 197
        return b;
    };
    const auto withUrl = [&](const Bytes& url) {
        return withTop([&](BoxBuilder& b) { b.begin("uinf").box("ulst", ulst).box("url ", url).end(); });
    };
    const Bytes resc = {0, 72, 0, 1, 0, 72, 0, 1, 2, 2};
    const auto withRes = [&](const std::string& type, const Bytes& second) {
        return withHeader([&](BoxBuilder& b) {
            b.imageHeader().colour().begin("res ").box("resc", resc).box(type, second).end();  // res at 77
        });
    };
    const auto xml = [&](const std::string& text) {
        return withTop([&](BoxBuilder& b) { b.box("xml ", Bytes(text.begin(), text.end())); });
    };
    expectFindings({
        {"XML with a declaration", xml("<?xml version=\"1.0\"?><a/>"), {}},
        {"XML ended by a NUL", xml(std::string("<a/>", 5)), {{20130, 197}}},
        {"uinf and a URL", withUrl({0, 0, 0, 0, 'h', 0}), {}},
        {"uinf without its URL", withTop([&](BoxBuilder& b) { b.begin("uinf").box("ulst", ulst).end(); }),
         {{20131, 197}}},
        {"VERS 1", withUrl({1, 0, 0, 0, 'h', 0}), {{20132, 231}}},
        {"LOC without its NUL", withUrl({0, 0, 0, 0, 'h'}), {{20133, 231}}},
        {"LOC not UTF-8", withUrl({0, 0, 0, 0, 0xC5, 'h', 0}), {{20133, 231}}},
        {"capture and display resolution", withRes("resd", resc), {}},
        {"two capture resolutions", withRes("resc", resc), {{20134, 103}}},
        {"a denominator of 0", withRes("resd", {0, 72, 0, 0, 0, 72, 0, 1, 2, 2}), {{20135, 103}}},
    });
}

// Each disagreement at the image header (or the bits-per-component box), after every rule's code and
// before the codestream's codes.
TEST(ContainerRules, ImageHeaderAgreesWithSiz)
{
    const auto withSiz = [](const ImageHeaderFields& f, const SizFields& siz, const Bytes& bpcc = {}) {
        BoxBuilder b;
        b.signature().fileType().begin("jp2h").imageHeader(f).colour();
        if (!bpcc.empty())
            b.box("bpcc", bpcc);
        b.end().codestream(minimalStream(siz));
        return b;
    };
    SizFields offset;
    offset.Xsiz = offset.Ysiz = 74;
    offset.XOsiz = offset.YOsiz = 10;
    offset.XTsiz = offset.YTsiz = 74;
    SizFields threeComponents;
    threeComponents.Csiz = 3;
    const ImageHeaderFields varying = header([](auto& f) { f.BPC = 255; });
    expectFindings({
        {"image area from an offset", withSiz({}, offset), {}},
        {"HEIGHT", withSiz(header([](auto& f) { f.HEIGHT = 65; }), {}), {{20201, 40}}},
        {"WIDTH", withSiz(header([](auto& f) { f.WIDTH = 63; }), {}), {{20202, 40}}},
        {"NC", withSiz({}, threeComponents), {{20203, 40}}},
        {"BPC of 9 bits", withSiz(header([](auto& f) { f.BPC = 8; }), {}), {{20204, 40}}},
        {"a bpcc entry", withSiz(varying, {}, {0x08}), {{20204, 77}}},
        {"all four", withSiz(header([](auto& f) { f.HEIGHT = f.WIDTH = 1, f.NC = 3, f.BPC = 8; }), {}),
         {{20201, 40}, {20202, 40}, {20203, 40}, {20204, 40}}},
    });
    // The container's codes come first, then the codestream's, raised ones first as in a raw file.
    BoxBuilder both;
    both.signature().fileType().begin("jp2h").imageHeader(header([](auto& f) { f.HEIGHT = 65; })).colour().end();
    both.codestream(StreamBuilder().mainHeader().cod().tilePart().eoc().fill(2).bytes());
    EXPECT_EQ(findingsOf(*analyze(both.bytes())), (Findings{{20201, 40}, {1001, 85 + 80}, {1003, 85 + 126}}));
}
