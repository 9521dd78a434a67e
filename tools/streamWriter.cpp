#include "tools/streamWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr uint32_t tlmPairSize = 6;  // 16-bit Ttlm, 32-bit Ptlm
constexpr uint64_t tlmPairsPerSegment = (65535 - 4) / tlmPairSize;
constexpr uint32_t tileSide = 64;
// SOC, SIZ (one component), COD, QCD.
constexpr uint64_t mainHeaderBytes = 2 + (2 + 41) + (2 + 12) + (2 + 19);
// Signature, file type, JP2 header (image header and colour), and the codestream box's header.
constexpr uint64_t jp2HeadBytes = 12 + 20 + (8 + 22 + 15) + 8;

uint32_t varLengthBytes(uint64_t value)
{
    uint32_t bytes = 1;
    while (value >>= 7)
        ++bytes;
    return bytes;
}

// The data of a tile-part split into `packets` lengths, the first ones one byte longer.
uint64_t packetLength(const StreamShape& shape, uint32_t index)
{
    return shape.dataBytes / shape.packets + (index < shape.dataBytes % shape.packets ? 1 : 0);
}

uint64_t pltLengthField(const StreamShape& shape)
{
    if (shape.packets == 0)
        return 0;
    const uint64_t longer = shape.dataBytes % shape.packets;
    return 3 + longer * varLengthBytes(shape.dataBytes / shape.packets + 1) +
           (shape.packets - longer) * varLengthBytes(shape.dataBytes / shape.packets);
}

uint64_t tilePartBytes(const StreamShape& shape)
{
    const uint64_t plt = shape.packets ? 2 + pltLengthField(shape) : 0;
    return 12 + plt + 2 + shape.dataBytes;
}

uint64_t tlmSegmentCount(const StreamShape& shape)
{
    return shape.tlm ? (tilePartCount(shape) + tlmPairsPerSegment - 1) / tlmPairsPerSegment : 0;
}

uint64_t tlmBytes(const StreamShape& shape)
{
    return tlmSegmentCount(shape) * 6 + tlmPairSize * (shape.tlm ? tilePartCount(shape) : 0);
}

// Receives the stream in order; bit-stream bytes come as runs that a sink may leave as holes.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void put(const uint8_t* bytes, size_t count) = 0;
    virtual void zeros(uint64_t count) = 0;
};

class MemorySink : public Sink {
public:
    explicit MemorySink(std::vector<uint8_t>& out) : out_(out) {}
    void put(const uint8_t* bytes, size_t count) override { out_.insert(out_.end(), bytes, bytes + count); }
    void zeros(uint64_t count) override { out_.resize(out_.size() + count, 0); }

private:
    std::vector<uint8_t>& out_;
};

class FileSink : public Sink {
public:
    explicit FileSink(const std::string& path) : path_(path)
    {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0)
            fail("cannot create");
        buffer_.reserve(bufferSize);
    }
    ~FileSink() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    void put(const uint8_t* bytes, size_t count) override
    {
        if (buffer_.size() + count > bufferSize)
            flush();
        if (count > bufferSize)
            writeAll(bytes, count);
        else
            buffer_.insert(buffer_.end(), bytes, bytes + count);
    }
    // Short runs stay in the buffer; long ones become holes, which read back as zeros.
    void zeros(uint64_t count) override
    {
        if (count < holeThreshold && buffer_.size() + count <= bufferSize) {
            buffer_.resize(buffer_.size() + count, 0);
            return;
        }
        flush();
        if (::lseek(fd_, static_cast<off_t>(count), SEEK_CUR) < 0)
            fail("cannot seek in");
        extended_ = true;
    }
    void finish(uint64_t size)
    {
        flush();
        if (extended_ && ::ftruncate(fd_, static_cast<off_t>(size)) != 0)
            fail("cannot set the size of");
        if (::close(fd_) != 0) {
            fd_ = -1;
            fail("cannot close");
        }
        fd_ = -1;
    }

private:
    static constexpr size_t bufferSize = 1 << 20;
    static constexpr uint64_t holeThreshold = 1 << 16;

    void flush()
    {
        writeAll(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    void writeAll(const uint8_t* bytes, size_t count)
    {
        while (count > 0) {
            const ssize_t written = ::write(fd_, bytes, count);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                fail("cannot write");
            }
            bytes += written;
            count -= static_cast<size_t>(written);
        }
    }
    [[noreturn]] void fail(const char* what)
    {
        throw std::runtime_error(std::string(what) + " '" + path_ + "': " + std::strerror(errno));
    }

    std::string path_;
    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    bool extended_ = false;
};

