// The structural rules applied at each position the walk reaches: is there a marker, and may it
// stand where it stands (first in the stream, in the main header, in a tile-part header).

#include "engine/jpcAnalyzer.h"

namespace {

[[noreturn]] void raise(int code) { throw jpcAnalyzerException{code}; }

}  // namespace

void jpcAnalyzer::checkMarker(uint64_t p)
{
    if (p >= streamEnd)
        raise(7);
    if (image.u8(p) != 0xFF)
        raise(1);
    if (p + 1 >= streamEnd)
        raise(7);
    const uint8_t code = image.u8(p + 1);
    // Counters are increased before they are compared, so a failing marker still counts.
    switch (code) {
    case 0x4F:  // SOC
        if (previousMarker != -1)
            raise(2);
        break;
    case 0x51:  // SIZ
        if (previousMarker != 0x4F)
            raise(3);
        if (image.be16(p + 2) < 41)
            raise(5);
        break;
    case 0x52:  // COD
        if (++codCount > 1)
            raise(1001);
        break;
    case 0x53:  // COC
        ++cocCount;
        if (cocCount > mainCsiz())
            raise(1004);
        break;
    case 0x55:  // TLM
        if (inTilePartHeader)
            raise(1006);
        break;
    case 0x57:  // PLM
        if (inTilePartHeader)
            raise(1007);
        break;
    case 0x58:  // PLT
        if (!inTilePartHeader)
            raise(1013);
        break;
    case 0x5C:  // QCD
        if (++qcdCount > 1)
            raise(1002);
        break;
    case 0x5D:  // QCC
        ++qccCount;
        if (qccCount > mainCsiz())
            raise(1005);
        break;
    case 0x5E:  // RGN
        ++rgnCount;
        if (rgnCount > mainCsiz())
            raise(1010);
        break;
    case 0x5F:  // POD
        if (podSeen)
            raise(1009);
        podSeen = true;
        break;
    case 0x60:  // PPM
        if (inTilePartHeader)
            raise(1008);
        ppmSeen = true;
        break;
    case 0x61:  // PPT
        if (!inTilePartHeader)
            raise(1011);
        if (ppmSeen)
            raise(1012);
        break;
    case 0x63:  // CRG
    case 0x64:  // COM
        break;
    case 0x90:
        checkSot(p);
        break;
    case 0x93:  // SOD
        if (!inTilePartHeader)
            raise(4);
        pendingDataEntry = true;
        inTilePartHeader = false;
        break;
    case 0xD9:  // EOC
        eocSeen = true;
        break;
    default:
        // Not a marker these rules know: stepped over by its length, reported by the field checks.
        return;
    }
    previousMarker = code;
}

void jpcAnalyzer::checkSot(uint64_t p)
{
    if (image.be16(p + 2) < 8)
        raise(6);
    if (!mainHeaderDone) {
        // The main header ends here; COD and QCD are required in it.
        if (codCount == 0) {
            errorList.record(1015, p);
            if (status == statusClean)
                status = statusErrors;
        }
        if (qcdCount == 0) {
            errorList.record(1016, p);
            if (status == statusClean)
                status = statusErrors;
        }
    }
    ++tilePartCount;
    cocCount = qccCount = codCount = qcdCount = rgnCount = 0;
    podSeen = false;
    mainHeaderDone = true;
    inTilePartHeader = true;
}
