// packet-oracle: holds the checker's packet map against an independent decoder. It reads the JSON
// lines of `tarvik3-check --json --packets` (standard input, or the files named), rewrites each
// codestream with an EPH marker after every packet header where the map says the header ends,
// drops its SOP markers while Scod still announces them, and has OpenJPEG read it tile by tile.
// OpenJPEG then warns once for every packet it begins ("no SOP") and fails at the first header that
// does not end at an EPH: the count of warnings is the number of packets it read, the failure the
// first where its reading and the map part. The last body of a tile is held twice more: with the
// data ending where the map ends it OpenJPEG must take it without complaint, and one byte short it
// must refuse it (strict mode). PLT, PLM and TLM are dropped (their lengths no longer hold); PPM
// and PPT are rewritten with their EPH markers, and since their bodies follow one another in the
// data with nothing between, such a stream is read once more with an SOP before each body, none of
// which OpenJPEG may miss. A development tool: it reads whole files and is built only where OpenJPEG
// is.

#include <openjpeg.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using json = nlohmann::json;
using Bytes = std::vector<uint8_t>;

namespace {

uint32_t be16(const Bytes& b, size_t at) { return at + 2 <= b.size() ? uint32_t(b[at]) << 8 | b[at + 1] : 0; }
uint32_t be32(const Bytes& b, size_t at) { return at + 4 <= b.size() ? be16(b, at) << 16 | be16(b, at + 2) : 0; }
void put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void put32(Bytes& b, uint32_t v) { put16(b, v >> 16), put16(b, v & 0xFFFF); }

// Bytes that lie in several runs of the file (packed headers spread over segments), indexed as one.
struct Runs {
    std::vector<std::pair<size_t, size_t>> runs;  // [start, end) in the file
    size_t size() const
    {
        size_t n = 0;
        for (auto [s, e] : runs)
            n += e - s;
        return n;
    }
    // The place of a file offset in the joined bytes; the end of the last run is its size.
    std::optional<size_t> indexOf(size_t offset) const
    {
        size_t before = 0;
        for (auto [s, e] : runs) {
            if (offset >= s && offset < e)
                return before + offset - s;
            before += e - s;
        }
        if (!runs.empty() && offset == runs.back().second)
            return before;
        return std::nullopt;
    }
    // The runs of the joined bytes [from, to).
    Runs slice(size_t from, size_t to) const
    {
        Runs out;
        size_t before = 0;
        for (auto [s, e] : runs) {
            const size_t lo = std::max(from, before), hi = std::min(to, before + e - s);
            if (lo < hi)
                out.runs.push_back({s + lo - before, s + hi - before});
            before += e - s;
        }
        return out;
    }
    void append(const Bytes& file, size_t from, size_t to, Bytes& out) const
    {
        size_t before = 0;
        for (auto [s, e] : runs) {
            const size_t lo = std::max(from, before), hi = std::min(to, before + e - s);
            if (lo < hi)
                out.insert(out.end(), file.begin() + long(s + lo - before), file.begin() + long(s + hi - before));
            before += e - s;
        }
    }
};

struct Segment {
    uint32_t marker;
    size_t at, size;  // marker included
};

struct TilePart {
    size_t sot = 0;
    uint32_t Isot = 0, Psot = 0;
    std::vector<Segment> header;
    size_t dataStart = 0, dataEnd = 0;
    Runs packed;  // its PPM group or PPT contents
};

struct Codestream {
    size_t start = 0, end = 0;  // in the file
    std::vector<Segment> main;
    std::vector<TilePart> parts;
    size_t tail = 0;  // EOC and whatever follows the last tile-part
    bool ppm = false;
};

// The codestream of a raw file, or of a JP2 file's first codestream box with contents.
std::optional<std::pair<size_t, size_t>> locate(const Bytes& f)
{
    static const uint8_t signature[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
    if (f.size() < 12 || !std::equal(std::begin(signature), std::end(signature), f.begin()))
        return std::make_pair(size_t{0}, f.size());
    for (size_t p = 0; p + 8 <= f.size();) {
        uint64_t length = be32(f, p), head = 8;
        if (length == 1) {
            length = uint64_t{be32(f, p + 8)} << 32 | be32(f, p + 12);
            head = 16;
        } else if (length == 0) {
            length = f.size() - p;
        }
        if (length < head)
            return std::nullopt;
        const size_t end = std::min<uint64_t>(p + length, f.size());
        if (be32(f, p + 4) == 0x6A703263 && end > p + head)  // jp2c
            return std::make_pair(size_t(p + head), end);
        p = end;
    }
    return std::nullopt;
}

// The contents of the PPM or PPT segments of a header, in the order of their Zppm or Zppt.
Runs packedRuns(const Bytes& f, const std::vector<Segment>& header, uint32_t marker)
{
    std::vector<std::pair<uint8_t, std::pair<size_t, size_t>>> byIndex;
    for (const Segment& s : header)
        if (s.marker == marker && s.size >= 5)
            byIndex.push_back({f[s.at + 4], {s.at + 5, s.at + s.size}});
    std::stable_sort(byIndex.begin(), byIndex.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Runs runs;
    for (const auto& [z, run] : byIndex)
        runs.runs.push_back(run);
    return runs;
}

std::optional<Codestream> parse(const Bytes& f, size_t start, size_t end)
{
    Codestream cs{start, end, {}, {}, end, false};
    if (be16(f, start) != 0xFF4F)
        return std::nullopt;
    size_t p = start + 2;
    auto segment = [&](std::vector<Segment>& into) {
        const uint32_t marker = be16(f, p), length = be16(f, p + 2);
        if (marker >= 0xFF30 && marker <= 0xFF3F) {  // markers without a segment
            into.push_back({marker, p, 2});
            p += 2;
            return true;
        }
        if (marker < 0xFF00 || length < 2 || p + 2 + length > end)
            return false;
        into.push_back({marker, p, size_t{2} + length});
        p += 2 + length;
        return true;
    };
    while (p + 4 <= end && be16(f, p) != 0xFF90)
        if (!segment(cs.main))
            return std::nullopt;
    while (p + 12 <= end && be16(f, p) == 0xFF90) {
        TilePart tp;
        tp.sot = p;
        tp.Isot = be16(f, p + 4);
        tp.Psot = be32(f, p + 6);
        p += 12;
        while (p + 2 <= end && be16(f, p) != 0xFF93)
            if (!segment(tp.header))
                return std::nullopt;
        tp.dataStart = p + 2;
        const size_t tail = be16(f, end - 2) == 0xFFD9 ? end - 2 : end;
        tp.dataEnd = tp.Psot == 0 ? tail : std::min<size_t>(tp.sot + tp.Psot, end);
        // A last tile-part whose Psot misses the EOC runs to it, as the checker reads it.
        if (be16(f, tp.dataEnd) != 0xFF90 && tail < end)
            tp.dataEnd = tail;
        if (tp.dataStart > tp.dataEnd)
            return std::nullopt;
        tp.packed = packedRuns(f, tp.header, 0xFF61);
        p = tp.dataEnd;
        cs.parts.push_back(tp);
    }
    cs.tail = p;
    // PPM: groups of Nppm bytes, one per tile-part in stream order, across the segments.
    const Runs all = packedRuns(f, cs.main, 0xFF60);
    cs.ppm = !all.runs.empty();
    if (cs.ppm) {
        Bytes joined;
        all.append(f, 0, all.size(), joined);
        size_t at = 0;
        for (TilePart& tp : cs.parts) {
            if (at + 4 > joined.size())
                break;
            const size_t n = std::min<size_t>(be32(joined, at), joined.size() - at - 4);
            tp.packed = all.slice(at + 4, at + 4 + n);
            at += 4 + n;
        }
    }
    return cs;
}

struct MapPacket {
    uint32_t tile, part;
    size_t offset, headerStart, headerEnd, bodyStart, bodyEnd;
    bool eph;  // the stream has an EPH after the header, which the rewrite replaces
};

// Segments of packed headers with `payload`, marker `marker`, Zppm/Zppt counting from 0.
void packedSegments(uint32_t marker, const Bytes& payload, Bytes& out)
{
    const size_t most = 65535 - 3;
    uint32_t z = 0;
    for (size_t at = 0; at < payload.size() || (at == 0 && payload.empty()); at += most) {
        const size_t n = std::min(most, payload.size() - at);
        put16(out, marker);
        put16(out, uint32_t(n + 3));
        out.push_back(uint8_t(z++));
        out.insert(out.end(), payload.begin() + long(at), payload.begin() + long(at + n));
        if (payload.empty())
            break;
    }
}

class Rewriter {
public:
    Rewriter(const Bytes& file, const Codestream& cs, const std::vector<MapPacket>& packets)
        : f_(file), cs_(cs), packets_(packets)
    {
    }

    // The codestream with markers at the map's places. With `endTile`, that tile's data ends at the
    // end of its last packet's body, or `cut` bytes before it. With `sops`, an SOP stands in the data
    // before each packet: with packed headers nothing else marks where a body begins. Empty, with
    // `error` set, where the map does not fit the stream.
    Bytes build(std::optional<uint32_t> endTile, uint32_t cut, std::string& error, bool sops = false) const
    {
        // Per tile-part (by place in the stream): its data and packed headers as rewritten.
        std::vector<Bytes> data(cs_.parts.size()), packed(cs_.parts.size());
        std::map<uint32_t, std::vector<size_t>> partsOfTile;
        for (size_t i = 0; i < cs_.parts.size(); ++i)
            partsOfTile[cs_.parts[i].Isot].push_back(i);
        std::vector<size_t> dataDone(cs_.parts.size()), packedDone(cs_.parts.size());
        std::vector<bool> dropRest(cs_.parts.size(), false);
        for (size_t i = 0; i < cs_.parts.size(); ++i)
            dataDone[i] = cs_.parts[i].dataStart;
        for (size_t k = 0; k < packets_.size(); ++k) {
            const MapPacket& p = packets_[k];
            const auto& parts = partsOfTile[p.tile];
            if (p.part >= parts.size()) {
                error = "a packet in a tile-part the stream lacks";
                return {};
            }
            const size_t i = parts[p.part];
            const TilePart& tp = cs_.parts[i];
            if (p.offset != dataDone[i] || p.bodyEnd > tp.dataEnd || p.bodyStart > p.bodyEnd) {
                error = "the map leaves a gap in the data or runs past it";
                return {};
            }
            if (sops) {
                put16(data[i], 0xFF91), put16(data[i], 4);
                put16(data[i], uint32_t(k & 0xFFFF));
            }
            if (cs_.ppm || !tp.packed.runs.empty()) {
                const auto hs = tp.packed.indexOf(p.headerStart), he = tp.packed.indexOf(p.headerEnd);
                if (!hs || !he || *hs != packedDone[i] || *he < *hs) {
                    error = "a packed header out of place (packet " + std::to_string(k) + ", header at " +
                            std::to_string(p.headerStart) + ", " + (hs ? std::to_string(*hs) : "-") + " of " +
                            std::to_string(tp.packed.size()) + " where " + std::to_string(packedDone[i]) + ")";
                    return {};
                }
                tp.packed.append(f_, *hs, *he, packed[i]);
                put16(packed[i], 0xFF92);
                packedDone[i] = *he + (p.eph ? 2 : 0);
            } else {
                data[i].insert(data[i].end(), f_.begin() + long(p.headerStart), f_.begin() + long(p.headerEnd));
                put16(data[i], 0xFF92);
            }
            const bool last = k + 1 == packets_.size() || packets_[k + 1].tile != p.tile;
            size_t bodyEnd = p.bodyEnd;
            if (last && endTile == p.tile) {
                bodyEnd -= cut;
                for (size_t j : parts)
                    if (j >= i)
                        dropRest[j] = true;
            }
            data[i].insert(data[i].end(), f_.begin() + long(p.bodyStart), f_.begin() + long(bodyEnd));
            dataDone[i] = p.bodyEnd;
        }

        Bytes out(f_.begin() + long(cs_.start), f_.begin() + long(cs_.start + 2));
        bool ppmWritten = false;
        for (const Segment& s : cs_.main) {
            if (s.marker == 0xFF55 || s.marker == 0xFF57)  // TLM, PLM
                continue;
            if (s.marker == 0xFF60) {
                if (!ppmWritten) {
                    Bytes groups;
                    for (size_t i = 0; i < cs_.parts.size(); ++i) {
                        finishPacked(i, packedDone[i], packed[i]);
                        put32(groups, uint32_t(packed[i].size()));
                        groups.insert(groups.end(), packed[i].begin(), packed[i].end());
                    }
                    packedSegments(0xFF60, groups, out);
                    ppmWritten = true;
                }
                continue;
            }
            copySegment(s, out);
        }
        for (size_t i = 0; i < cs_.parts.size(); ++i) {
            const TilePart& tp = cs_.parts[i];
            if (!dropRest[i])
                data[i].insert(data[i].end(), f_.begin() + long(dataDone[i]), f_.begin() + long(tp.dataEnd));
            Bytes head;
            bool pptWritten = false;
            for (const Segment& s : tp.header) {
                if (s.marker == 0xFF58)  // PLT
                    continue;
                if (s.marker == 0xFF61) {
                    if (!pptWritten) {
                        finishPacked(i, packedDone[i], packed[i]);
                        packedSegments(0xFF61, packed[i], head);
                        pptWritten = true;
                    }
                    continue;
                }
                copySegment(s, head);
            }
            const size_t sotAt = out.size();
            out.insert(out.end(), f_.begin() + long(tp.sot), f_.begin() + long(tp.sot + 12));
            out.insert(out.end(), head.begin(), head.end());
            put16(out, 0xFF93);
            out.insert(out.end(), data[i].begin(), data[i].end());
            if (tp.Psot != 0) {
                const uint32_t Psot = uint32_t(out.size() - sotAt);
                out[sotAt + 6] = uint8_t(Psot >> 24), out[sotAt + 7] = uint8_t(Psot >> 16);
                out[sotAt + 8] = uint8_t(Psot >> 8), out[sotAt + 9] = uint8_t(Psot);
            }
        }
        out.insert(out.end(), f_.begin() + long(cs_.tail), f_.begin() + long(cs_.end));
        return out;
    }

private:
    // Packed header bytes after the last packet's stay as they were.
    void finishPacked(size_t i, size_t done, Bytes& packed) const
    {
        const Runs& runs = cs_.parts[i].packed;
        runs.append(f_, done, runs.size(), packed);
    }

    // COD with SOP and EPH announced; everything else as it was.
    void copySegment(const Segment& s, Bytes& out) const
    {
        const size_t at = out.size();
        out.insert(out.end(), f_.begin() + long(s.at), f_.begin() + long(s.at + s.size));
        if (s.marker == 0xFF52 && s.size > 4)
            out[at + 4] |= 0x06;
    }

    const Bytes& f_;
    const Codestream& cs_;
    const std::vector<MapPacket>& packets_;
};

// One reading of one tile by OpenJPEG.
struct Reading {
    bool decoded = false;
    uint32_t packetsBegun = 0;  // "no SOP" warnings
    uint32_t sopsAstray = 0;    // of them, those where data was left
    bool headerMismatch = false;
    bool bodyTooLong = false;  // a segment ran past the data
    std::string firstError;
};

struct MemoryStream {
    const Bytes* data;
    size_t pos = 0;
};

// One tile with `tile`, else the whole image: OpenJPEG reads the PPM groups of the tile-parts it
// skips as those of the tile it wants, so a stream with PPM is read whole.
Reading readTile(const Bytes& stream, std::optional<uint32_t> tile, bool reduced = true)
{
    Reading r;
    MemoryStream ms{&stream, 0};
    opj_stream_t* s = opj_stream_create(1 << 16, OPJ_TRUE);
    opj_stream_set_user_data(s, &ms, nullptr);
    opj_stream_set_user_data_length(s, stream.size());
    opj_stream_set_read_function(s, [](void* buf, OPJ_SIZE_T n, void* u) -> OPJ_SIZE_T {
        auto* m = static_cast<MemoryStream*>(u);
        const size_t left = m->data->size() - m->pos;
        if (left == 0)
            return OPJ_SIZE_T(-1);
        n = std::min(n, left);
        std::copy_n(m->data->begin() + long(m->pos), n, static_cast<uint8_t*>(buf));
        m->pos += n;
        return n;
    });
    opj_stream_set_skip_function(s, [](OPJ_OFF_T n, void* u) -> OPJ_OFF_T {
        auto* m = static_cast<MemoryStream*>(u);
        const OPJ_OFF_T to = std::clamp<OPJ_OFF_T>(OPJ_OFF_T(m->pos) + n, 0, OPJ_OFF_T(m->data->size()));
        const OPJ_OFF_T moved = to - OPJ_OFF_T(m->pos);
        m->pos = size_t(to);
        return moved;
    });
    opj_stream_set_seek_function(s, [](OPJ_OFF_T n, void* u) -> OPJ_BOOL {
        auto* m = static_cast<MemoryStream*>(u);
        if (n < 0 || size_t(n) > m->data->size())
            return OPJ_FALSE;
        m->pos = size_t(n);
        return OPJ_TRUE;
    });
    opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
    const auto listen = [](const char* msg, void* u) {
        auto* r = static_cast<Reading*>(u);
        const std::string m = msg;
        if (m.find("expected SOP") != std::string::npos || m.find("Expected SOP") != std::string::npos) {
            ++r->packetsBegun;
            r->sopsAstray += m.rfind("Expected SOP", 0) == 0;
        }
        else if (m.find("EPH") != std::string::npos)
            r->headerMismatch = true;
        else if (m.find("segment too long") != std::string::npos)
            r->bodyTooLong = true;
    };
    opj_set_warning_handler(codec, listen, &r);
    opj_set_error_handler(
        codec,
        [](const char* msg, void* u) {
            auto* r = static_cast<Reading*>(u);
            const std::string m = msg;
            if (m.find("EPH") != std::string::npos)
                r->headerMismatch = true;
            else if (m.find("segment too long") != std::string::npos)
                r->bodyTooLong = true;
            if (r->firstError.empty())
                r->firstError = m.substr(0, m.find('\n'));
        },
        &r);
    opj_set_info_handler(codec, [](const char*, void*) {}, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    opj_setup_decoder(codec, &params);
    opj_decoder_set_strict_mode(codec, OPJ_TRUE);
    opj_image_t* image = nullptr;
    if (opj_read_header(s, codec, &image)) {
        // Headers are read for every packet; entropy decoding is spared at the lowest resolution.
        opj_codestream_info_v2_t* info = opj_get_cstr_info(codec);
        uint32_t reduce = reduced ? 32 : 0;
        for (uint32_t c = 0; info && c < info->nbcomps; ++c)
            reduce = std::min(reduce, info->m_default_tile_info.tccp_info[c].numresolutions - 1);
        opj_destroy_cstr_info(&info);
        opj_set_decoded_resolution_factor(codec, reduce);
        r.decoded = tile ? opj_get_decoded_tile(codec, s, image, *tile)
                         : opj_decode(codec, s, image) && opj_end_decompress(codec, s);
    }
    opj_image_destroy(image);
    opj_destroy_codec(codec);
    opj_stream_destroy(s);
    // A tile-part header may give fewer resolution levels than the main header.
    if (reduced && r.firstError.find("Error decoding component") != std::string::npos)
        return readTile(stream, tile, false);
    return r;
}

struct TileVerdict {
    uint32_t tile = 0, ours = 0, agreed = 0;
    bool unread = false;  // OpenJPEG refused the tile before its first packet
    std::string note;  // empty when OpenJPEG read exactly the map's packets
};

std::vector<TileVerdict> compare(const Bytes& file, const Codestream& cs, const std::vector<MapPacket>& packets,
                                 std::string& error)
{
    std::vector<TileVerdict> out;
    const Rewriter rewriter(file, cs, packets);
    const Bytes whole = rewriter.build(std::nullopt, 0, error);
    if (whole.empty())
        return out;
    // PACKET_ORACLE_KEEP=FILE keeps the rewritten stream, to read it again by hand.
    if (const char* keep = std::getenv("PACKET_ORACLE_KEEP"))
        std::ofstream(keep, std::ios::binary).write(reinterpret_cast<const char*>(whole.data()), long(whole.size()));
    std::map<uint32_t, uint32_t> count;
    std::vector<uint32_t> order;
    for (const MapPacket& p : packets)
        if (count[p.tile]++ == 0)
            order.push_back(p.tile);
    // With PPM, one reading of the whole image stands for each tile's: the tiles in the map's order,
    // each with the packets the count of warnings leaves it.
    const std::optional<Reading> image = cs.ppm ? std::optional(readTile(whole, std::nullopt)) : std::nullopt;
    const bool packed = cs.ppm || std::any_of(cs.parts.begin(), cs.parts.end(), [](const TilePart& tp) { return !tp.packed.runs.empty(); });
    uint32_t before = 0;
    const auto readOne = [&](const Bytes& stream, uint32_t t, const std::optional<Reading>& all) {
        if (!all)
            return readTile(stream, t);
        Reading r = *all;
        if (all->packetsBegun <= before)
            return Reading{false, 0, 0, false, false, "not reached: an earlier tile failed"};
        r.packetsBegun = all->packetsBegun - before;
        if (r.packetsBegun > count[t])
            r = Reading{true, count[t], 0, false, false, {}};  // read whole; a later tile was begun
        return r;
    };
    for (uint32_t t : order) {
        TileVerdict v{t, count[t], 0, false, {}};
        const Reading r = readOne(whole, t, image);
        // A reading that ends in a packet's fault ends in its last packet begun; one that fails later
        // (the wavelet or colour stages of a reduced tile) read them all.
        const bool packetFault = r.headerMismatch || r.bodyTooLong ||
                                 (!r.decoded && (r.firstError.find("packet") != std::string::npos ||
                                                 r.firstError.find("opj_t2") != std::string::npos));
        const uint32_t read = packetFault && r.packetsBegun > 0 ? r.packetsBegun - 1 : r.packetsBegun;
        if (r.packetsBegun == 0 && !r.decoded && !packetFault) {
            v.unread = true;
            v.note = "OpenJPEG cannot read the tile: " + r.firstError;
        } else if (read < v.ours) {
            v.agreed = read;
            v.note = "differs at packet " + std::to_string(read) +
                     (r.headerMismatch ? " (its header, or the body before it)"
                      : r.bodyTooLong  ? " (its body runs past the data for OpenJPEG)"
                      : !r.decoded     ? " (OpenJPEG: " + r.firstError + ")"
                                       : " (OpenJPEG reads no more packets)");
        } else if (read > v.ours || packetFault) {
            // Every packet of the map is OpenJPEG's; it reads on where the map stopped.
            v.agreed = v.ours;
            v.note = "OpenJPEG reads on past the map's last packet";
        } else {
            v.agreed = v.ours;
            // The last body: OpenJPEG must take it whole from data that ends with it, and find it one
            // byte short when it is.
            const auto last = std::find_if(packets.rbegin(), packets.rend(), [&](const MapPacket& p) { return p.tile == t; });
            for (uint32_t cut : {0u, 1u}) {
                if (cut > last->bodyEnd - last->bodyStart)
                    break;
                std::string cutError;
                const Bytes stream = rewriter.build(t, cut, cutError);
                const Reading ending = readOne(stream, t, image ? std::optional(readTile(stream, std::nullopt)) : std::nullopt);
                if (ending.bodyTooLong != (cut == 1) || ending.headerMismatch) {
                    v.agreed = v.ours - 1;
                    v.note = cut == 0 ? "OpenJPEG's last body is longer" : "OpenJPEG's last body is shorter";
                    break;
                }
            }
            if (packed && v.note.empty()) {
                std::string sopError;
                const Bytes stream = rewriter.build(std::nullopt, 0, sopError, true);
                const Reading marked = readOne(stream, t, image ? std::optional(readTile(stream, std::nullopt)) : std::nullopt);
                if (marked.sopsAstray > 0) {
                    v.agreed = 0;
                    v.note = "a body begins elsewhere for OpenJPEG than in the map (packed headers)";
                }
            }
        }
        out.push_back(v);
        before += count[t];
    }
    return out;
}

std::string fromBase64(const std::string& text)
{
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const auto at = std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/").find(c);
        if (at == std::string_view::npos)
            continue;
        bits = bits << 6 | uint32_t(at);
        if ((count += 6) >= 8)
            out.push_back(char(bits >> (count -= 8)));
    }
    return out;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::istream*> inputs;
    std::vector<std::ifstream> files;
    for (int i = 1; i < argc; ++i)
        files.emplace_back(argv[i]);
    for (auto& f : files)
        inputs.push_back(&f);
    if (inputs.empty())
        inputs.push_back(&std::cin);

    uint64_t fileCount = 0, compared = 0, packetsCompared = 0, disagreeing = 0, notCompared = 0, unreadTiles = 0;
    for (std::istream* in : inputs)
        for (std::string line; std::getline(*in, line);) {
            if (line.empty())
                continue;
            const json entry = json::parse(line, nullptr, false);
            if (entry.is_discarded() || !entry.contains("path"))
                continue;
            ++fileCount;
            json report{{"path", entry["path"]}};
            // A path that is not UTF-8 comes in base64 as well.
            const Bytes file = readFile(entry.contains("pathBase64") ? fromBase64(entry["pathBase64"])
                                                                     : entry["path"].get<std::string>());
            std::vector<MapPacket> packets;
            for (const json& p : entry.value("packets", json::array()))
                packets.push_back({p["tile"], p["part"], p["offset"], p["header"][0], p["header"][1], p["body"][0],
                                   p["body"][1], !p["eph"].is_null()});
            const auto where = locate(file);
            const auto cs = where ? parse(file, where->first, where->second) : std::nullopt;
            std::string error;
            if (packets.empty())
                error = "no packets in the map";
            else if (!cs)
                error = "the oracle cannot walk this codestream";
            const auto tiles = error.empty() ? compare(file, *cs, packets, error) : std::vector<TileVerdict>{};
            if (!error.empty()) {
                ++notCompared;
                report["notCompared"] = error;
            } else {
                ++compared;
                uint64_t agreed = 0, ours = 0;
                json notes = json::array();
                for (const TileVerdict& v : tiles) {
                    if (v.unread)
                        ++unreadTiles;
                    else
                        agreed += v.agreed, ours += v.ours;
                    if (!v.note.empty())
                        notes.push_back({{"tile", v.tile}, {"packets", v.ours}, {"agreed", v.agreed}, {"note", v.note}});
                }
                packetsCompared += agreed;
                report["packets"] = ours;
                if (ours == 0)
                    --compared, ++notCompared;
                report["agreed"] = agreed;
                if (!notes.empty()) {
                    report["tiles"] = notes;
                    if (agreed != ours)
                        ++disagreeing;
                }
            }
            std::cout << report.dump() << '\n';
        }
    std::cerr << fileCount << " files, " << compared << " compared, " << notCompared << " not compared; "
              << packetsCompared << " packets agree; " << disagreeing << " files disagree; " << unreadTiles
              << " tiles OpenJPEG cannot read\n";
    return disagreeing == 0 ? 0 : 1;
}
