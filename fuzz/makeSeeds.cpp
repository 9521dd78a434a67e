// Writes the hand-made seeds of the fuzz corpus: codestreams with between them every marker kind,
// both widths of a component index, every TLM layout, several tiles and tile-parts, marker-like bytes
// in the bit-stream, packets with SOP, EPH and PLM and with packed headers, and the common ways a
// stream goes wrong; and JP2-family files with every box kind that has a text, superboxes, long and
// open-ended lengths, and broken framing; ICC profiles, XML and URLs, sound and broken.
//   tarvik3-make-seeds DIR    (the committed seeds live in fuzz/seeds/)

#include "engine/boxes.h"
#include "support/boxBuilder.h"
#include "support/iccProfiles.h"
#include "support/packetStream.h"
#include "support/streamBuilder.h"
#include "tools/profileStream.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = StreamBuilder::Bytes;

// COD with partitions, SOP and EPH: Scod 7, RPCL, 3 layers, colour transform, NL 2, precincts.
Bytes codWithPrecincts() { return {0x07, 0x02, 0x00, 0x03, 0x01, 0x02, 0x04, 0x04, 0x3F, 0x00, 0x77, 0x88, 0x99}; }

Bytes expoundedSteps(int subbands)
{
    Bytes b;
    for (int i = 0; i < subbands; ++i) {
        b.push_back(static_cast<uint8_t>(0x48 + i));
        b.push_back(static_cast<uint8_t>(0x10 * i));
    }
    return b;
}

Bytes withPrefix(Bytes prefix, const Bytes& rest)
{
    prefix.insert(prefix.end(), rest.begin(), rest.end());
    return prefix;
}

StreamBuilder minimal() { return std::move(StreamBuilder().mainHeader().tilePart().eoc()); }

// Three components, so that COC, QCC and RGN may appear once per component.
StreamBuilder componentSegments()
{
    StreamBuilder::Siz s;
    s.Csiz = 3;
    StreamBuilder b;
    b.soc().siz(s).cod();
    b.segment(0x53, {0x01, 0x01, 0x03, 0x03, 0x03, 0x01, 0x01, 0x55, 0x66, 0x77, 0x88});  // COC, Scoc 1
    b.segment(0x53, {0x02, 0x00, 0x05, 0x04, 0x04, 0x00, 0x00});                          // COC, Scoc 0
    b.qcd();
    b.segment(0x5D, withPrefix({0x01, 0x42}, expoundedSteps(7)));  // QCC expounded
    b.segment(0x5D, {0x02, 0x21, 0x48, 0x00});                      // QCC derived
    b.segment(0x5E, {0x00, 0x00, 0x05});                            // RGN
    b.segment(0x5F, {0x00, 0x00, 0x00, 0x01, 0x05, 0x03, 0x02, 0x01, 0x01, 0x00, 0x02, 0x06, 0x03, 0x04});  // POD
    b.segment(0x63, {0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x80, 0x00, 0x40, 0x00, 0x40, 0x00});             // CRG
    b.beginTilePart().segment(0x52, codWithPrecincts());
    b.segment(0x5C, withPrefix({0x22}, expoundedSteps(7)));
    b.segment(0x53, {0x00, 0x00, 0x01, 0x02, 0x02, 0x40, 0x01});
    b.segment(0x5D, {0x00, 0x40, 0x48, 0x50, 0x50, 0x58});
    b.segment(0x5E, {0x02, 0x00, 0x07});
    b.segment(0x5F, {0x00, 0x00, 0x00, 0x01, 0x05, 0x03, 0x04});
    return std::move(b.sod().fill(24).endTilePart().eoc());
}

// Comments of each registration value, a Latin-1 text with bytes above 0x7F and a zero byte.
StreamBuilder comments()
{
    StreamBuilder b;
    b.mainHeader();
    b.segment(0x64, {0x00, 0x01, 'z', 0xF3, 0xB3, 'w', 0x00, 'x'});
    b.segment(0x64, {0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF});
    b.segment(0x64, {0x00, 0x07, 'r'});
    b.beginTilePart().segment(0x64, {0x00, 0x01, 'k', 'a', 'f', 'e', 'l'});
    return std::move(b.sod().fill(8).endTilePart().eoc());
}

