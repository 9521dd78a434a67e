#include "decode/codestreamDecoder.h"

#include "decode/rangeStream.h"
#include "decode/shrunkPicture.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <set>

namespace {

// What the decoder said, kept short: a hostile stream can make it say the same thing millions of times.
struct Messages {
    static constexpr size_t kept = 4;
    std::vector<std::string> errors, warnings;
    uint64_t errorCount = 0, warningCount = 0;

    static void keep(std::vector<std::string>& list, const char* text)
    {
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
            line.pop_back();
        if (list.size() < kept && std::find(list.begin(), list.end(), line) == list.end())
            list.push_back(line);
    }
    static void onError(const char* text, void* user)
    {
        auto* self = static_cast<Messages*>(user);
        ++self->errorCount;
        keep(self->errors, text);
    }
    static void onWarning(const char* text, void* user)
    {
        auto* self = static_cast<Messages*>(user);
        ++self->warningCount;
        keep(self->warnings, text);
    }
    uint64_t faults() const { return errorCount + warningCount; }
    // The first error names the cause; the later ones say what gave up because of it.
    std::string firstError() const { return errors.empty() ? "brak szczegółów" : errors.front(); }
    bool said(const std::string& words) const
    {
        return std::any_of(errors.begin(), errors.end(),
                           [&](const std::string& e) { return e.find(words) != std::string::npos; });
    }
};

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

// The grid of tiles and the resolution levels the main header declares.
struct StreamLayout {
    ImageRegion image;
    uint32_t tileX0, tileY0, tileWidth, tileHeight, columns, rows;
    uint32_t maxReduction;

    ImageRegion tileRegion(uint32_t tile) const
    {
        const uint64_t x = tileX0 + uint64_t{tile % columns} * tileWidth;
        const uint64_t y = tileY0 + uint64_t{tile / columns} * tileHeight;
        auto clip = [](uint64_t v, uint32_t lo, uint32_t hi) {
            return static_cast<uint32_t>(std::clamp<uint64_t>(v, lo, hi));
        };
        return {clip(x, image.x0, image.x1), clip(y, image.y0, image.y1), clip(x + tileWidth, image.x0, image.x1),
                clip(y + tileHeight, image.y0, image.y1)};
    }
    std::vector<uint32_t> tilesIn(const ImageRegion& r) const
    {
        std::vector<uint32_t> tiles;
        const uint32_t c0 = (r.x0 - tileX0) / tileWidth, c1 = std::min(columns, ceilDiv(r.x1 - tileX0, tileWidth));
        const uint32_t r0 = (r.y0 - tileY0) / tileHeight, r1 = std::min(rows, ceilDiv(r.y1 - tileY0, tileHeight));
        for (uint32_t row = r0; row < r1; ++row)
            for (uint32_t column = c0; column < c1; ++column)
                tiles.push_back(row * columns + column);
        return tiles;
    }
};

std::optional<ImageRegion> intersect(const ImageRegion& a, const ImageRegion& b)
{
    const ImageRegion r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
    if (r.x0 >= r.x1 || r.y0 >= r.y1)
        return std::nullopt;
    return r;
}

// Empty planes for a region of the image at a reduction, shaped as the header's components.
SamplePlanes emptyPlanes(const opj_image_t& header, const ImageRegion& region, uint32_t reduction, bool allocate)
{
    SamplePlanes planes{region.x0, region.y0, region.x1, region.y1, reduction, {}};
    for (uint32_t c = 0; c < header.numcomps; ++c) {
        const opj_image_comp_t& comp = header.comps[c];
        Plane plane;
        plane.dx = comp.dx;
        plane.dy = comp.dy;
        plane.precision = comp.prec;
        plane.isSigned = comp.sgnd != 0;
        plane.x0 = ceilDivPow2(ceilDiv(region.x0, comp.dx), reduction);
        plane.y0 = ceilDivPow2(ceilDiv(region.y0, comp.dy), reduction);
        plane.width = ceilDivPow2(ceilDiv(region.x1, comp.dx), reduction) - plane.x0;
        plane.height = ceilDivPow2(ceilDiv(region.y1, comp.dy), reduction) - plane.y0;
        if (allocate)
            plane.samples.assign(size_t{plane.width} * plane.height, 0);
        planes.components.push_back(std::move(plane));
    }
    return planes;
}

uint64_t sampleCount(const SamplePlanes& planes)
{
    uint64_t count = 0;
    for (const Plane& plane : planes.components)
        count += uint64_t{plane.width} * plane.height;
    return count;
}

// Samples of a decoded tile as the tile interface hands them over: component after component, each
// sample in 1, 2 or 4 bytes by its depth, signed or not.
bool unpackTile(const std::vector<uint8_t>& data, SamplePlanes& tile)
{
    size_t at = 0;
    for (Plane& plane : tile.components) {
        const size_t bytes = plane.precision <= 8 ? 1 : plane.precision <= 16 ? 2 : 4;
        const size_t count = size_t{plane.width} * plane.height;
        if (data.size() - at < count * bytes)
            return false;
        plane.samples.resize(count);
        const uint8_t* p = data.data() + at;
        for (size_t i = 0; i < count; ++i, p += bytes) {
            if (bytes == 1)
                plane.samples[i] = plane.isSigned ? int32_t{static_cast<int8_t>(*p)} : int32_t{*p};
            else if (bytes == 2) {
                uint16_t v;
                std::memcpy(&v, p, 2);
                plane.samples[i] = plane.isSigned ? int32_t{static_cast<int16_t>(v)} : int32_t{v};
            } else
                std::memcpy(&plane.samples[i], p, 4);
        }
        at += count * bytes;
    }
    return at == data.size();
}

void copyInto(const SamplePlanes& tile, SamplePlanes& whole)
{
    for (size_t c = 0; c < tile.components.size(); ++c) {
        const Plane& from = tile.components[c];
        Plane& to = whole.components[c];
        for (uint32_t y = 0; y < from.height; ++y) {
            const int64_t ty = int64_t{from.y0} + y - to.y0;
            if (ty < 0 || ty >= to.height)
                continue;
            for (uint32_t x = 0; x < from.width; ++x) {
                const int64_t tx = int64_t{from.x0} + x - to.x0;
                if (tx >= 0 && tx < to.width)
                    to.samples[static_cast<size_t>(ty) * to.width + static_cast<size_t>(tx)] = from.at(x, y);
            }
        }
    }
}

const std::string mixedHtMessage =
    "Dekoder nie obsługuje strumieni HTJ2K, w których bloki kodowe HT mieszają się ze zwykłymi (styl mieszany); "
    "obsługuje tylko strumienie z samymi blokami HT.";

class Decoder {
public:
    explicit Decoder(const DecodeRequest& request)
        : request_(request), range_{request.fd, request.offset, request.length}
    {
    }

