#include "app/tree/fileItems.h"

#include "engine/jpcAnalyzer.h"
#include "present/structureTree.h"

#include <algorithm>

ByteRange bytesOf(const jpcAnalyzer& analyzer, FileItem item)
{
    switch (item.kind) {
    case ItemKind::Element:
    case ItemKind::Packet: {
        const auto& offsets = analyzer.getMarkerOffsets();
        const uint64_t begin = offsets[item.id];
        const uint64_t end =
            static_cast<size_t>(item.id) + 1 < offsets.size() ? offsets[item.id + 1] : analyzer.getCodestreamEnd();
        return {begin, std::max(begin, end)};
    }
    case ItemKind::Box: {
        const Box& box = analyzer.getBoxes()[item.id];
        return {box.offset, box.end()};
    }
    case ItemKind::File:
        break;
    }
    return {0, analyzer.getFileSize()};
}

FileItem itemAt(const jpcAnalyzer& analyzer, uint64_t offset)
{
    // The last element that starts at or before the offset; an empty data block yields to the
    // marker at its own offset, which holds the byte.
    if (offset >= analyzer.getCodestreamStart() && offset < analyzer.getCodestreamEnd()) {
        const auto& offsets = analyzer.getMarkerOffsets();
        const auto after = std::upper_bound(offsets.begin(), offsets.end(), offset);
        if (after != offsets.begin())
            return {ItemKind::Element, static_cast<int>(after - offsets.begin()) - 1};
    }
    // Boxes stand in file order, each superbox before its contents, and never overlap otherwise: the
    // innermost box that holds the byte is the last one starting at or before it, or one of its
    // superboxes.
    const auto& boxes = analyzer.getBoxes();
    const auto after = std::upper_bound(boxes.begin(), boxes.end(), offset,
                                        [](uint64_t at, const Box& box) { return at < box.offset; });
    for (int box = static_cast<int>(after - boxes.begin()) - 1; box >= 0; box = boxes[box].parent)
        if (offset < boxes[box].end())
            return {ItemKind::Box, box};
    return {};
}

std::string itemLabel(const jpcAnalyzer& analyzer, FileItem item)
{
    switch (item.kind) {
    case ItemKind::Element:
    case ItemKind::Packet:
        return elementLabel(analyzer, item.id);
    case ItemKind::Box:
        return boxTypeText(analyzer.getBoxes()[item.id].type);
    case ItemKind::File:
        break;
    }
    return {};
}
