#pragma once
// The boxes of a JP2-family file (a JP2, JPH or JPX file): where each box lies and where it sits in
// the tree of superboxes. A box is LBox (32 bits), TBox (four characters), XLBox (64 bits) when LBox
// is 1, and its contents.

#include <cstdint>
#include <string>
#include <vector>

// TBox: the four characters, the first in the high byte.
constexpr uint32_t boxType(const char (&name)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8 | static_cast<uint8_t>(name[3]);
}

namespace boxTypes {
constexpr uint32_t signature = boxType("jP  ");
constexpr uint32_t fileType = boxType("ftyp");
constexpr uint32_t header = boxType("jp2h");
constexpr uint32_t imageHeader = boxType("ihdr");
constexpr uint32_t bitsPerComponent = boxType("bpcc");
constexpr uint32_t colour = boxType("colr");
constexpr uint32_t palette = boxType("pclr");
constexpr uint32_t componentMapping = boxType("cmap");
constexpr uint32_t channelDefinition = boxType("cdef");
constexpr uint32_t resolution = boxType("res ");
constexpr uint32_t captureResolution = boxType("resc");
constexpr uint32_t displayResolution = boxType("resd");
constexpr uint32_t codestream = boxType("jp2c");
constexpr uint32_t intellectualProperty = boxType("jp2i");
constexpr uint32_t xml = boxType("xml ");
constexpr uint32_t uuid = boxType("uuid");
constexpr uint32_t uuidInfo = boxType("uinf");
constexpr uint32_t uuidList = boxType("ulst");
constexpr uint32_t url = boxType("url ");
}  // namespace boxTypes

// Box depths run from 0 (the top level) to maxBoxDepth - 1; a superbox at the last depth is not
// walked into.
constexpr int maxBoxDepth = 16;

// What the file's brand makes of it; `none` for a raw codestream.
enum class ContainerKind { none, jp2, jph, jpx };

// "jp2", "jph" or "jpx"; empty for a raw codestream.
std::string containerName(ContainerKind kind);

struct Box {
    uint32_t offset;  // of LBox
    // The whole box, header included, as far as the file and the superbox hold it.
    uint32_t length;
    uint32_t type;
    int32_t parent;        // index of the superbox in the box table; -1 at the top level
    uint8_t depth;         // 0 at the top level
    uint8_t headerLength;  // 8, or 16 with XLBox

    uint32_t contentOffset() const { return offset + headerLength; }
    uint32_t contentLength() const { return length - headerLength; }
    // Fits 32 bits: a box ends inside the file.
    uint32_t end() const { return offset + length; }
};

// TBox as text: printable characters as they are, any other byte as \xNN.
std::string boxTypeText(uint32_t type);

// The indexes of the boxes directly inside the box at `parent`, in file order.
std::vector<int> childrenOf(const std::vector<Box>& boxes, int parent);