// One TLM per layout: ST 0, 1, 2 with 16-bit and 32-bit Ptlm, for two tiles.
StreamBuilder tileLengths()
{
    StreamBuilder::Siz s;
    s.XTsiz = 32;
    StreamBuilder b;
    b.mainHeader(s);
    uint8_t z = 0;
    for (uint8_t SP : {0x00, 0x40}) {
        for (uint8_t ST : {0x00, 0x10, 0x20}) {
            Bytes p{z++, static_cast<uint8_t>(SP | ST)};
            for (int tile = 0; tile < 2; ++tile) {
                if (ST == 0x10)
                    p.push_back(static_cast<uint8_t>(tile));
                if (ST == 0x20)
                    p.insert(p.end(), {0x00, static_cast<uint8_t>(tile)});
                if (SP)
                    p.insert(p.end(), {0x00, 0x00});
                p.insert(p.end(), {0x00, 30});
            }
            b.segment(0x55, p);
        }
    }
    return std::move(b.tilePart(0).tilePart(1).eoc());
}

// Packet lengths in the main header (PLM) and in a tile-part (PLT); packed headers (PPM, PPT).
StreamBuilder packetSegments()
{
    StreamBuilder b;
    b.mainHeader();
    b.segment(0x57, {0x00, 0x03, 0x81, 0x00, 0x05, 0x02, 0xFF, 0x7F});  // PLM: two records
    b.segment(0x60, {0x00, 0x00, 0x00, 0x00, 0x04, 0xC0, 0x80, 0x00, 0x01});  // PPM
    b.beginTilePart().segment(0x58, {0x00, 0x84, 0x80, 0x01, 0x09, 0x10});
    b.segment(0x58, {0x01, 0x82});  // a length cut at the segment's end
    b.sod().fill(16).endTilePart();
    return std::move(b.eoc());
}

StreamBuilder packedTileHeaders()
{
    StreamBuilder b;
    b.mainHeader();
    b.beginTilePart().segment(0x61, {0x00, 0xC0, 0x80, 0x00}).segment(0x61, {0x01, 0x80});
    return std::move(b.sod().fill(12).endTilePart().eoc());
}

// Csiz of 300: component indices are two bytes wide in COC, QCC, RGN and POD.
StreamBuilder wideComponentIndex()
{
    StreamBuilder::Siz s;
    s.Csiz = 300;
    StreamBuilder b;
    b.soc().siz(s).cod().qcd();
    b.segment(0x53, {0x01, 0x2B, 0x00, 0x03, 0x04, 0x04, 0x00, 0x01});
    b.segment(0x5D, {0x01, 0x2B, 0x21, 0x48, 0x00});
    b.segment(0x5E, {0x00, 0x07, 0x00, 0x02});
    b.segment(0x5F, {0x00, 0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x2C, 0x02});
    return std::move(b.tilePart().eoc());
}

// Four tiles in two tile-parts each, the last one with Psot 0 (to the end of the stream).
StreamBuilder tilesAndTileParts()
{
    StreamBuilder::Siz s;
    s.XTsiz = s.YTsiz = 32;
    StreamBuilder b;
    b.mainHeader(s);
    for (uint16_t tile = 0; tile < 4; ++tile)
        b.tilePart(tile, 8 + tile, 0, 2);
    for (uint16_t tile = 0; tile < 3; ++tile)
        b.tilePart(tile, 4, 1, 2);
    return std::move(b.beginTilePart(3, 1, 2).sod().fill(6).eoc());  // Psot stays 0
}

// SOP and EPH in the bit-stream, 0xFF followed by bytes below 0x90, and an empty tile-part.
StreamBuilder markersInData()
{
    StreamBuilder::Siz s;
    s.XTsiz = 32;
    StreamBuilder b;
    b.mainHeader(s);
    b.beginTilePart(0).sod();
    b.raw({0xFF, 0x91, 0x00, 0x04, 0x00, 0x00, 0xC0, 0xFF, 0x92, 0x13, 0xFF, 0x7F, 0xFF, 0x00, 0x42});
    b.endTilePart();
    return std::move(b.tilePart(1, 0).eoc());
}

