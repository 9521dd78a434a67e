#pragma once
// What a row of the structure tree stands for (the file, an element of the codestream, or a box),
// the bytes it covers, and which of them holds a byte: the element that holds it inside the analysed
// codestream, else the innermost box that holds it, else the file. Each lookup is a binary search of
// the element or the box table, so a click costs the same in a file of any size.

#include "app/hex/hexGeometry.h"

#include <cstdint>
#include <string>

class jpcAnalyzer;

enum class ItemKind : uint8_t {
    File,     // the whole file: the tree's root
    Element,  // a marker or a tile-part data block; the id is its element index
    Box,      // a box of a box file; the id is its index in the engine's box table
    Packet,   // a packet; the id is its data block's element index, `packet` its number there
};

struct FileItem {
    ItemKind kind = ItemKind::File;
    int id = -1;
    uint32_t packet = 0;
    bool operator==(const FileItem&) const = default;
};

// The element's bytes run to the next element, the last one's to the end of the codestream (of the
// file, for a raw one); a box's are the box, header included; the file's are all of it. Packets are
// known to the structure model alone: these take a packet for its data block.
ByteRange bytesOf(const jpcAnalyzer& analyzer, FileItem item);
FileItem itemAt(const jpcAnalyzer& analyzer, uint64_t offset);
// The item's name as the tree shows it; empty for the file.
std::string itemLabel(const jpcAnalyzer& analyzer, FileItem item);
