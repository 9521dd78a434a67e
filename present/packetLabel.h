#pragma once
// The label of a packet under its data block, in the tree of the window and of the checker:
// "pakiet w1 r2 k0 p3" for layer 1, resolution level 2, component 0, precinct 3.

#include "engine/packetTile.h"

#include <string>

std::string packetLabel(const Packet& packet);