    PreviewOutcome run();

private:
    // A decoder at the start of the stream with its main header read.
    bool open();
    PreviewOutcome fail(std::string message) const { return PreviewOutcome{false, {}, std::move(message)}; }
    // Every tile of the region through the tile interface, each handed over with its samples. The
    // decoder cannot go on after a tile it failed on; a fresh one takes the tiles after it.
    void eachTile(const ImageRegion& region, uint32_t reduction, const std::function<void(const SamplePlanes&)>& use);
    // One run of the decoder over the region; the tile it broke on, if it broke before the end.
    std::optional<uint32_t> tilePass(const ImageRegion& region, uint32_t reduction,
                                     const std::function<void(const SamplePlanes&)>& use);
    // The region through the whole-image interface, which decodes only the part of a tile it needs.
    std::optional<SamplePlanes> decodeArea(const ImageRegion& region, uint32_t reduction);
    std::string decoderNote() const;
    // The main header or a tile-part header asked for HT and other code-blocks mixed, which the
    // decoder refuses.
    bool mixedHt() const { return messages_.said("Mixed HT"); }

    const DecodeRequest& request_;
    FileRange range_;
    Messages messages_;
    std::unique_ptr<opj_codec_t, CodecDeleter> codec_;
    std::unique_ptr<opj_stream_t, StreamDeleter> stream_;
    std::unique_ptr<opj_image_t, ImageDeleter> header_;
    StreamLayout layout_{};
    std::set<uint32_t> decoded_, failed_, damaged_;
};

bool Decoder::open()
{
    header_.reset();
    stream_.reset();
    codec_.reset();
    codec_.reset(opj_create_decompress(OPJ_CODEC_J2K));
    stream_.reset(openRangeStream(range_));
    if (!codec_ || !stream_)
        return false;
    opj_set_error_handler(codec_.get(), Messages::onError, &messages_);
    opj_set_warning_handler(codec_.get(), Messages::onWarning, &messages_);
    opj_set_info_handler(codec_.get(), nullptr, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec_.get(), &parameters))
        return false;
    // Truncated streams give what their data holds.
    opj_decoder_set_strict_mode(codec_.get(), OPJ_FALSE);
    opj_codec_set_threads(codec_.get(), std::max(1, request_.threads));
    opj_image_t* header = nullptr;
    const bool read = opj_read_header(stream_.get(), codec_.get(), &header);
    header_.reset(header);
    if (!read || !header || header->numcomps == 0)
        return false;
    opj_codestream_info_v2_t* info = opj_get_cstr_info(codec_.get());
    if (!info)
        return false;
    uint32_t levels = 33;
    for (uint32_t c = 0; c < info->nbcomps && info->m_default_tile_info.tccp_info; ++c)
        levels = std::min(levels, info->m_default_tile_info.tccp_info[c].numresolutions);
    const uint32_t maxReduction = levels > 0 && levels < 33 ? levels - 1 : 0;
    layout_ = {{header->x0, header->y0, header->x1, header->y1}, info->tx0, info->ty0, info->tdx, info->tdy,
               info->tw, info->th, maxReduction};
    opj_destroy_cstr_info(&info);
    return layout_.tileWidth > 0 && layout_.tileHeight > 0 && layout_.columns > 0 && layout_.rows > 0 &&
           layout_.image.x1 > layout_.image.x0 && layout_.image.y1 > layout_.image.y0;
}

