#include "engine/headerMarkers.h"
#include "engine/signallingFields.h"

#include <algorithm>

// A JP2 file whose codestream declares HTJ2K in the CAP of its main header is a JPH file (brand
// "jph "); recorded at the file type box.
void jpcAnalyzer::checkHtBrand(ErrorLog& containerLog) const
{
    const auto ftyp = std::find_if(boxes.begin(), boxes.end(),
                                   [](const Box& b) { return b.depth == 0 && b.type == boxTypes::fileType; });
    if (ftyp == boxes.end() || ftyp->contentLength() < 4 || fileImage.be32(ftyp->contentOffset()) != boxType("jp2 "))
        return;
    bool ht = false;
    forEachMainHeaderMarker(*this, [&](const HeaderMarker& m) {
        ht = ht || (m.code == 0x50 && image.contains(uint64_t{m.p} + 4, 4) &&
                    image.be16(uint64_t{m.p} + 2) >= 6 && (image.be32(uint64_t{m.p} + 4) & signalling::htPcapBit));
    });
    if (ht)
        containerLog.record(20123, ftyp->offset);
}
