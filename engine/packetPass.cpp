// The packet pass: every packet header of every tile read and checked, tile by tile in the order
// of their first tile-parts, with a budget of work for the whole stream. Runs after the checks
// across segments and only records.

#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"

void jpcAnalyzer::runPacketPass()
{
    PacketMap map(*this);
    WorkBudget budget(PacketMap::budgetFor(streamEnd - streamStart));
    std::vector<PacketFinding> findings;
    for (uint16_t tile : map.tiles()) {
        findings.clear();
        map.readTile(tile, budget, {}, findings);
        for (const PacketFinding& f : findings)
            errorList.record(f.code, f.position);
    }
}