void Decoder::eachTile(const ImageRegion& region, uint32_t reduction,
                       const std::function<void(const SamplePlanes&)>& use)
{
    // Each restart reads the stream from its start again, and the decoder sets up every tile of the
    // grid for each: few restarts, fewer for large grids.
    const uint64_t tileCount = uint64_t{layout_.columns} * layout_.rows;
    const int maxRestarts = static_cast<int>(std::min<uint64_t>(16, (1u << 16) / tileCount));
    std::vector<ImageRegion> passes{region};
    for (int pass = 0; !passes.empty(); ++pass) {
        const ImageRegion area = passes.back();
        passes.pop_back();
        if (pass > 0 && (!open() || !opj_set_decoded_resolution_factor(codec_.get(), reduction)))
            return;
        const auto broken = tilePass(area, reduction, use);
        // A stream that ends early holds nothing after the break.
        if (!broken || range_.reachedEnd || pass >= maxRestarts)
            continue;
        // The tiles after the broken one in raster order: the rest of its row, and the rows below.
        const ImageRegion tile = layout_.tileRegion(*broken);
        if (tile.x1 < area.x1)
            passes.push_back({tile.x1, tile.y0, area.x1, tile.y1});
        if (tile.y1 < area.y1)
            passes.push_back({area.x0, tile.y1, area.x1, area.y1});
    }
}

std::optional<uint32_t> Decoder::tilePass(const ImageRegion& region, uint32_t reduction,
                                          const std::function<void(const SamplePlanes&)>& use)
{
    if (region != layout_.image &&
        !opj_set_decode_area(codec_.get(), header_.get(), static_cast<OPJ_INT32>(region.x0),
                             static_cast<OPJ_INT32>(region.y0), static_cast<OPJ_INT32>(region.x1),
                             static_cast<OPJ_INT32>(region.y1)))
        return std::nullopt;
    std::vector<uint8_t> data;
    for (;;) {
        OPJ_UINT32 tile = 0, size = 0, components = 0;
        OPJ_INT32 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        OPJ_BOOL goOn = OPJ_FALSE;
        const uint64_t faultsBefore = messages_.faults();
        if (!opj_read_tile_header(codec_.get(), stream_.get(), &tile, &size, &x0, &y0, &x1, &y1, &components, &goOn)) {
            // A header it could not read: the first tile still owed in raster order is taken for it,
            // unless the stream simply ended.
            if (range_.reachedEnd)
                return std::nullopt;
            for (uint32_t owed : layout_.tilesIn(region))
                if (!decoded_.count(owed) && !damaged_.count(owed) && !failed_.count(owed)) {
                    failed_.insert(owed);
                    return owed;
                }
            return std::nullopt;
        }
        if (!goOn)
            return std::nullopt;
        const bool known = decoded_.count(tile) || damaged_.count(tile) || failed_.count(tile);
        SamplePlanes planes = emptyPlanes(*header_, {static_cast<uint32_t>(x0), static_cast<uint32_t>(y0),
                                                     static_cast<uint32_t>(x1), static_cast<uint32_t>(y1)},
                                          reduction, false);
        if (sampleCount(planes) > decodeBudget::maxSamples || size > 4 * decodeBudget::maxSamples) {
            failed_.insert(tile);
            return tile;
        }
        data.resize(size);
        if (known) {
            // Seen in an earlier pass; the decoder still wants its data taken.
            opj_decode_tile_data(codec_.get(), tile, data.data(), size, stream_.get());
            continue;
        }
        // A tile whose own coding style has fewer levels than the reduction comes at another size.
        if (!opj_decode_tile_data(codec_.get(), tile, data.data(), size, stream_.get()) || !unpackTile(data, planes)) {
            failed_.insert(tile);
            return tile;
        }
        (messages_.faults() > faultsBefore ? damaged_ : decoded_).insert(tile);
        use(planes);
    }
}

