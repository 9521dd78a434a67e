#pragma once
// The codes of the packet pass, each recorded at the SOP, packet, PLT or PLM entry it concerns.

namespace packetFault {
constexpr int sopLength = 12101;           // Lsop is not 4
constexpr int sopNumber = 12102;           // Nsop is not the packet's number in its tile (mod 65536)
constexpr int ephMissing = 12103;          // Scod asks for EPH after every packet header
constexpr int headerPastData = 12104;      // a packet header runs past its tile-part's data
constexpr int bodyPastData = 12105;        // a packet body runs past its tile-part's data
constexpr int bytesAfterPackets = 12106;   // a tile-part holds bytes after its last packet
constexpr int tileEndsEarly = 12107;       // a tile's data ends before all its packets
constexpr int tooManyPasses = 12108;       // more coding passes than the code-block's bit-planes allow
constexpr int pltMismatch = 12109;         // a PLT length differs from its packet, or PLT and packets differ in number
constexpr int plmMismatch = 12110;         // the same for PLM
constexpr int packedHeadersShort = 12111;  // the PPM or PPT headers run out before the packets
constexpr int unsupported = 12112;         // the tile uses coding the packet map does not follow
constexpr int unusableCoding = 12113;      // the tile's coding parameters are broken or missing
constexpr int tooLarge = 12114;            // the tile exceeds the bounds on work and memory
constexpr int headerUnreadable = 12115;    // a packet header holds a marker or values out of range
}  // namespace packetFault
