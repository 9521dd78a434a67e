#pragma once
// Builds JP2-family files byte by byte for tests and seeds: boxes with their LBox written from their
// contents, superboxes closed over what was written inside them, and the boxes of a small JP2 file.

#include "support/streamBuilder.h"

#include <cstdint>
#include <string>
#include <vector>

struct ImageHeaderFields {
    uint32_t HEIGHT = 64, WIDTH = 64;
    uint16_t NC = 1;
    uint8_t BPC = 7, C = 7, UnkC = 0, IPR = 0;
};

class BoxBuilder {
public:
    using Bytes = StreamBuilder::Bytes;

    // A box of the given contents; its type is four characters.
    BoxBuilder& box(const std::string& type, const Bytes& contents)
    {
        be32(static_cast<uint32_t>(contents.size() + 8)).chars(type);
        bytes_.insert(bytes_.end(), contents.begin(), contents.end());
        return *this;
    }
    // A box with LBox as given, whatever the contents.
    BoxBuilder& boxWithLength(uint32_t LBox, const std::string& type, const Bytes& contents = {})
    {
        be32(LBox).chars(type);
        bytes_.insert(bytes_.end(), contents.begin(), contents.end());
        return *this;
    }
    // A box with LBox 1 and its length in XLBox.
    BoxBuilder& longBox(const std::string& type, const Bytes& contents)
    {
        be32(1).chars(type).be32(0).be32(static_cast<uint32_t>(contents.size() + 16));
        bytes_.insert(bytes_.end(), contents.begin(), contents.end());
        return *this;
    }
    // A superbox: its LBox is written by end().
    BoxBuilder& begin(const std::string& type)
    {
        open_.push_back(bytes_.size());
        return be32(0).chars(type);
    }
    BoxBuilder& end()
    {
        const size_t at = open_.back();
        open_.pop_back();
        const auto length = static_cast<uint32_t>(bytes_.size() - at);
        for (int k = 0; k < 4; ++k)
            bytes_[at + k] = static_cast<uint8_t>(length >> (24 - 8 * k));
        return *this;
    }
    BoxBuilder& raw(const Bytes& values)
    {
        bytes_.insert(bytes_.end(), values.begin(), values.end());
        return *this;
    }

    BoxBuilder& signature() { return box("jP  ", {0x0D, 0x0A, 0x87, 0x0A}); }
    BoxBuilder& fileType(const std::string& brand = "jp2 ", const std::vector<std::string>& compatible = {"jp2 "})
    {
        Bytes contents = fourChars(brand);
        contents.insert(contents.end(), 4, 0x00);  // MinV
        for (const std::string& entry : compatible) {
            const Bytes b = fourChars(entry);
            contents.insert(contents.end(), b.begin(), b.end());
        }
        return box("ftyp", contents);
    }
    BoxBuilder& imageHeader(const ImageHeaderFields& f = {})
    {
        return box("ihdr", {byte(f.HEIGHT >> 24), byte(f.HEIGHT >> 16), byte(f.HEIGHT >> 8), byte(f.HEIGHT),
                            byte(f.WIDTH >> 24), byte(f.WIDTH >> 16), byte(f.WIDTH >> 8), byte(f.WIDTH),
                            byte(f.NC >> 8), byte(f.NC), f.BPC, f.C, f.UnkC, f.IPR});
    }
    // METH 1 with an enumerated colour space (17: greyscale).
    BoxBuilder& colour(uint32_t EnumCS = 17)
    {
        return box("colr", {0x01, 0x00, 0x00, byte(EnumCS >> 24), byte(EnumCS >> 16), byte(EnumCS >> 8), byte(EnumCS)});
    }
    BoxBuilder& codestream(const Bytes& stream) { return box("jp2c", stream); }

    // Signature, file type, and a JP2 header of a 64×64 grey image of 8 bits: 77 bytes, so that a
    // codestream box that follows holds its codestream from offset 85.
    BoxBuilder& jp2Head(const ImageHeaderFields& f = {})
    {
        return signature().fileType().begin("jp2h").imageHeader(f).colour().end();
    }

    size_t size() const { return bytes_.size(); }
    const Bytes& bytes() const { return bytes_; }

    static Bytes fourChars(const std::string& type) { return Bytes(type.begin(), type.begin() + 4); }

private:
    static uint8_t byte(uint32_t value) { return static_cast<uint8_t>(value); }
    BoxBuilder& be32(uint32_t value)
    {
        for (int k = 0; k < 4; ++k)
            bytes_.push_back(byte(value >> (24 - 8 * k)));
        return *this;
    }
    BoxBuilder& chars(const std::string& type)
    {
        const Bytes b = fourChars(type);
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }

    Bytes bytes_;
    std::vector<size_t> open_;
};

// The codestream offsets of a JP2 file built on jp2Head(): its codestream starts here.
constexpr uint32_t jp2StreamStart = 85;

// The minimal one-tile codestream of the stream builder (112 bytes, elements at 0 … 110) in a JP2 file.
inline BoxBuilder minimalJp2(const ImageHeaderFields& f = {})
{
    BoxBuilder b;
    b.jp2Head(f).codestream(StreamBuilder().mainHeader().tilePart().eoc().bytes());
    return b;
}