std::optional<SamplePlanes> Decoder::decodeArea(const ImageRegion& region, uint32_t reduction)
{
    opj_image_t* image = header_.get();
    if (!opj_set_decode_area(codec_.get(), image, static_cast<OPJ_INT32>(region.x0), static_cast<OPJ_INT32>(region.y0),
                             static_cast<OPJ_INT32>(region.x1), static_cast<OPJ_INT32>(region.y1)) ||
        !opj_decode(codec_.get(), stream_.get(), image))
        return std::nullopt;
    SamplePlanes planes = emptyPlanes(*image, region, reduction, false);
    for (uint32_t c = 0; c < image->numcomps; ++c) {
        const opj_image_comp_t& comp = image->comps[c];
        Plane& plane = planes.components[c];
        if (!comp.data || comp.w != plane.width || comp.h != plane.height)
            return std::nullopt;
        plane.samples.assign(comp.data, comp.data + size_t{comp.w} * comp.h);
    }
    return planes;
}

std::string Decoder::decoderNote() const
{
    if (messages_.faults() == 0)
        return {};
    std::string note = "Komunikaty dekodera: błędy " + std::to_string(messages_.errorCount) + ", ostrzeżenia " +
                       std::to_string(messages_.warningCount);
    const auto& first = messages_.errors.empty() ? messages_.warnings : messages_.errors;
    return first.empty() ? note + "." : note + "; pierwszy: " + first.front();
}

