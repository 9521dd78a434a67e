#include "present/packetLabel.h"

std::string packetLabel(const Packet& packet)
{
    return "pakiet w" + std::to_string(packet.layer) + " r" + std::to_string(packet.resolution) + " k" +
           std::to_string(packet.component) + " p" + std::to_string(packet.precinct);
}
