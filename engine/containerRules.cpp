#include "engine/containerRules.h"

#include "engine/boxContentRules.h"

#include <algorithm>
#include <initializer_list>

namespace {

using namespace boxTypes;

bool isTopLevelOf(const Box& box, uint32_t type) { return box.depth == 0 && box.type == type; }

std::optional<int> firstTopLevel(const std::vector<Box>& boxes, uint32_t type)
{
    for (size_t i = 0; i < boxes.size(); ++i)
        if (isTopLevelOf(boxes[i], type))
            return static_cast<int>(i);
    return std::nullopt;
}

bool contains(std::initializer_list<uint32_t> values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

// A component's depth in bits, less one, in bits 0-6 and its sign in bit 7: depths 1 to 38.
bool isComponentDepth(uint8_t value) { return (value & 0x7F) <= 37; }

// The fields of an image header box, read when its contents hold them.
struct ImageHeader {
    uint32_t HEIGHT, WIDTH;
    uint16_t NC;
    uint8_t BPC, C, UnkC, IPR;

    static std::optional<ImageHeader> read(const ByteImage& file, const Box& box)
    {
        if (box.contentLength() < 14)
            return std::nullopt;
        const uint64_t p = box.contentOffset();
        return ImageHeader{file.be32(p),     file.be32(p + 4),  file.be16(p + 8),  file.u8(p + 10),
                           file.u8(p + 11), file.u8(p + 12), file.u8(p + 13)};
    }
};

class ContainerRules {
public:
    ContainerRules(const ByteImage& file, const std::vector<Box>& boxes, ContainerKind kind, ErrorLog& log)
        : file_(file), boxes_(boxes), kind_(kind), log_(log), header_(findHeaderBoxes(boxes))
    {
    }

    void run()
    {
        checkFileType();
        checkHeaderPlacement();
        if (header_.header) {
            const std::optional<ImageHeader> ihdr = checkImageHeader();
            checkRepeatedBoxes();
            checkColours();
            if (ihdr)
                checkBitsPerComponent(*ihdr);
            checkPaletteAndMapping(ihdr);
            if (header_.resolution)
                checkResolution(file_, boxes_, *header_.resolution, log_);
        }
        checkMetadataBoxes(file_, boxes_, log_);
    }

private:
    void record(int code, int box) { log_.record(code, boxes_[box].offset); }

    // The file type box second, its list with the family's entry, of whole entries.
    void checkFileType()
    {
        std::vector<int> top;
        for (size_t i = 0; i < boxes_.size() && top.size() < 2; ++i)
            if (boxes_[i].depth == 0)
                top.push_back(static_cast<int>(i));
        if (top.size() < 2 || boxes_[top[1]].type != fileType)
            record(20101, top.back());
        const auto ftyp = firstTopLevel(boxes_, fileType);
        if (!ftyp)
            return;
        const Box& box = boxes_[*ftyp];
        const uint32_t length = box.contentLength();
        if (length < 8 || (length - 8) % 4 != 0)
            record(20103, *ftyp);
        if (!listsCompatibility(box, requiredCompatibility()))
            record(20102, *ftyp);
    }

    uint32_t requiredCompatibility() const
    {
        switch (kind_) {
        case ContainerKind::jph:
            return boxType("jph ");
        case ContainerKind::jpx:
            return boxType("jpx ");
        default:
            return boxType("jp2 ");
        }
    }

    // The list is read in pieces, as far as the box holds whole entries.
    bool listsCompatibility(const Box& box, uint32_t entry) const
    {
        if (box.contentLength() < 8)
            return false;
        constexpr uint64_t piece = 4 << 12;
        const uint64_t end = box.end() - (box.contentLength() - 8) % 4;
        for (uint64_t p = uint64_t{box.contentOffset()} + 8; p < end; p += piece) {
            const auto bytes = file_.bytes(p, std::min(piece, end - p));
            for (size_t k = 0; k + 4 <= bytes.size(); k += 4)
                if (readBE32(bytes.data() + k) == entry)
                    return true;
        }
        return false;
    }

    // One JP2 header box, and it before the first codestream box.
    void checkHeaderPlacement()
    {
        const auto jp2c = firstTopLevel(boxes_, codestream);
        if (!header_.header || (jp2c && *header_.header > *jp2c))
            log_.record(20104, codestreamBoxPosition(boxes_));
        for (size_t i = 0; i < boxes_.size(); ++i)
            if (isTopLevelOf(boxes_[i], header) && static_cast<int>(i) != *header_.header)
                record(20105, static_cast<int>(i));
    }

    // The image header first in the JP2 header box, of 14 bytes, with its fields in range.
    std::optional<ImageHeader> checkImageHeader()
    {
        const int jp2h = *header_.header;
        const bool first = jp2h + 1 < static_cast<int>(boxes_.size()) && boxes_[jp2h + 1].parent == jp2h &&
                           boxes_[jp2h + 1].type == imageHeader;
        if (!first)
            record(20106, jp2h);
        if (!header_.imageHeader)
            return std::nullopt;
        const int at = *header_.imageHeader;
        if (boxes_[at].contentLength() != 14)
            record(20107, at);
        const auto ihdr = ImageHeader::read(file_, boxes_[at]);
        if (!ihdr)
            return std::nullopt;
        if (ihdr->C != 7)
            record(20108, at);
        if (ihdr->UnkC > 1 || ihdr->IPR > 1)
            record(20109, at);
        if (ihdr->HEIGHT == 0 || ihdr->WIDTH == 0 || ihdr->NC == 0 || ihdr->NC > 16384 ||
            (ihdr->BPC != 255 && !isComponentDepth(ihdr->BPC)))
            record(20110, at);
        return ihdr;
    }

    // Each kind of box but the colour box (colr) stands once in the JP2 header box.
    void checkRepeatedBoxes()
    {
        std::vector<uint32_t> seen;
        for (int i : childrenOf(boxes_, *header_.header)) {
            const uint32_t type = boxes_[i].type;
            if (!contains({imageHeader, bitsPerComponent, palette, componentMapping, channelDefinition, resolution}, type))
                continue;
            if (std::find(seen.begin(), seen.end(), type) != seen.end())
                record(20122, i);
            seen.push_back(type);
        }
    }

    // At least one colour box (colr), the colour boxes next to each other, each of a known method
    // and, when enumerated, colour space, or with an ICC profile that fits its method.
    void checkColours()
    {
        if (header_.colours.empty())
            record(20111, *header_.header);
        bool colourSeen = false, afterColours = false;  // another box followed a colour box
        for (int at : childrenOf(boxes_, *header_.header)) {
            const bool isColour = boxes_[at].type == colour;
            if (isColour && afterColours) {
                record(20126, at);
                break;
            }
            afterColours = afterColours || (colourSeen && !isColour);
            colourSeen = colourSeen || isColour;
        }
        for (int at : header_.colours) {
            const Box& box = boxes_[at];
            if (box.contentLength() < 3) {
                record(20114, at);
                continue;
            }
            const uint8_t METH = file_.u8(box.contentOffset());
            const bool known = knownMethod(METH);
            if (!known)
                record(20112, at);
            if (heldToJp2Values(at))
                checkPrecedence(file_, box, log_);
            if (!known)
                continue;
            if (METH == 2 || METH == 3)
                checkColourProfile(file_, box, METH == 2, log_);
            if (METH != 1)
                continue;
            if (box.contentLength() != 7) {
                record(20114, at);
                if (box.contentLength() < 7)
                    continue;
            }
            if (!knownColourSpace(file_.be32(uint64_t{box.contentOffset()} + 3)))
                record(20113, at);
        }
    }

    // PREC and APPROX are 0 in every colour box of a JP2 file. A JPX file that lists `jp2 ` as
    // compatible is read by a JP2 reader too, which takes the first colour box: that one is held to
    // the JP2 values; the later ones may use the values JPX defines.
    bool heldToJp2Values(int colr) const
    {
        if (kind_ == ContainerKind::jp2)
            return true;
        if (kind_ != ContainerKind::jpx || colr != header_.colours.front())
            return false;
        const auto ftyp = firstTopLevel(boxes_, fileType);
        return ftyp && listsCompatibility(boxes_[*ftyp], boxType("jp2 "));
    }

    // Enumerated (1) and restricted ICC (2) for JP2; JPH adds parameterised (5); JPX any ICC (3) and
    // vendor (4).
    bool knownMethod(uint8_t METH) const
    {
        switch (kind_) {
        case ContainerKind::jph:
            return contains({1, 2, 5}, METH);
        case ContainerKind::jpx:
            return METH >= 1 && METH <= 4;
        default:
            return METH == 1 || METH == 2;
        }
    }

    // sRGB (16), greyscale (17) and sYCC (18); JPX enumerates more.
    bool knownColourSpace(uint32_t EnumCS) const
    {
        if (kind_ == ContainerKind::jpx)
            return contains({0, 1, 3, 4, 9, 11, 12, 13, 14, 15}, EnumCS) || (EnumCS >= 16 && EnumCS <= 26);
        return EnumCS >= 16 && EnumCS <= 18;
    }

    // A bits-per-component box exactly when BPC is 255, with one valid depth per component.
    void checkBitsPerComponent(const ImageHeader& ihdr)
    {
        const auto bpcc = header_.bitsPerComponent;
        if (!bpcc) {
            if (ihdr.BPC == 255)
                record(20115, *header_.imageHeader);
            return;
        }
        if (ihdr.BPC != 255)
            record(20116, *bpcc);
        const Box& box = boxes_[*bpcc];
        bool valid = box.contentLength() == ihdr.NC;
        for (uint32_t k = 0; valid && k < ihdr.NC; ++k)
            valid = isComponentDepth(file_.u8(uint64_t{box.contentOffset()} + k));
        if (!valid)
            record(20117, *bpcc);
    }

    // A palette comes with a component mapping and the other way round; the palette's sizes add up,
    // each mapping names a component of the codestream and, through the palette, one of its columns;
    // each channel definition names a channel that exists, with a defined type, and no two give one
    // type and association. Components are counted by the image header: without one, only the
    // pairing is checked.
    void checkPaletteAndMapping(const std::optional<ImageHeader>& ihdr)
    {
        const auto pclr = header_.palette;
        const auto cmap = header_.componentMapping;
        if (pclr.has_value() != cmap.has_value())
            record(20118, pclr ? *pclr : *cmap);
        if (!ihdr)
            return;
        const std::optional<uint8_t> NPC = pclr ? checkPalette(*pclr) : std::nullopt;
        uint32_t channels = ihdr->NC;
        if (cmap)
            channels = checkComponentMapping(*cmap, ihdr->NC, NPC);
        if (header_.channelDefinition)
            checkChannelDefinition(*header_.channelDefinition, channels);
    }

    // Returns NPC, the palette's column count, when the box holds it.
    std::optional<uint8_t> checkPalette(int at)
    {
        const Box& box = boxes_[at];
        const uint64_t p = box.contentOffset();
        if (box.contentLength() < 3) {
            record(20119, at);
            return std::nullopt;
        }
        const uint16_t NE = file_.be16(p);
        const uint8_t NPC = file_.u8(p + 2);
        bool valid = NE >= 1 && NE <= 1024 && NPC >= 1 && box.contentLength() >= 3u + NPC;
        uint64_t entryBytes = 0;
        for (uint32_t i = 0; valid && i < NPC; ++i) {
            const uint8_t B = file_.u8(p + 3 + i);
            valid = isComponentDepth(B);
            entryBytes += ((B & 0x7F) + 8) / 8;
        }
        if (!valid || box.contentLength() != 3 + NPC + NE * entryBytes)
            record(20119, at);
        return NPC;
    }

    // Returns the number of channels the mapping makes.
    uint32_t checkComponentMapping(int at, uint16_t NC, std::optional<uint8_t> NPC)
    {
        const Box& box = boxes_[at];
        const uint32_t entries = box.contentLength() / 4;
        bool valid = entries > 0 && box.contentLength() % 4 == 0;
        for (uint32_t i = 0; valid && i < entries; ++i) {
            const uint64_t p = uint64_t{box.contentOffset()} + 4 * i;
            const uint16_t CMP = file_.be16(p);
            const uint8_t MTYP = file_.u8(p + 2);
            const uint8_t PCOL = file_.u8(p + 3);
            valid = CMP < NC && ((MTYP == 0 && PCOL == 0) || (MTYP == 1 && NPC && PCOL < *NPC));
        }
        if (!valid)
            record(20120, at);
        return entries;
    }

    // A channel may be described more than once (an opacity channel for several colours); what may
    // not repeat is a pair of Typ and Asoc, unless either is 65535 (not specified).
    void checkChannelDefinition(int at, uint32_t channels)
    {
        const Box& box = boxes_[at];
        const uint64_t p = box.contentOffset();
        bool valid = box.contentLength() >= 2;
        const uint32_t N = valid ? file_.be16(p) : 0;
        valid = valid && N > 0 && box.contentLength() == 2 + 6 * N;
        std::vector<uint32_t> pairs;
        for (uint32_t i = 0; valid && i < N; ++i) {
            const uint16_t Cn = file_.be16(p + 2 + 6 * i);
            const uint16_t Typ = file_.be16(p + 4 + 6 * i);
            const uint16_t Asoc = file_.be16(p + 6 + 6 * i);
            valid = Cn < channels && (Typ <= 2 || Typ == 65535);
            if (Typ == 65535 || Asoc == 65535)
                continue;
            pairs.push_back(uint32_t{Typ} << 16 | Asoc);
        }
        std::sort(pairs.begin(), pairs.end());
        if (!valid)
            record(20121, at);
        else if (std::adjacent_find(pairs.begin(), pairs.end()) != pairs.end())
            record(20136, at);
    }

    const ByteImage& file_;
    const std::vector<Box>& boxes_;
    const ContainerKind kind_;
    ErrorLog& log_;
    const HeaderBoxes header_;
};

}  // namespace

HeaderBoxes findHeaderBoxes(const std::vector<Box>& boxes)
{
    HeaderBoxes found;
    found.header = firstTopLevel(boxes, header);
    if (!found.header)
        return found;
    const auto keepFirst = [](std::optional<int>& slot, int i) {
        if (!slot)
            slot = i;
    };
    for (int at : childrenOf(boxes, *found.header)) {
        switch (boxes[at].type) {
        case imageHeader:
            keepFirst(found.imageHeader, at);
            break;
        case bitsPerComponent:
            keepFirst(found.bitsPerComponent, at);
            break;
        case palette:
            keepFirst(found.palette, at);
            break;
        case componentMapping:
            keepFirst(found.componentMapping, at);
            break;
        case channelDefinition:
            keepFirst(found.channelDefinition, at);
            break;
        case resolution:
            keepFirst(found.resolution, at);
            break;
        case colour:
            found.colours.push_back(at);
            break;
        default:
            break;
        }
    }
    return found;
}

ContainerKind containerKindOf(const ByteImage& file, const std::vector<Box>& boxes)
{
    const auto ftyp = firstTopLevel(boxes, fileType);
    if (!ftyp || boxes[*ftyp].contentLength() < 4)
        return ContainerKind::jp2;
    try {
        switch (file.be32(boxes[*ftyp].contentOffset())) {
        case boxType("jph "):
            return ContainerKind::jph;
        case boxType("jpx "):
            return ContainerKind::jpx;
        default:
            return ContainerKind::jp2;
        }
    } catch (const ImageOverrun&) {
        return ContainerKind::jp2;  // the file changed on disk
    }
}

std::optional<int> analysedCodestreamBox(const std::vector<Box>& boxes)
{
    for (size_t i = 0; i < boxes.size(); ++i)
        if (isTopLevelOf(boxes[i], codestream) && boxes[i].contentLength() > 0)
            return static_cast<int>(i);
    return std::nullopt;
}

uint32_t codestreamBoxPosition(const std::vector<Box>& boxes)
{
    if (const auto jp2c = firstTopLevel(boxes, codestream))
        return boxes[*jp2c].offset;
    uint32_t last = 0;
    for (const Box& box : boxes)
        if (box.depth == 0)
            last = box.offset;
    return last;
}

void checkContainer(const ByteImage& file, const std::vector<Box>& boxes, ContainerKind kind, ErrorLog& log)
{
    ContainerRules(file, boxes, kind, log).run();
}

void checkAgreement(const ByteImage& file, const std::vector<Box>& boxes, const ByteImage& codestream, uint32_t siz,
                    ErrorLog& log)
{
    const HeaderBoxes header = findHeaderBoxes(boxes);
    if (!header.imageHeader)
        return;
    const Box& ihdrBox = boxes[*header.imageHeader];
    const auto ihdr = ImageHeader::read(file, ihdrBox);
    if (!ihdr)
        return;
    const auto field = [&](uint32_t offset) { return int64_t{codestream.be32(uint64_t{siz} + offset)}; };
    if (ihdr->HEIGHT != field(10) - field(18))
        log.record(20201, ihdrBox.offset);
    if (ihdr->WIDTH != field(6) - field(14))
        log.record(20202, ihdrBox.offset);
    const uint16_t Csiz = codestream.be16(uint64_t{siz} + 38);
    if (ihdr->NC != Csiz)
        log.record(20203, ihdrBox.offset);
    // Ssiz and BPC share one form: depth less one, and the sign in the top bit.
    const auto Ssiz = [&](uint32_t k) { return codestream.u8(uint64_t{siz} + 40 + 3 * k); };
    if (ihdr->BPC != 255) {
        for (uint32_t k = 0; k < Csiz; ++k)
            if (Ssiz(k) != ihdr->BPC) {
                log.record(20204, ihdrBox.offset);
                break;
            }
        return;
    }
    if (!header.bitsPerComponent)
        return;
    const Box& bpcc = boxes[*header.bitsPerComponent];
    const uint32_t compared = std::min<uint32_t>(Csiz, bpcc.contentLength());
    for (uint32_t k = 0; k < compared; ++k)
        if (Ssiz(k) != file.u8(uint64_t{bpcc.contentOffset()} + k)) {
            log.record(20204, bpcc.offset);
            break;
        }
}