PreviewOutcome Decoder::run()
{
    if (!open())
        return fail(mixedHt() ? mixedHtMessage
                              : "Nie można odczytać nagłówka głównego strumienia: " + messages_.firstError());
    ImageRegion region = layout_.image;
    if (request_.tile) {
        if (*request_.tile >= uint64_t{layout_.columns} * layout_.rows)
            return fail("Strumień nie ma kafla " + std::to_string(*request_.tile) + ".");
        region = layout_.tileRegion(*request_.tile);
    }
    if (request_.area) {
        const auto inside = intersect(region, *request_.area);
        if (!inside)
            return fail("Wybrany obszar leży poza obrazem.");
        region = *inside;
    }
    if (request_.component && *request_.component >= header_->numcomps)
        return fail("Obraz nie ma składowej " + std::to_string(*request_.component) + ".");
    const uint32_t maxReduction = layout_.maxReduction;
    if (request_.reduction && *request_.reduction > maxReduction)
        return fail("Strumień pozwala zmniejszyć obraz najwyżej " + std::to_string(maxReduction) +
                    " razy o połowę.");
    const uint32_t reduction = request_.reduction.value_or(
        chooseReduction(region, request_.fitWidth, request_.fitHeight, maxReduction));
    if (!opj_set_decoded_resolution_factor(codec_.get(), reduction))
        return fail("Nie można ustawić zmniejszenia: " + messages_.firstError());

    const std::vector<uint32_t> tiles = layout_.tilesIn(region);
    bool tilesFit = true;
    for (uint32_t tile : tiles) {
        const ImageRegion r = layout_.tileRegion(tile);
        tilesFit = tilesFit && withinBudget(r, reduction) &&
                   sampleCount(emptyPlanes(*header_, r, reduction, false)) <= decodeBudget::maxSamples;
    }
    const SamplePlanes shape = emptyPlanes(*header_, region, reduction, false);
    const bool fits = withinBudget(region, reduction) && sampleCount(shape) <= decodeBudget::maxSamples;
    const std::string levels = " (" + std::to_string(maxReduction + 1) + ")";

    PreviewOutcome outcome{true, {}, {}};
    PreviewPicture& picture = outcome.picture;
    std::optional<RenderedPicture> rendered;
    if (fits && tilesFit) {
        SamplePlanes whole = emptyPlanes(*header_, region, reduction, true);
        eachTile(region, reduction, [&](const SamplePlanes& tile) { copyInto(tile, whole); });
        if (!decoded_.empty() || !damaged_.empty())
            rendered = renderPicture(std::move(whole), request_.colour, request_.component);
    } else if (fits) {
        auto planes = decodeArea(region, reduction);
        if (!planes)
            return fail("Nie można zdekodować obszaru: " + messages_.firstError());
        (messages_.faults() > 0 ? damaged_ : decoded_).insert(tiles.begin(), tiles.end());
        rendered = renderPicture(std::move(*planes), request_.colour, request_.component);
    } else if (tilesFit && !request_.reduction) {
        // Too large even at the smallest resolution: tiles one at a time, each made smaller at once.
        const double excess = double(reducedPixels(region, reduction)) / decodeBudget::maxPlanePixels;
        const uint32_t factor = std::max({static_cast<uint32_t>(std::ceil(std::sqrt(excess))),
                                          ceilDiv(reducedSides(region, reduction).first, previewReply::maxSide),
                                          ceilDiv(reducedSides(region, reduction).second, previewReply::maxSide)});
        ShrunkPicture shrunk(shape, factor);
        eachTile(region, reduction, [&](const SamplePlanes& tile) {
            if (auto part = renderPicture(tile, request_.colour, request_.component))
                shrunk.add(tile, *part);
        });
        if (!decoded_.empty() || !damaged_.empty())
            rendered = shrunk.result();
        picture.note = "Poziomy rozdzielczości" + levels + " nie pozwalają zmniejszyć obrazu do 4 Mpx; kafle "
                       "zdekodowano po kolei i zmniejszono " + std::to_string((uint64_t{1} << reduction) * factor) +
                       " razy.";
    } else {
        return fail("Obraz jest za duży na podgląd: poziomy rozdzielczości" + levels +
                    " nie pozwalają zmniejszyć go do 4 Mpx, a jego kafle są większe; wybierz mniejszy obszar.");
    }
    if (!rendered)
        return fail(mixedHt() ? mixedHtMessage
                              : "Nie udało się zdekodować żadnego kafla: " + messages_.firstError());

    picture.width = rendered->width;
    picture.height = rendered->height;
    picture.channels = rendered->channels;
    picture.pixels = std::move(rendered->pixels);
    picture.reduction = reduction;
    picture.region = region;
    picture.component = request_.component.value_or(previewReply::allComponents);
    for (uint32_t tile : tiles) {
        if (failed_.count(tile))
            picture.tiles.push_back({tile, TileFault::failed});
        else if (damaged_.count(tile))
            picture.tiles.push_back({tile, TileFault::damaged});
        else if (!decoded_.count(tile))
            picture.tiles.push_back({tile, TileFault::missing});
    }
    if (picture.tiles.size() > previewReply::maxTiles)
        picture.tiles.resize(previewReply::maxTiles);
    const std::string note = decoderNote();
    if (!note.empty())
        picture.note += (picture.note.empty() ? "" : " ") + note;
    return outcome;
}

}  // namespace

std::pair<uint32_t, uint32_t> reducedSides(const ImageRegion& region, uint32_t reduction)
{
    return {ceilDivPow2(region.x1, reduction) - ceilDivPow2(region.x0, reduction),
            ceilDivPow2(region.y1, reduction) - ceilDivPow2(region.y0, reduction)};
}

uint64_t reducedPixels(const ImageRegion& region, uint32_t reduction)
{
    const auto [width, height] = reducedSides(region, reduction);
    return uint64_t{width} * height;
}

bool withinBudget(const ImageRegion& region, uint32_t reduction)
{
    const auto [width, height] = reducedSides(region, reduction);
    return uint64_t{width} * height <= decodeBudget::maxPlanePixels && width <= previewReply::maxSide &&
           height <= previewReply::maxSide;
}

uint32_t chooseReduction(const ImageRegion& region, uint32_t fitWidth, uint32_t fitHeight, uint32_t maxReduction)
{
    const double width = region.x1 - region.x0, height = region.y1 - region.y0;
    const double shrink = std::max({1.0, width / std::max(1u, fitWidth), height / std::max(1u, fitHeight)});
    uint32_t reduction = std::min<uint32_t>(maxReduction, static_cast<uint32_t>(std::floor(std::log2(shrink))));
    while (reduction < maxReduction && !withinBudget(region, reduction))
        ++reduction;
    return reduction;
}

PreviewOutcome decodeCodestream(const DecodeRequest& request)
{
    return Decoder(request).run();
}
