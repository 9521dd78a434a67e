#pragma once
// The text of a packet in the detail pane, in the manner of the element texts: what the packet
// stands for, where its SOP, header, EPH and body lie, and what each code-block of its precinct
// contributes to it. Lines that show bytes record them: a code-block's lines, its bytes in the body.

#include "engine/packetHeader.h"
#include "engine/packetTile.h"
#include "present/elementText.h"

#include <cstdint>
#include <vector>

// `index`: the packet's number in its tile's order. `codeBlocks` in header order, as the packet
// map gives them; none when the header could not be read again.
ElementText buildPacketText(const Packet& packet, uint16_t tile, uint32_t index,
                            const std::vector<CodeBlockContribution>& codeBlocks);