class Emitter {
public:
    Emitter(const StreamShape& shape, Sink& sink) : shape_(shape), sink_(sink) {}

    void emit()
    {
        if (shape_.jp2)
            jp2Head();
        mainHeader();
        if (shape_.tlm)
            tlmSegments();
        const uint32_t parts = shape_.tilePartsPerTile;
        if (shape_.interleaved) {
            for (uint32_t part = 0; part < parts; ++part)
                for (uint32_t tile = 0; tile < shape_.tiles; ++tile)
                    tilePart(tile, part);
        } else {
            for (uint32_t tile = 0; tile < shape_.tiles; ++tile)
                for (uint32_t part = 0; part < parts; ++part)
                    tilePart(tile, part);
        }
        marker(0xD9);
        flush();
    }

private:
    void u8(uint8_t value) { header_.push_back(value); }
    void be16(uint32_t value)
    {
        u8(static_cast<uint8_t>(value >> 8));
        u8(static_cast<uint8_t>(value));
    }
    void be32(uint32_t value)
    {
        be16(value >> 16);
        be16(value & 0xFFFF);
    }
    void marker(uint8_t code)
    {
        u8(0xFF);
        u8(code);
    }
    void flush()
    {
        sink_.put(header_.data(), header_.size());
        header_.clear();
    }

    // A 64-pixel high row of 8-bit grey tiles, as SIZ says, and the codestream box's header.
    void jp2Head()
    {
        const auto box = [&](uint32_t length, const char* type) {
            be32(length);
            for (int k = 0; k < 4; ++k)
                u8(static_cast<uint8_t>(type[k]));
        };
        box(12, "jP  ");
        be32(0x0D0A870A);
        box(20, "ftyp");
        for (const char* four : {"jp2 ", "\0\0\0\0", "jp2 "})
            for (int k = 0; k < 4; ++k)
                u8(static_cast<uint8_t>(four[k]));
        box(45, "jp2h");
        box(22, "ihdr");
        be32(tileSide);
        be32((shape_.tiles + shape_.missingTiles) * tileSide);
        be16(1);
        for (uint8_t b : {7, 7, 0, 0})  // BPC, C, UnkC, IPR
            u8(b);
        box(15, "colr");
        for (uint8_t b : {1, 0, 0})  // METH, PREC, APPROX
            u8(b);
        be32(17);  // greyscale
        box(static_cast<uint32_t>(streamSize(shape_) - jp2HeadBytes + 8), "jp2c");
    }

    void mainHeader()
    {
        const uint32_t gridTiles = shape_.tiles + shape_.missingTiles;
        marker(0x4F);
        marker(0x51);
        be16(41);
        be16(0);                          // Rsiz
        be32(gridTiles * tileSide);       // Xsiz
        be32(tileSide);                   // Ysiz
        be32(0);                          // XOsiz
        be32(0);                          // YOsiz
        be32(tileSide);                   // XTsiz
        be32(tileSide);                   // YTsiz
        be32(0);                          // XTOsiz
        be32(0);                          // YTOsiz
        be16(1);                          // Csiz
        u8(7);                            // Ssiz: 8-bit unsigned
        u8(1);
        u8(1);
        // COD: LRCP, one layer, no component transform, NL 5, 64×64 code-blocks, 5-3 reversible.
        marker(0x52);
        be16(12);
        for (uint8_t b : {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01})
            u8(b);
        // QCD: no quantization, two guard bits, 3·NL + 1 exponents of 9 with bits 0–2 clear.
        marker(0x5C);
        be16(4 + 3 * 5);
        u8(0x40);
        for (int i = 0; i < 16; ++i)
            u8(0x48);
    }

    void tlmSegments()
    {
        const uint64_t total = tilePartCount(shape_);
        const uint32_t length = static_cast<uint32_t>(tilePartBytes(shape_));
        uint64_t written = 0;
        for (uint32_t z = 0; written < total; ++z) {
            const uint64_t pairs = std::min(tlmPairsPerSegment, total - written);
            marker(0x55);
            be16(static_cast<uint32_t>(4 + tlmPairSize * pairs));
            u8(static_cast<uint8_t>(z));
            u8(0x60);  // ST 2: 16-bit Ttlm; SP 1: 32-bit Ptlm
            for (uint64_t j = written; j < written + pairs; ++j) {
                be16(tileOfTilePart(j));
                be32(length);
            }
            written += pairs;
            if (header_.size() > (1 << 20))
                flush();
        }
    }

