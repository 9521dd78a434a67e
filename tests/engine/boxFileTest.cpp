// Box files: what is recognised as one, how the boxes are walked and entered in the box table, how
// faults of their lengths and nesting are reported, and that the codestream of the first codestream
// box gets exactly the analysis of the same raw codestream, moved to file coordinates.

#include "support/analysis.h"
#include "support/boxBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Bytes = StreamBuilder::Bytes;

namespace {

struct BoxRow {
    std::string type;
    uint32_t offset, length;
    int parent, depth;
    bool operator==(const BoxRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const BoxRow& r)
{
    return out << r.type << "@" << r.offset << "+" << r.length << " parent " << r.parent << " depth " << r.depth;
}

std::vector<BoxRow> boxesOf(const jpcAnalyzer& a)
{
    std::vector<BoxRow> rows;
    for (const Box& box : a.getBoxes())
        rows.push_back({boxTypeText(box.type), box.offset, box.length, box.parent, box.depth});
    return rows;
}

}  // namespace

TEST(BoxFile, MinimalJp2HasItsBoxesInATableAndItsCodestreamInFileCoordinates)
{
    const auto a = analyze(minimalJp2().bytes());
    EXPECT_TRUE(a->isBoxFile());
    EXPECT_EQ(a->getContainer(), ContainerKind::jp2);
    EXPECT_EQ(boxesOf(*a), (std::vector<BoxRow>{{"jP  ", 0, 12, -1, 0},
                                                 {"ftyp", 12, 20, -1, 0},
                                                 {"jp2h", 32, 45, -1, 0},
                                                 {"ihdr", 40, 22, 2, 1},
                                                 {"colr", 62, 15, 2, 1},
                                                 {"jp2c", 77, 120, -1, 0}}));
    EXPECT_EQ(a->getCodestreamBox(), 5);
    EXPECT_EQ(a->getCodestreamStart(), jp2StreamStart);
    EXPECT_EQ(a->getCodestreamEnd(), 197u);
    EXPECT_EQ(offsetsOf(*a), (std::vector<uint32_t>{85, 87, 130, 144, 165, 177, 179, 195}));
    EXPECT_EQ(a->getStatus(), 0);
}

TEST(BoxFile, OnlyTheWholeSignatureBoxMakesABoxFile)
{
    const Bytes almost = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0B, 0xFF, 0x4F};
    for (const Bytes& bytes : {almost, Bytes(almost.begin(), almost.begin() + 11), StreamBuilder::minimal().bytes()}) {
        const auto a = analyze(bytes);
        EXPECT_FALSE(a->isBoxFile());
        EXPECT_TRUE(a->getBoxes().empty());
        EXPECT_EQ(a->getCodestreamStart(), 0u);
        EXPECT_EQ(a->getCodestreamEnd(), bytes.size());
    }
}

// Each stream alone and inside a JP2 file: the same codes, elements and texts, every offset moved by
// the start of the codestream box's contents.
TEST(BoxFile, CodestreamInItsBoxGetsTheRawAnalysisMovedToFileCoordinates)
{
    SizFields twoTiles;  // the image stays 64 wide, as the image header says
    twoTiles.XTsiz = 32;
    const struct {
        const char* what;
        Bytes stream;
    } cases[] = {
        {"clean", StreamBuilder::minimal().bytes()},
        {"a second COD and bytes after EOC inside the box",
         StreamBuilder().mainHeader().cod().tilePart().eoc().fill(3).bytes()},
        {"SOD without SOT: fatal", StreamBuilder().mainHeader().sod().bytes()},
        {"no EOC: the last step leaves the box", StreamBuilder().mainHeader(twoTiles).tilePart().bytes()},
        {"Psot 0 reads to the end of the box", StreamBuilder().mainHeader().sot(0).sod().fill(9).eoc().bytes()},
        {"a tile missing: cross-checks", StreamBuilder().mainHeader(twoTiles).tilePart(0).eoc().bytes()},
    };
    for (const auto& c : cases) {
        const auto raw = analyze(c.stream);
        const auto boxed = analyze(BoxBuilder().jp2Head().codestream(c.stream).bytes());
        EXPECT_EQ(codesOf(*boxed), codesOf(*raw)) << c.what;
        EXPECT_EQ(boxed->getStatus(), raw->getStatus()) << c.what;
        std::vector<uint64_t> moved = positionsOf(*raw);
        for (auto& p : moved)
            p += jp2StreamStart;
        EXPECT_EQ(positionsOf(*boxed), moved) << c.what;
        ASSERT_EQ(boxed->getMarkerOffsets().size(), raw->getMarkerOffsets().size()) << c.what;
        for (int i = 0; i < static_cast<int>(raw->getMarkerOffsets().size()); ++i) {
            EXPECT_EQ(boxed->getMarkerOffsets()[i], raw->getMarkerOffsets()[i] + jp2StreamStart) << c.what;
            EXPECT_EQ(boxed->isMarker(i), raw->isMarker(i)) << c.what;
            EXPECT_EQ(boxed->buildElementText(i), raw->buildElementText(i)) << c.what << ", element " << i;
        }
    }
    // A stream that leaves no SIZ fails construction in a box as it does alone.
    EXPECT_THROW(analyze(BoxBuilder().jp2Head().codestream(StreamBuilder().tilePart().eoc().bytes()).bytes()),
                 std::invalid_argument);
}

