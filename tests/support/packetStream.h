#pragma once
// Codestreams whose packets are written bit by bit: an 8×8 image of one component without
// decomposition and with 64×64 code-blocks, so that each packet holds the one code-block of the LL
// band and its header is a handful of bits.

#include "support/streamBuilder.h"

#include <cstdint>
#include <vector>

// Packs header bits as an encoder does: most significant first, seven bits in a byte after 0xFF, the
// last byte padded with zeros (and followed by one more when it is 0xFF).
class HeaderBits {
public:
    HeaderBits& bits(uint32_t value, int count)
    {
        while (count-- > 0) {
            current_ = static_cast<uint8_t>(current_ << 1 | ((value >> count) & 1));
            if (++filled_ == capacity())
                flush();
        }
        return *this;
    }
    StreamBuilder::Bytes bytes()
    {
        if (filled_ > 0) {
            current_ = static_cast<uint8_t>(current_ << (capacity() - filled_));
            flush();
        }
        if (!out_.empty() && out_.back() == 0xFF)
            out_.push_back(0x00);
        return out_;
    }

private:
    int capacity() const { return !out_.empty() && out_.back() == 0xFF ? 7 : 8; }
    void flush()
    {
        out_.push_back(current_);
        current_ = 0;
        filled_ = 0;
    }
    StreamBuilder::Bytes out_;
    uint8_t current_ = 0;
    int filled_ = 0;
};

// The header of a packet whose code-block is included for the first time, at layer 0: inclusion and
// zero bit-planes from 1×1 tag trees, the pass count (1 or 2), no Lblock increment, the length.
inline StreamBuilder::Bytes firstContribution(uint32_t zeroBitPlanes, uint32_t passes, uint32_t length)
{
    HeaderBits h;
    h.bits(1, 1).bits(1, 1).bits(0, zeroBitPlanes).bits(1, 1);
    h.bits(passes == 1 ? 0 : 2, passes == 1 ? 1 : 2).bits(0, 1).bits(length, passes == 1 ? 3 : 4);
    return h.bytes();
}

struct TinyStream {
    uint8_t Scod = 0;
    uint16_t layers = 1;
    uint8_t style = 0;                // code-block style
    uint8_t guardBits = 2, exponent = 8;  // QCD, no quantization
    std::vector<StreamBuilder::Bytes> mainSegments = {};  // whole segments after QCD
    std::vector<StreamBuilder::Bytes> tileSegments = {};  // whole segments after SOT
    StreamBuilder::Bytes data = {};

    StreamBuilder::Bytes bytes() const
    {
        StreamBuilder b;
        b.soc().siz({.Xsiz = 8, .Ysiz = 8, .XTsiz = 8, .YTsiz = 8});
        b.segment(0x52, {Scod, 0x00, uint8_t(layers >> 8), uint8_t(layers), 0x00, 0x00, 0x04, 0x04, style, 0x01});
        b.segment(0x5C, {uint8_t(guardBits << 5), uint8_t(exponent << 3)});
        for (const auto& s : mainSegments)
            b.raw(s);
        b.beginTilePart();
        for (const auto& s : tileSegments)
            b.raw(s);
        return b.sod().raw(data).endTilePart().eoc().bytes();
    }
};

inline StreamBuilder::Bytes joined(std::initializer_list<StreamBuilder::Bytes> parts)
{
    StreamBuilder::Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A whole segment: marker, length, parameters.
inline StreamBuilder::Bytes segmentBytes(uint8_t code, const StreamBuilder::Bytes& parameters)
{
    return StreamBuilder().segment(code, parameters).bytes();
}