// Precinct sizes with a 0 above resolution 0, and a second tile-part that repeats COD, QCD and RGN.
StreamBuilder laterTilePartSegments()
{
    StreamBuilder b;
    b.soc().siz().segment(0x52, codWithPrecincts()).qcd();
    b.tilePart(0, 8, 0, 2).beginTilePart(0, 1, 2).segment(0x52, {0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x04, 0x04,
                                                                  0x00, 0x01, 0x00, 0x10});
    b.qcd().segment(0x5E, {0x00, 0x00, 0x05}).segment(0x64, {0x00, 0x01, 'x'});
    return std::move(b.sod().fill(8).endTilePart().eoc());
}

// Reserved markers without a segment, markers without a description and an unknown segment.
StreamBuilder unusualMarkers()
{
    StreamBuilder b;
    b.mainHeader();
    b.marker(0x30).marker(0x3F);
    b.segment(0x65, {0x00, 0x01}).segment(0x66, {0x00});  // NZD, OFF names
    b.beginTilePart().marker(0x35).segment(0x7F, {0x01, 0x02, 0x03});
    return std::move(b.sod().fill(4).endTilePart().eoc());
}

// Field values out of range in every kind the checks know, in a stream the walk completes.
StreamBuilder fieldsOutOfRange()
{
    StreamBuilder::Siz s;
    s.Rsiz = 0x1000;
    s.XRsiz = 0;
    s.Ssiz = 0x7F;
    StreamBuilder b;
    b.soc().siz(s);
    b.segment(0x52, {0xF8, 0x09, 0x00, 0x00, 0x05, 0x28, 0x0B, 0x0B, 0xC0, 0x03, 0x00});
    b.segment(0x5C, {0x05, 0x4F, 0x00});
    b.segment(0x55, {0x00, 0x3F, 0x00, 0x02, 0x01});
    b.beginTilePart().segment(0x5F, {0x00, 0x00, 0x00, 0x01, 0x05, 0x03});
    b.segment(0x57, {}).segment(0x58, {});
    b.sod().fill(4).endTilePart();
    return std::move(b.segment(0x90, {0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0xFF, 0x01}).sod().eoc());
}

// Capabilities and profiles signalled every way: Rsiz with bit 14 and the profile in PRF, CAP of two
// parts, CPF and PRF of several words, then the same markers out of place and the extension markers
// without their Rsiz bit.
StreamBuilder signalling()
{
    StreamBuilder::Siz s;
    s.Rsiz = 0x4FFF;
    StreamBuilder b;
    b.soc().siz(s).segment(0x50, {0x40, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00, 0x35});
    b.segment(0x59, {0x03, 0x01, 0x00, 0x00}).segment(0x56, {0x00, 0x05, 0x00, 0x01});
    b.segment(0x52, {0x01, 0x04, 0x00, 0x01, 0x00, 0x02, 0x03, 0x03, 0xC0, 0x00, 0x77, 0x88, 0x88}).qcd();
    b.segment(0x50, {0x00, 0x02, 0x00, 0x00, 0x40, 0x16});
    b.beginTilePart().segment(0x56, {0x00, 0x00}).segment(0x53, {0x00, 0x00, 0x02, 0x03, 0x03, 0x40, 0x00});
    for (uint8_t code : {0x5A, 0x5B, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79})
        b.segment(code, {0x00, 0x01, 0x02});
    return std::move(b.sod().fill(8).endTilePart().eoc());
}

// A cut in the middle of a tile-part: no EOC.
StreamBuilder cutStream()
{
    auto b = minimal();
    Bytes bytes = b.bytes();
    bytes.resize(bytes.size() - 9);
    return std::move(StreamBuilder().raw(bytes));
}

// No SIZ where element 1 should be.
StreamBuilder noSiz() { return std::move(StreamBuilder().soc().tilePart().eoc()); }

