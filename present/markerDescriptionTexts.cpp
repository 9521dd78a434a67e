#include "present/markerDescriptionTexts.h"

#include <array>

namespace markerDescriptionDetail {

namespace {

// Excerpts of T.800 Annex A (CPF: of T.814), keyed by the marker's code byte. Each text is the title, the function and usage
// of the marker and, for markers with a segment, one paragraph per segment parameter in segment order.
// Parameter names of five or more letters run straight into their text after the colon.
constexpr std::array kTexts{
    MarkerText{0x4F, R"txt(Start of codestream (SOC)

Function: Marks the beginning of a codestream specified in this Recommendation | International Standard.
Usage: Main header. This is the first marker in the codestream. There shall be only one SOC per codestream.
)txt"},

    MarkerText{0x50, R"txt(Extended capabilities (CAP)

Function: Lists the capabilities, beyond those Rsiz names, that a decoder needs for the codestream: one bit of Pcap for each part of the JPEG 2000 family (ISO/IEC 15444) whose tools the codestream uses, and for each bit set a Ccap word with the details that part defines.
Usage: Main header. Required when bit 14 of Rsiz is set, and absent otherwise. There shall be at most one CAP per codestream.

Lcap: Length of marker segment in bytes (not including the marker). 16 bits; 6 plus 2 for each bit set in Pcap.
Pcap: The parts whose capabilities are used. 32 bits: the ith bit counted from the most significant stands for part i, so 0x00020000 is ISO/IEC 15444-15, the HT block coder (HTJ2K).
Ccapi:Capabilities within part i, a 16-bit word for each bit set in Pcap, in the order of the parts. For HTJ2K: bits 15 and 14 tell which code-blocks use the HT block coder (00 all of them, 10 one coder for each tile-component, 11 both mixed, 01 reserved); bit 13 several HT sets; bit 12 RGN may be used; bit 11 tile-components of different kinds; bits 10 to 6 reserved; bit 5 HT code-blocks with irreversible transforms too; bits 4 to 0 the parameter P of the magnitude bound B: 8 for P 0, 8+P below 20, 4P-49 below 31, 74 for 31.
)txt"},

    MarkerText{0x51, R"txt(Image and tile size (SIZ)

Function: Provides information about the uncompressed image such as the width and height of the reference grid, the width and height of the tiles, the number of components, component bit depth, and the separation of component samples with respect to the reference grid.
Usage: Main header. There shall be one and only one in the main header immediately after the SOC marker segment. There shall be only one SIZ per codestream.

Lsiz: Length of marker segment in bytes (not including the marker). 16 bits; 41 to 49190, that is 38 + 3 * Csiz.
Rsiz: Denotes capabilities that a decoder needs to properly decode the codestream. 16 bits; 0 means only the capabilities of this Recommendation | International Standard.
Xsiz: Width of the reference grid. 32 bits; 1 to 2^32-1.
Ysiz: Height of the reference grid. 32 bits; 1 to 2^32-1.
XOsiz:Horizontal offset from the origin of the reference grid to the left side of the image area. 32 bits; 0 to 2^32-2.
YOsiz:Vertical offset from the origin of the reference grid to the top side of the image area. 32 bits; 0 to 2^32-2.
XTsiz:Width of one reference tile with respect to the reference grid. 32 bits; 1 to 2^32-1.
YTsiz:Height of one reference tile with respect to the reference grid. 32 bits; 1 to 2^32-1.
XTOsiz:Horizontal offset from the origin of the reference grid to the left side of the first tile. 32 bits; 0 to 2^32-2.
YTOsiz:Vertical offset from the origin of the reference grid to the top side of the first tile. 32 bits; 0 to 2^32-2.
Csiz: Number of components in the image. 16 bits; 1 to 16384.
Ssizi:Precision (depth) in bits and sign of the ith component samples, one for each component. 8 bits: the low seven bits plus one give the depth, 1 to 38 bits; the high bit is 1 for signed values.
XRsizi:Horizontal separation of a sample of the ith component with respect to the reference grid, one for each component. 8 bits; 1 to 255.
YRsizi:Vertical separation of a sample of the ith component with respect to the reference grid, one for each component. 8 bits; 1 to 255.
)txt"},

    MarkerText{0x52, R"txt(Coding style default (COD)

Function: Describes the coding style, number of decomposition levels, and layering that is the default used for compressing all components of an image (if in the main header) or a tile (if in a tile-part header). The parameter values can be overridden for an individual component by a COC marker segment in either the main or tile-part header.
Usage: Main and first tile-part header of a given tile. Shall be one and only one in the main header. Additionally, there may be at most one for each tile. If there are multiple tile-parts in a tile, and this marker segment is present, it shall be found only in the first tile-part (TPsot = 0). When used in the main header, the COD values are used for all tile-components without a corresponding COC marker segment. When used in the tile-part header it overrides the main COD and COCs for all components in that tile without a COC in the tile-part. Hence, the order of precedence is the following:
Tile-part COC > Tile-part COD > Main COC > Main COD
where the “greater than” sign, >, means that the greater overrides the lesser marker segment.

Lcod: Length of marker segment in bytes (not including the marker). 16 bits; 12 to 45.
Scod: Coding style for all components. 8 bits: bit 0, precincts defined below (else PPx = PPy = 15); bit 1, SOP marker segments may be used; bit 2, EPH markers used. Then progression order (8 bits), number of layers (16 bits) and multiple component transformation (8 bits).
SPcodi:Parameters for the coding style in Scod, for all components: decomposition levels (8 bits; 0 to 32), code-block width and height exponents (8 bits each; 0 to 8), code-block style (8 bits), transformation (8 bits; 0 is 9-7 irreversible, 1 is 5-3 reversible) and, if Scod defines precincts, one byte per resolution level (PPx low, PPy high four bits).
)txt"},

    MarkerText{0x53, R"txt(Coding style component (COC)

Function: Describes the coding style and number of decomposition levels used for compressing a particular component.
Usage: Main and first tile-part header of a given tile. Optional in both the main and tile-part headers. No more than one COC per any given component may be present in either the main or tile-part headers. If there are multiple tile-parts in a tile, and this marker segment is present, it shall be found only in the first tile-part (TPsot = 0). When used in the main header it overrides the main COD marker segment for the specific component. When used in the tile-part header it overrides the main COD, main COC, and tile COD for the specific component. Hence, the order of precedence is the following:
Tile-part COC > Tile-part COD > Main COC > Main COD
where the “greater than” sign, >, means that the greater overrides the lesser marker segment.

Lcoc: Length of marker segment in bytes (not including the marker). 16 bits; 9 to 43 if Csiz < 257, 10 to 44 otherwise.
Ccoc: The index of the component to which this marker segment relates. The components are indexed 0, 1, 2, etc. 8 bits (0 to 255) if Csiz < 257, 16 bits (0 to 16383) otherwise.
Scoc: Coding style for this component. 8 bits: bit 0 set means precincts are defined below, otherwise PPx = PPy = 15.
SPcoci:Parameters for the coding style designated in Scoc, relating to the component given by Ccoc: number of decomposition levels, code-block width and height, code-block style, wavelet transformation and precinct sizes, as in the COD marker segment.
)txt"},

    MarkerText{0x55, R"txt(Tile-part lengths, main header (TLM)

Function: Describes the length of every tile-part in the codestream. Each tile-part’s length is measured from the first byte of the SOT marker segment to the end of the data of that tile-part. The value of each individual tile-part length in the TLM marker segment is the same as the value in the corresponding Psot in the SOT marker segment.
Usage: Main header. Optional use in the main header only. There may be multiple TLM marker segments in the main header.

Ltlm: Length of marker segment in bytes (not including the marker). 16 bits; 6 to 65535.
Ztlm: Index of this marker segment relative to all other TLM marker segments present in the current header. The sequence of (Ttlm, Ptlm) pairs from this marker segment is concatenated, in order of increasing Ztlm, with the sequences of pairs from the other marker segments. 8 bits; 0 to 255.
Stlm: Size of the Ttlm and Ptlm parameters. 8 bits: ST in bits 4 and 5 gives Ttlm as 0, 8 or 16 bits; SP in bit 6 gives Ptlm as 16 (0) or 32 (1) bits.
Ttlmi:Tile index of the ith tile-part. Absent when ST is 0, in which case the tiles are in index order with one tile-part each. 8 bits (0 to 254) or 16 bits (0 to 65534).
Ptlmi:Length, in bytes, from the beginning of the SOT marker of the ith tile-part to the end of the data for that tile-part. 16 bits (14 to 65535) or 32 bits (14 to 2^32-1).
)txt"},

    MarkerText{0x56, R"txt(Profile (PRF)

Function: Gives the profile of the codestream where it lies beyond the values that the profile field of Rsiz can hold; that field then holds 4095 (0x0FFF).
Usage: Main header. Required when the profile field of Rsiz is 4095, and absent otherwise. There shall be at most one PRF per codestream.

Lprf: Length of marker segment in bytes (not including the marker). 16 bits; 4 or more, even.
Pprfi:The ith 16-bit word of the profile number PRFnum = 4095 + the sum of Pprfi times 2^(16(i-1)), the least significant word first. The last word is not 0, so PRFnum is above 4095.
)txt"},

    MarkerText{0x57, R"txt(Packet length, main header (PLM)

Function: A list of packet lengths in the tile-parts for every tile-part in order.
Usage: Main header. Optional in the main header. There may be multiple PLM marker segments. Both the PLM and PLT marker segments may be used together, or separately, to indicate the packet lengths.

Lplm: Length of marker segment in bytes (not including the marker). 16 bits; 4 to 65535.
Zplm: Index of this marker segment relative to all other PLM marker segments present in the current header. The sequence of (Nplm, Iplm) parameters from this marker segment is concatenated, in order of increasing Zplm, with the sequences of parameters from the other marker segments. 8 bits; 0 to 255.
Nplmi:Number of bytes of Iplm information for the ith tile-part in the order found in the codestream. One value for each tile-part. 8 bits; 0 to 255.
Iplmij:Length of the jth packet in the ith tile-part, including packet header and packet data. Variable: seven bits per byte, most significant first, the high bit set in every byte but the last.
)txt"},

    MarkerText{0x58, R"txt(Packets length, tile-part header (PLT)

Function: A list of packet lengths in the tile-part.
Usage: Tile-part headers. Optional in tile-part headers. There may be multiple PLT marker segments in a tile-part header. Both the PLM and PLT marker segments may be used together, or separately, to indicate the packet lengths.

Lplt: Length of marker segment in bytes (not including the marker). 16 bits; 4 to 65535.
Zplt: Index of this marker segment relative to all other PLT marker segments present in the current header. 8 bits; 0 to 255.
Iplmi:Length of the ith packet, including packet header and packet data. Variable: seven bits per byte, most significant first, the high bit set in every byte but the last.
)txt"},

    MarkerText{0x59, R"txt(Corresponding profile (CPF)

Function: Names the profile of the corresponding codestream: the one obtained when every code-block of this codestream is coded again with the block coder of ITU-T T.800 | ISO/IEC 15444-1. A codestream of HT code-blocks cannot carry that profile in Rsiz itself.
Usage: Main header. Optional. There shall be at most one CPF per codestream.

Lcpf: Length of marker segment in bytes (not including the marker). 16 bits; 4 or more, even.
Pcpfi:The ith 16-bit word of the number CPFnum = the sum of Pcpfi times 2^(16(i-1)), less 1, the least significant word first. The last word is not 0. CPFnum numbers the profile of the corresponding codestream as the profile field of Rsiz does, and above 4095 as PRFnum does.
)txt"},

    MarkerText{0x5C, R"txt(Quantization default (QCD)

Function: Describes the quantization default used for compressing all components not defined by a QCC marker segment. The parameter values can be overridden for an individual component by a QCC marker segment in either the main or tile-part header.
Usage: Main and first tile-part header of a given tile. Shall be one and only one in the main header. May be at most one for all tile-part headers of a tile. If there are multiple tile-parts in a tile, and this marker segment is present, it shall be found only in the first tile-part (TPsot = 0). When used in the main header, the QCD parameter values are used for all tile-components without a corresponding QCC marker segment. When used in the tile-part header it overrides the main QCD and QCCs for all components in that tile without a QCC in the tile-part. Hence, the order of precedence is the following:
Tile-part QCC > Tile-part QCD > Main QCC > Main QCD
where the “greater than” sign, >, means that the greater overrides the lesser marker segment.

Lqcd: Length of marker segment in bytes (not including the marker). 16 bits; 4 to 197.
Sqcd: Quantization style for all components. 8 bits: the low five bits give no quantization (0), scalar derived (1) or scalar expounded (2); the high three bits give the number of guard bits, 0 to 7.
SPqcdi:Quantization step size value for the ith sub-band in the defined order. 8 bits (exponent in the high five bits) without quantization; 16 bits (exponent in the high five, mantissa in the low eleven bits) with it.
)txt"},

    MarkerText{0x5D, R"txt(Quantization component (QCC)

Function: Describes the quantization used for compressing a particular component.
Usage: Main and first tile-part header of a given tile. Optional in both the main and tile-part headers. No more than one QCC per any given component may be present in either the main or tile-part headers. If there are multiple tile-parts in a tile, and this marker segment is present, it shall be found only in the first tile-part (TPsot = 0). When used in the main header it overrides the main QCD marker segment for the specific component. When used in the tile-part header it overrides the main QCD, main QCC, and tile QCD for the specific component. Hence, the order of precedence is the following:
Tile-part QCC > Tile-part QCD > Main QCC > Main QCD
where the “greater than” sign, >, means that the greater overrides the lesser marker segment.

Lqcc: Length of marker segment in bytes (not including the marker). 16 bits; 5 to 199.
Cqcc: The index of the component to which this marker segment relates. The components are indexed 0, 1, 2, etc. 8 bits (0 to 255) if Csiz < 257, 16 bits (0 to 16383) otherwise.
Sqcc: Quantization style for this component. 8 bits: the low five bits give no quantization (0), scalar derived (1) or scalar expounded (2); the high three bits give the number of guard bits, 0 to 7.
SPqcci:Quantization value for each sub-band in the defined order. The number of parameters is the same as the number of sub-bands in the tile-component. Without quantization, 8 bits with the exponent in the high five bits; with quantization, 16 bits with the exponent in the high five bits and the mantissa in the low eleven bits.
)txt"},

    MarkerText{0x5E, R"txt(Region-of-interest (RGN)

Function: Signals the presence of an ROI in the codestream.
Usage: Main and first tile-part header of a given tile. If used in the main header it refers to the ROI scaling value for one component in the whole image, valid for all tiles except those with an RGN marker segment. When used in the tile-part header the scaling value is valid only for one component in that tile. There may be at most one RGN marker segment for each component in either the main or tile-part headers. If there are multiple tile-parts in a tile, and this marker segment is present, it shall be found only in the first tile-part (TPsot = 0).

Lrgn: Length of marker segment in bytes (not including the marker). 16 bits; 5 if Csiz < 257, 6 otherwise.
Crgn: The index of the component to which this marker segment relates. The components are indexed 0, 1, 2, etc. 8 bits (0 to 255) if Csiz < 257, 16 bits (0 to 16383) otherwise.
Srgn: ROI style for the current ROI. 8 bits; 0 is implicit ROI (maximum shift), other values are reserved.
SPrgn:Parameter for the ROI style designated in Srgn. For implicit ROI, the binary shifting of the ROI coefficients above the background. 8 bits; 0 to 255.
)txt"},

    MarkerText{0x5F, R"txt(Progression order change, default (POD)

Function: Describes the bounds and progression order for any progression order other than the default in the codestream.
Usage: Main and tile-part headers. At most one POD marker segment may appear in any header. However, several progressions can be described with one POD marker segment. If a POD marker segment is used in the main header, it overrides the progression order in the main and tile COD marker segments. If a POD is used to describe the progression of a particular tile, a POD marker segment must be found in the first tile-part of that tile. Thus, a POD in the main header describes the progression for all tiles, and a POD in a tile-part header overrides the main POD for that tile. The progressions are applied in the order in which they appear in the segment. Packets that have already been included in the codestream are not included again. Hence, the order of precedence is the following:
Tile-part POD > Main POD > Tile-part COD > Main COD

Lpod: Length of marker segment in bytes (not including the marker). 16 bits; 9 to 65535. Each progression takes 7 bytes if Csiz < 257 and 9 bytes otherwise, so the number of progressions described is (Lpod - 2) / 7 or (Lpod - 2) / 9.
RSpodi:Resolution level index (inclusive) for the start of a progression. One value for each progression change in this tile or tile-part. The number of progression changes can be derived from the length of the marker segment. 8 bits; 0 to 32.
CSpodi:Component index (inclusive) for the start of a progression. The components are indexed 0, 1, 2, etc. One value for each progression change in this tile or tile-part. 8 bits (0 to 255) if Csiz < 257, 16 bits (0 to 16383) otherwise.
LYEpodi:Layer index (exclusive) for the end of a progression. The layer index always starts at zero for every progression. Packets that have already been included in the codestream are not included again. One value for each progression change in this tile or tile-part. 16 bits; 1 to 65535.
REpodi:Resolution level index (exclusive) for the end of a progression. One value for each progression change in this tile or tile-part. 8 bits; (RSpod + 1) to 33.
CEpodi:Component index (exclusive) for the end of a progression. The components are indexed 0, 1, 2, etc. One value for each progression change in this tile or tile-part. 8 bits ((CSpod + 1) to 255, 0 meaning 256) if Csiz < 257, 16 bits ((CSpod + 1) to 16384) otherwise.
Ppod: Progression order. One value for each progression change in this tile or tile-part. 8 bits: 0 is layer-resolution level-component-position, 1 is resolution level-layer-component-position, 2 is resolution level-position-component-layer, 3 is position-component-resolution level-layer and 4 is component-position-resolution level-layer; other values are reserved.
)txt"},

    MarkerText{0x60, R"txt(Packed packet headers, main header (PPM)

Function: A collection of the packet headers from all tiles.
Usage: Main header. Optional in the main header, may not be used if there are PPT marker segments in the codestream. There may be multiple PPM marker segments in the main header. When PPM marker segments are used, the packet headers of every tile-part are carried here instead of in the bit stream, and none of them appear in the packets themselves. The headers are listed tile-part by tile-part, in the order in which the tile-parts appear in the codestream, each list preceded by its length in bytes.

Lppm: Length of marker segment in bytes (not including the marker). 16 bits; 7 to 65535.
Zppm: Index of this marker segment relative to all other PPM marker segments present in the main header. The data from all PPM marker segments is concatenated, in order of increasing Zppm, into one series of (Nppm, Ippm) groups; a group may continue into the next marker segment. 8 bits; 0 to 255.
Nppmi:Number of bytes of Ippm information for the ith tile-part in the order found in the codestream. One value for each tile-part (not tile). 32 bits; 0 to 2^32-1.
Ippmij:Packet header for every packet in order in the tile-part. The component number, layer, and resolution level are determined from the method of progression or the POD. The contents are exactly the packet header which would have been distributed in the bit stream as described in Annex B. Variable length.
)txt"},

    MarkerText{0x61, R"txt(Packed packet headers, tile-part header (PPT)

Function: A collection of the packet headers from one tile or tile-part.
Usage: Tile-part headers. May be used in the tile-part headers of a tile if there are no PPM marker segments in the main header. There may be multiple PPT marker segments in a tile-part header. When PPT marker segments are used in a tile, the tile-part’s packet headers are carried in them instead of in the bit stream, and the packets of that tile hold packet data only. The headers are listed in the order in which the packets appear in the tile-part, so that each packet header can be matched with its packet data.

Lppt: Length of marker segment in bytes (not including the marker). 16 bits; 4 to 65535.
Zppt: Index of this marker segment relative to all other PPT marker segments present in the current header. The sequence of Ippt parameters from this marker segment is concatenated, in order of increasing Zppt, with the sequences of parameters from the other marker segments. 8 bits; 0 to 255.
Ippti:Packet header for every packet in order in the tile-part. The component number, layer, and resolution level are determined from the method of progression or the POD. The contents are exactly the packet header which would have been distributed in the bit stream as described in Annex B. Variable length.
)txt"},

    MarkerText{0x64, R"txt(Comment and extension (CME)

Function: Allows unstructured data in the header.
Usage: Main and tile-part headers. Repeatable as many times as desired in either or both headers.

Lcme: Length of marker segment in bytes (not including the marker); 16 bits.
Rcme: Registration value of the marker segment; 16 bits: 0 binary, 1 Latin text.
Ccmei:Unstructured data; 8 bits each.
)txt"},

    MarkerText{0x90, R"txt(Start of tile-part (SOT)

Function: Marks the beginning of a tile-part, the index of its tile, and the index of its tile-part. The tile-parts of a given tile shall appear in order (see TPsot) in the codestream. However, tile-parts from other tiles may be interleaved in the codestream. Therefore, tile-parts from a given tile may not appear contiguously in the codestream.
Usage: Every tile-part header. Shall be the first marker segment in a tile-part header. There shall be at least one SOT in a codestream. There shall be only one SOT per tile-part.

Lsot: Length of marker segment in bytes (not including the marker). 16 bits; the value of this parameter is fixed at 10.
Isot: Tile index. This number refers to the tiles in raster order starting at the number 0. 16 bits; 0 to 65534.
Psot: Length, in bytes, from the beginning of the first byte of this SOT marker segment of the tile-part to the end of the data of that tile-part. Only the last tile-part in the codestream may contain a 0 for Psot; it then contains all data until the EOC marker. 32 bits; 0 or 14 to 2^32-1.
TPsot:Tile-part index. There is a specific order required for decoding tile-parts; this index denotes the order from 0. If there is only one tile-part for a tile, then this value is zero. 8 bits; 0 to 254.
TNsot:Number of tile-parts of a tile in the codestream. Two values are allowed: the correct number of tile-parts for that tile and zero, which means that the number is not specified in this tile-part. 8 bits; 0 or 1 to 255.
)txt"},

    MarkerText{0x93, R"txt(Start of data (SOD)

Function: Indicates the beginning of bit stream data for the current tile-part. The SOD also indicates the end of a tile-part header.
Usage: Every tile-part header. Shall be the last marker in a tile-part header. Bit stream data between an SOD and the next SOT or EOC (end of codestream) shall be a multiple of 8 bits; the codec pads with bits as needed. There shall be one SOD per tile-part.
)txt"},

    MarkerText{0xD9, R"txt(End of codestream (EOC)

Function: Indicates the end of the codestream.
NOTE — This marker shares the same code as the EOI marker in Rec. ITU-T T.81 | ISO/IEC 10918-1.
Usage: Shall be the last marker in a codestream. There shall be one EOC per codestream.
)txt"},
};

} // namespace

std::span<const MarkerText> markerTexts()
{
    return kTexts;
}

} // namespace markerDescriptionDetail