    uint32_t tileOfTilePart(uint64_t index) const
    {
        return static_cast<uint32_t>(shape_.interleaved ? index % shape_.tiles : index / shape_.tilePartsPerTile);
    }

    void tilePart(uint32_t tile, uint32_t part)
    {
        marker(0x90);
        be16(10);
        be16(tile);
        be32(static_cast<uint32_t>(tilePartBytes(shape_)));
        u8(static_cast<uint8_t>(part));
        u8(static_cast<uint8_t>(shape_.tilePartsPerTile));
        if (shape_.packets) {
            marker(0x58);
            be16(static_cast<uint32_t>(pltLengthField(shape_)));
            u8(0);  // Zplt
            for (uint32_t k = 0; k < shape_.packets; ++k)
                varLength(packetLength(shape_, k));
        }
        marker(0x93);
        if (shape_.noise) {
            for (uint64_t left = shape_.dataBytes; left > 0;) {
                const size_t run = static_cast<size_t>(std::min<uint64_t>(left, 1 << 16));
                for (size_t i = 0; i < run; ++i)
                    header_.push_back(noiseByte());
                left -= run;
                flush();
            }
        } else {
            flush();
            sink_.zeros(shape_.dataBytes);
        }
    }

    // Seven bits a byte, most significant first; every byte but the last has its top bit set.
    void varLength(uint64_t value)
    {
        for (uint32_t shift = 7 * (varLengthBytes(value) - 1); shift > 0; shift -= 7)
            u8(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
        u8(static_cast<uint8_t>(value & 0x7F));
    }

    // Never 0xFF, so no byte pair of the bit-stream can look like a marker.
    uint8_t noiseByte()
    {
        noiseState_ ^= noiseState_ << 13;
        noiseState_ ^= noiseState_ >> 7;
        noiseState_ ^= noiseState_ << 17;
        return static_cast<uint8_t>((noiseState_ >> 24) % 255);
    }

    const StreamShape& shape_;
    Sink& sink_;
    std::vector<uint8_t> header_;
    uint64_t noiseState_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace

void validateShape(const StreamShape& shape)
{
    if (shape.tiles < 1 || shape.tiles > 65535)
        throw std::invalid_argument("the tile count must be 1 to 65535");
    if (shape.missingTiles > 65535 - shape.tiles)
        throw std::invalid_argument("the tiles written and missing must be at most 65535");
    if (shape.tilePartsPerTile < 1 || shape.tilePartsPerTile > 255)
        throw std::invalid_argument("tile-parts per tile must be 1 to 255");
    if (tilePartCount(shape) > 256 * tlmPairsPerSegment && shape.tlm)
        throw std::invalid_argument("too many tile-parts for 256 TLM segments");
    if (pltLengthField(shape) > 65535)
        throw std::invalid_argument("too many packets for one PLT segment");
    if (shape.dataBytes > UINT32_MAX || tilePartBytes(shape) > UINT32_MAX)
        throw std::invalid_argument("a tile-part must stay below 4 GiB");
    if (streamSize(shape) > UINT32_MAX)
        throw std::invalid_argument("the stream must stay below 4 GiB");
}

uint64_t tilePartCount(const StreamShape& shape) { return uint64_t{shape.tiles} * shape.tilePartsPerTile; }

uint64_t elementCount(const StreamShape& shape)
{
    const uint64_t perTilePart = shape.packets ? 4 : 3;  // SOT, PLT, SOD, data
    return 4 + tlmSegmentCount(shape) + perTilePart * tilePartCount(shape) + 1;
}

uint64_t streamSize(const StreamShape& shape)
{
    return (shape.jp2 ? jp2HeadBytes : 0) + mainHeaderBytes + tlmBytes(shape) +
           tilePartCount(shape) * tilePartBytes(shape) + 2;
}

std::vector<uint8_t> buildStream(const StreamShape& shape)
{
    validateShape(shape);
    std::vector<uint8_t> bytes;
    bytes.reserve(streamSize(shape));
    MemorySink sink(bytes);
    Emitter(shape, sink).emit();
    return bytes;
}

void writeStream(const StreamShape& shape, const std::string& path)
{
    validateShape(shape);
    FileSink sink(path);
    Emitter(shape, sink).emit();
    sink.finish(streamSize(shape));
}