// A JPX-branded file with every kind of JP2 header box, UUID info, XML, UUID and IPR boxes, its
// codestream box with XLBox, an association, and a second codestream box that is not analysed.
BoxBuilder jp2HeaderBoxes()
{
    ImageHeaderFields f;
    f.BPC = 255;
    f.IPR = 1;
    BoxBuilder b;
    b.signature().fileType("jpx ", {"jp2 ", "jpx ", "jpxb"}).box("rreq", {0x01, 0xFF, 0x00, 0x01, 0x00, 0x05, 0x80, 0x00});
    b.begin("jp2h").imageHeader(f).box("bpcc", {0x07});
    b.box("colr", {0x02, 0x00, 0x00, 'p', 'r', 'o', 'f', 'i', 'l', 'e'}).colour(16);
    b.box("pclr", {0x00, 0x02, 0x03, 0x07, 0x07, 0x87, 1, 2, 3, 4, 5, 6});
    b.box("cmap", {0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 2});
    b.box("cdef", {0, 3, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 2, 0, 2, 0, 1, 0, 0});
    b.begin("res ").box("resc", {0x00, 0x48, 0x00, 0x01, 0x00, 0x48, 0x00, 0x01, 0x02, 0x02});
    b.box("resd", {0x0B, 0xB8, 0x00, 0x01, 0x0B, 0xB8, 0x00, 0x01, 0xFE, 0x00}).end().end();
    b.begin("uinf").box("ulst", Bytes{0x00, 0x01, 0xBE, 0x7A, 0xCF, 0xCB, 0x97, 0xA9, 0x42, 0xE8, 0x9C, 0x71, 0x99,
                                      0x94, 0x91, 0xE3, 0xAF, 0xAC});
    b.box("url ", {0x00, 0x00, 0x00, 0x00, 'f', 'i', 'l', 'e', ':', '/', '/', 'x', 0x00}).end();
    b.box("xml ", {'<', '?', 'x', 'm', 'l', '?', '>', '<', 'a', '>', 0xC5, 0x82, '<', '/', 'a', '>'});
    b.box("uuid", {0xBE, 0x7A, 0xCF, 0xCB, 0x97, 0xA9, 0x42, 0xE8, 0x9C, 0x71, 0x99, 0x94, 0x91, 0xE3, 0xAF, 0xAC,
                   'd', 'a', 't', 'a'});
    b.box("jp2i", {'<', 'i', '/', '>'});
    b.longBox("jp2c", minimal().bytes());
    b.begin("asoc").box("lbl ", {'t', 'a', 'r'}).box("xml ", {'<', 'b', '/', '>'}).end();
    return std::move(b.codestream(minimal().bytes()));
}

Bytes colour(uint8_t METH, uint8_t PREC, uint8_t APPROX, const Bytes& profile)
{
    return withPrefix({METH, PREC, APPROX}, profile);
}

// ICC profiles of both restricted kinds, a lookup-table one, one cut short and one whose tag count
// runs past it; colour boxes apart; resolution boxes, XML, UUID info and URL boxes, each once sound
// and once broken.
BoxBuilder jp2Contents()
{
    Bytes cut = rgbProfile();
    cut.resize(200);
    Bytes tags = greyProfile();
    tags[130] = 0x7F;
    BoxBuilder b;
    b.signature().fileType().begin("jp2h").imageHeader();
    b.box("colr", colour(2, 0, 0, rgbProfile())).box("colr", colour(2, 1, 1, greyProfile()));
    b.box("colr", colour(2, 0, 0, lookupTableProfile())).box("colr", colour(2, 0, 0, cut));
    b.box("cdef", {0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0});
    b.box("colr", colour(2, 0, 0, tags)).begin("res ").box("resc", {0x00, 0x48, 0x00, 0x01, 0x00, 0x48, 0x00, 0x01, 2, 2});
    b.box("resc", {0x00, 0x48, 0x00, 0x00, 0x00, 0x48, 0x00, 0x01, 2, 2}).end().end();
    b.begin("uinf").box("ulst", Bytes(18, 0x01)).box("url ", {0x00, 0x00, 0x00, 0x00, 'h', 0xC5, 0x82, 0x00}).end();
    b.begin("uinf").box("url ", {0x01, 0x00, 0x00, 0x00, 'h', 0xFF}).end();
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a b=\"c\">\xC5\x82</a>";
    b.box("xml ", Bytes(xml.begin(), xml.end())).box("xml ", {'<', 'a', '>', '\n', '<', '/', 'b', '>', 0x00});
    return std::move(b.codestream(minimal().bytes()));
}

// Any ICC profile (METH 3) in a JPX file, with PREC and APPROX of its own.
BoxBuilder jpxAnyProfile()
{
    BoxBuilder b;
    b.signature().fileType("jpx ", {"jp2 ", "jpx "}).begin("jp2h").imageHeader();
    b.box("colr", colour(2, 1, 1, rgbProfile())).box("colr", colour(3, 0xFF, 2, lookupTableProfile())).end();
    return std::move(b.codestream(minimal().bytes()));
}

