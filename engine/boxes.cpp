#include "engine/boxes.h"

#include <cstdio>

std::string containerName(ContainerKind kind)
{
    switch (kind) {
    case ContainerKind::jp2:
        return "jp2";
    case ContainerKind::jph:
        return "jph";
    case ContainerKind::jpx:
        return "jpx";
    default:
        return {};
    }
}

std::string boxTypeText(uint32_t type)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<uint8_t>(type >> shift);
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
        text += escaped;
    }
    return text;
}

std::vector<int> childrenOf(const std::vector<Box>& boxes, int parent)
{
    std::vector<int> children;
    // The table is in file order with each superbox before its contents, which end at the first box
    // that is not deeper.
    for (size_t i = parent + 1; i < boxes.size() && boxes[i].depth > boxes[parent].depth; ++i)
        if (boxes[i].parent == parent)
            children.push_back(static_cast<int>(i));
    return children;
}