TEST(BoxFile, BoxesAfterTheCodestreamBoxAreNoBytesAfterEoc)
{
    auto file = minimalJp2();
    file.box("xml ", {'<', 'a', '/', '>'}).codestream(StreamBuilder::minimal().bytes());
    const auto a = analyze(file.bytes());
    EXPECT_TRUE(a->getErrorList().empty());
    EXPECT_EQ(a->getCodestreamBox(), 5);
    EXPECT_EQ(a->getBoxes().size(), 8u);
}

TEST(BoxFile, WithoutACodestreamToAnalyseTheFileIsFatal901)
{
    const Bytes whole = minimalJp2().bytes();
    const struct {
        const char* what;
        Bytes bytes;
        Findings findings;
    } cases[] = {
        {"no codestream box: at the last top-level box", BoxBuilder().jp2Head().bytes(), {{901, 32}}},
        {"an empty codestream box: at it", BoxBuilder().jp2Head().codestream({}).bytes(), {{901, 77}}},
        {"cut inside the JP2 header", Bytes(whole.begin(), whole.begin() + 50),
         {{901, 32}, {20002, 32}, {20002, 40}, {20107, 40}, {20111, 32}}},
    };
    for (const auto& c : cases) {
        const auto a = analyze(c.bytes);
        EXPECT_EQ(findingsOf(*a), c.findings) << c.what;
        EXPECT_EQ(a->getStatus(), 2) << c.what;
        EXPECT_TRUE(a->getMarkerOffsets().empty()) << c.what;
        EXPECT_FALSE(a->getCodestreamBox()) << c.what;
    }
}

// Faults of the framing, each at the box it concerns; a box that runs out of its place is entered as
// far as the place holds it.
TEST(BoxFile, LengthsAndNestingThatCannotBeAreReportedAtTheirBox)
{
    const Bytes stream = StreamBuilder::minimal().bytes();
    BoxBuilder deep = minimalJp2();
    for (int depth = 0; depth <= maxBoxDepth; ++depth)
        deep.begin("asoc");
    for (int depth = 0; depth <= maxBoxDepth; ++depth)
        deep.end();
    const struct {
        const char* what;
        BoxBuilder file;
        Findings findings;
        BoxRow last;  // the last entry of the box table
    } cases[] = {
        {"XLBox", BoxBuilder().jp2Head().longBox("jp2c", stream), {}, {"jp2c", 77, 128, -1, 0}},
        {"LBox 0 in the last box", BoxBuilder().jp2Head().boxWithLength(0, "jp2c", stream), {},
         {"jp2c", 77, 120, -1, 0}},
        {"LBox 5", minimalJp2().boxWithLength(5, "free", {0}), {{20001, 197}}, {"jp2c", 77, 120, -1, 0}},
        {"XLBox 8", minimalJp2().raw({0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 8}), {{20001, 197}},
         {"jp2c", 77, 120, -1, 0}},
        {"past the end of the file", minimalJp2().boxWithLength(100, "free", {'a'}), {{20002, 197}},
         {"free", 197, 9, -1, 0}},
        {"XLBox of 2^64 - 1",
         minimalJp2().raw({0, 0, 0, 1, 'f', 'r', 'e', 'e', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
         {{20002, 197}}, {"free", 197, 16, -1, 0}},
        {"a header cut by the end of the file", minimalJp2().raw({0, 0, 0}), {{20002, 197}}, {"jp2c", 77, 120, -1, 0}},
        {"past its superbox", minimalJp2().begin("asoc").boxWithLength(12, "lbl ", {'a'}).end().box("free", {}),
         {{20003, 205}}, {"free", 214, 8, -1, 0}},
        {"LBox 0 inside a superbox that ends before the file",
         minimalJp2().begin("asoc").boxWithLength(0, "lbl ", {'a'}).end().box("free", {}), {{20003, 205}},
         {"free", 214, 8, -1, 0}},
        {"nested too deep", deep, {{20004, 197 + 8 * (maxBoxDepth - 1)}},
         {"asoc", 197 + 8 * (maxBoxDepth - 1), 16, maxBoxDepth + 4, maxBoxDepth - 1}},
    };
    for (const auto& c : cases) {
        const auto a = analyze(c.file.bytes());
        EXPECT_EQ(findingsOf(*a), c.findings) << c.what;
        EXPECT_EQ(boxesOf(*a).back(), c.last) << c.what;
        EXPECT_EQ(a->getStatus(), c.findings.empty() ? 0 : 1) << c.what;
        EXPECT_EQ(offsetsOf(*a).back(), a->getCodestreamStart() + 110) << c.what << ": the codestream's EOC";
    }
}
