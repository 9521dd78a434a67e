#pragma once
// Builds codestreams byte by byte for tests. Segment helpers write the marker, the length (counting
// itself and the parameters) and the parameters; tile-parts get their Psot patched when they end.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

struct SizFields {
    uint16_t Rsiz = 0;
    uint32_t Xsiz = 64, Ysiz = 64, XOsiz = 0, YOsiz = 0;
    uint32_t XTsiz = 64, YTsiz = 64, XTOsiz = 0, YTOsiz = 0;
    uint16_t Csiz = 1;
    uint8_t Ssiz = 7, XRsiz = 1, YRsiz = 1;

    // A row of `tiles` tiles of 64×64.
    static SizFields row(uint32_t tiles)
    {
        SizFields s;
        s.Xsiz = 64 * tiles;
        return s;
    }
};

class StreamBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    StreamBuilder& u8(uint8_t value)
    {
        bytes_.push_back(value);
        return *this;
    }
    StreamBuilder& be16(uint16_t value) { return u8(value >> 8).u8(value & 0xFF); }
    StreamBuilder& be32(uint32_t value) { return be16(value >> 16).be16(value & 0xFFFF); }
    StreamBuilder& raw(std::initializer_list<uint8_t> values)
    {
        bytes_.insert(bytes_.end(), values);
        return *this;
    }
    StreamBuilder& raw(const Bytes& values)
    {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return *this;
    }
    StreamBuilder& fill(size_t count, uint8_t value = 0x11)
    {
        bytes_.insert(bytes_.end(), count, value);
        return *this;
    }

    // A marker with no segment.
    StreamBuilder& marker(uint8_t code) { return u8(0xFF).u8(code); }
    // A marker segment: L = parameters + 2.
    StreamBuilder& segment(uint8_t code, const Bytes& parameters)
    {
        marker(code).be16(static_cast<uint16_t>(parameters.size() + 2));
        return raw(parameters);
    }
    // A segment whose length field is given as is, whatever the parameters.
    StreamBuilder& segmentWithLength(uint8_t code, uint16_t length, const Bytes& parameters)
    {
        marker(code).be16(length);
        return raw(parameters);
    }

    StreamBuilder& soc() { return marker(0x4F); }
    StreamBuilder& sod() { return marker(0x93); }
    StreamBuilder& eoc() { return marker(0xD9); }

    using Siz = SizFields;
    StreamBuilder& siz(const Siz& s = {})
    {
        marker(0x51).be16(static_cast<uint16_t>(38 + 3 * s.Csiz)).be16(s.Rsiz);
        be32(s.Xsiz).be32(s.Ysiz).be32(s.XOsiz).be32(s.YOsiz);
        be32(s.XTsiz).be32(s.YTsiz).be32(s.XTOsiz).be32(s.YTOsiz).be16(s.Csiz);
        for (int i = 0; i < s.Csiz; ++i)
            u8(s.Ssiz).u8(s.XRsiz).u8(s.YRsiz);
        return *this;
    }
    // Scod 0, LRCP, one layer, no component transform, NL 5, 64×64 code-blocks, 5-3 reversible.
    StreamBuilder& cod() { return segment(0x52, {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}); }
    // No quantization, two guard bits, 16 sub-band exponents of 9.
    StreamBuilder& qcd()
    {
        Bytes parameters{0x40};
        parameters.insert(parameters.end(), 16, 0x48);
        return segment(0x5C, parameters);
    }

    // SOT with Lsot 10; Psot is patched by endTilePart.
    StreamBuilder& beginTilePart(uint16_t Isot = 0, uint8_t TPsot = 0, uint8_t TNsot = 1)
    {
        sotAt_ = bytes_.size();
        marker(0x90).be16(10).be16(Isot).be32(0).u8(TPsot).u8(TNsot);
        return *this;
    }
    StreamBuilder& endTilePart() { return patchBe32(sotAt_ + 6, static_cast<uint32_t>(bytes_.size() - sotAt_)); }
    // A whole tile-part: SOT, SOD and `dataBytes` bytes of bit-stream.
    StreamBuilder& tilePart(uint16_t Isot = 0, size_t dataBytes = 16, uint8_t TPsot = 0, uint8_t TNsot = 1)
    {
        return beginTilePart(Isot, TPsot, TNsot).sod().fill(dataBytes).endTilePart();
    }
    // SOT with its Psot as given.
    StreamBuilder& sot(uint32_t Psot, uint16_t Isot = 0, uint16_t Lsot = 10)
    {
        sotAt_ = bytes_.size();
        marker(0x90).be16(Lsot).be16(Isot).be32(Psot).u8(0).u8(1);
        return *this;
    }

    StreamBuilder& patchU8(size_t at, uint8_t value)
    {
        bytes_[at] = value;
        return *this;
    }
    StreamBuilder& patchBe16(size_t at, uint16_t value)
    {
        bytes_[at] = value >> 8;
        bytes_[at + 1] = value & 0xFF;
        return *this;
    }
    StreamBuilder& patchBe32(size_t at, uint32_t value)
    {
        patchBe16(at, value >> 16);
        return patchBe16(at + 2, value & 0xFFFF);
    }

    // SOC, SIZ, COD, QCD: a main header that every rule accepts.
    StreamBuilder& mainHeader(const Siz& s = {}) { return soc().siz(s).cod().qcd(); }
    // The main header, one tile-part and EOC: SOC 0, SIZ 2, COD 45, QCD 59, SOT 80, SOD 92, data 94,
    // EOC 110; 112 bytes.
    static StreamBuilder minimal() { return std::move(StreamBuilder().mainHeader().tilePart().eoc()); }

    size_t size() const { return bytes_.size(); }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    size_t sotAt_ = 0;
};