// A box of LBox 3, a box past its superbox, superboxes nested too deep, and a few bytes after the
// last box.
BoxBuilder jp2BrokenFraming()
{
    BoxBuilder b = minimalJp2();
    b.begin("asoc").boxWithLength(40, "lbl ", {'a'}).end();
    for (int depth = 0; depth <= maxBoxDepth; ++depth)
        b.begin("asoc");
    for (int depth = 0; depth <= maxBoxDepth; ++depth)
        b.end();
    return std::move(b.boxWithLength(3, "free").raw({0x00, 0x00}));
}

// A JP2 header with no codestream box after it, and the box of LBox 0 that runs to the end.
BoxBuilder jp2WithoutCodestream()
{
    return std::move(BoxBuilder().jp2Head().boxWithLength(0, "xml ", {'<', 'a', '/', '>'}));
}

// Packets written bit by bit, two layers of one code-block: with SOP, EPH and their lengths in PLM;
// with their headers in PPM; with their headers in PPT.
Bytes packets(int where)
{
    const Bytes first = firstContribution(1, 2, 5), second = {0xC2};  // again, one pass of one byte
    const Bytes firstBody = {0x12, 0x34, 0x56, 0x78, 0x9A}, secondBody = {0xBC};
    TinyStream s{.Scod = 0x06, .layers = 2};
    if (where == 0) {
        s.mainSegments = {segmentBytes(0x57, {0x00, 0x02, 0x0F, 0x0A})};
        s.data = joined({{0xFF, 0x91, 0x00, 0x04, 0x00, 0x00}, first, {0xFF, 0x92}, firstBody,
                         {0xFF, 0x91, 0x00, 0x04, 0x00, 0x01}, second, {0xFF, 0x92}, secondBody});
        return s.bytes();
    }
    s.Scod = 0x00;
    const Bytes headers = joined({first, second});
    if (where == 1)
        s.mainSegments = {segmentBytes(0x60, joined({{0x00, 0x00, 0x00, 0x00, uint8_t(headers.size())}, headers}))};
    else
        s.tileSegments = {segmentBytes(0x61, joined({{0x00}, headers}))};
    s.data = joined({firstBody, secondBody});
    return s.bytes();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 64;
    }
    const std::vector<std::pair<const char*, Bytes>> seeds = {
        {"minimal.j2k", minimal().bytes()},
        {"bytes-after-eoc.j2k", minimal().fill(5).bytes()},
        {"component-segments.j2k", componentSegments().bytes()},
        {"comments.j2k", comments().bytes()},
        {"tile-lengths.j2k", tileLengths().bytes()},
        {"packet-segments.j2k", packetSegments().bytes()},
        {"packed-tile-headers.j2k", packedTileHeaders().bytes()},
        {"wide-component-index.j2k", wideComponentIndex().bytes()},
        {"tiles-and-tile-parts.j2k", tilesAndTileParts().bytes()},
        {"markers-in-data.j2k", markersInData().bytes()},
        {"unusual-markers.j2k", unusualMarkers().bytes()},
        {"fields-out-of-range.j2k", fieldsOutOfRange().bytes()},
        {"cut-stream.j2k", cutStream().bytes()},
        {"no-siz.j2k", noSiz().bytes()},
        {"signalling.j2k", signalling().bytes()},
        {"profile-dcp-4k.j2k", buildProfileStream({Profile::dcp4k}).bytes},
        {"profile-imf-8k-r-ht.j2k", buildProfileStream({Profile::imf8kR, true}).bytes},
        {"profile-broadcast-multi-tiles.j2k", buildProfileStream({Profile::broadcastMulti, false, 14002}).bytes},
        {"packets-sop-eph-plm.j2k", packets(0)},
        {"packets-in-ppm.j2k", packets(1)},
        {"packets-in-ppt.j2k", packets(2)},
        {"jp2-minimal.jp2", minimalJp2().bytes()},
        {"jp2-header-boxes.jpx", jp2HeaderBoxes().bytes()},
        {"jp2-broken-framing.jp2", jp2BrokenFraming().bytes()},
        {"jp2-without-codestream.jp2", jp2WithoutCodestream().bytes()},
        {"later-tile-part-segments.j2k", laterTilePartSegments().bytes()},
        {"jp2-contents.jp2", jp2Contents().bytes()},
        {"jpx-any-profile.jpx", jpxAnyProfile().bytes()},
    };
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
