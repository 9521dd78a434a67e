#pragma once
// The markers of an analysed codestream in file order, each with the header it stands in: the main
// header until the first SOT, then the tile-part headers (and SOD and EOC). Data blocks are left out.

#include "engine/jpcAnalyzer.h"

struct HeaderMarker {
    uint32_t p;  // offset of its 0xFF byte
    uint8_t code;
    bool inMainHeader;
};

template <class Visit>
void forEachHeaderMarker(const jpcAnalyzer& a, Visit&& visit)
{
    const auto& offsets = a.getMarkerOffsets();
    const ByteImage& image = a.getImage();
    bool inMainHeader = true;
    for (size_t i = 0; i < offsets.size(); ++i) {
        if (!a.isMarker(static_cast<int>(i)))
            continue;
        const uint8_t code = image.u8(uint64_t{offsets[i]} + 1);
        inMainHeader = inMainHeader && code != 0x90;
        visit(HeaderMarker{offsets[i], code, inMainHeader});
    }
}

// The markers before the first SOT.
template <class Visit>
void forEachMainHeaderMarker(const jpcAnalyzer& a, Visit&& visit)
{
    const auto& offsets = a.getMarkerOffsets();
    for (size_t i = 0; i < offsets.size() && a.isMarker(static_cast<int>(i)); ++i) {
        const uint8_t code = a.getImage().u8(uint64_t{offsets[i]} + 1);
        if (code == 0x90)
            return;
        visit(HeaderMarker{offsets[i], code, true});
    }
}
