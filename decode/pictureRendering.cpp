#include "decode/pictureRendering.h"

#include <algorithm>

namespace {

// One YCC sample to RGB, in the arithmetic image viewers use for sYCC (truncated, then clamped).
struct YccToRgb {
    int offset;
    int upper;

    void operator()(int y, int cb, int cr, int32_t& r, int32_t& g, int32_t& b) const
    {
        cb -= offset;
        cr -= offset;
        r = std::clamp(y + static_cast<int>(1.402 * static_cast<float>(cr)), 0, upper);
        g = std::clamp(y - static_cast<int>(0.344 * static_cast<float>(cb) + 0.714 * static_cast<float>(cr)), 0, upper);
        b = std::clamp(y + static_cast<int>(1.772 * static_cast<float>(cb)), 0, upper);
    }
};

// Walks the chroma planes in storage order, as the conversion consumes them; a plane that runs out
// reads as zero rather than past its end.
struct ChromaCursor {
    const std::vector<int32_t>& cb;
    const std::vector<int32_t>& cr;
    size_t next = 0;
    int b() const { return next < cb.size() ? cb[next] : 0; }
    int r() const { return next < cr.size() ? cr[next] : 0; }
};

// Luma with its chroma at 1, 2 or 4 luma samples per chroma sample. A first column (row) that the
// image's odd origin leaves without chroma is converted with zero chroma, as viewers do.
void yccToRgb(SamplePlanes& planes)
{
    std::vector<Plane>& c = planes.components;
    const Plane& luma = c[0];
    const int precision = static_cast<int>(std::clamp<uint32_t>(luma.precision, 1, 30));
    const YccToRgb convert{1 << (precision - 1), (1 << precision) - 1};
    const bool halfWidth = c[1].dx == 2 && c[2].dx == 2;
    const bool halfHeight = c[1].dy == 2 && c[2].dy == 2;
    const size_t width = luma.width, height = luma.height, count = width * height;
    std::vector<int32_t> r(count), g(count), b(count);
    ChromaCursor chroma{c[1].samples, c[2].samples};
    auto put = [&](size_t at, int cb, int cr) { convert(luma.samples[at], cb, cr, r[at], g[at], b[at]); };
    auto putRun = [&](size_t row, size_t from, size_t to, size_t rows) {
        // Pairs of columns (and rows) share one chroma sample; a last odd column has one of its own.
        for (size_t x = from; x < to; x += 2) {
            for (size_t dy = 0; dy < rows; ++dy) {
                put((row + dy) * width + x, chroma.b(), chroma.r());
                if (x + 1 < to)
                    put((row + dy) * width + x + 1, chroma.b(), chroma.r());
            }
            ++chroma.next;
        }
    };
    if (!halfWidth) {
        for (size_t i = 0; i < count; ++i, ++chroma.next)
            put(i, chroma.b(), chroma.r());
    } else {
        const size_t offX = planes.x0 & 1u;
        const size_t offY = halfHeight ? planes.y0 & 1u : 0;
        size_t row = 0;
        for (; row < offY && row < height; ++row)
            for (size_t x = 0; x < width; ++x)
                put(row * width + x, 0, 0);
        const size_t step = halfHeight ? 2 : 1;
        for (; row + step <= height; row += step) {
            if (offX > 0 && width > 0) {
                put(row * width, 0, 0);
                if (step == 2)
                    put((row + 1) * width, chroma.b(), chroma.r());
            }
            putRun(row, std::min(offX, width), width, step);
        }
        if (row < height) {
            if (offX > 0 && width > 0)
                put(row * width, 0, 0);
            putRun(row, std::min(offX, width), width, 1);
        }
    }
    for (size_t k = 0; k < 3; ++k) {
        c[k].samples = std::move(k == 0 ? r : k == 1 ? g : b);
        c[k].width = luma.width;
        c[k].height = luma.height;
        c[k].x0 = luma.x0;
        c[k].y0 = luma.y0;
        c[k].dx = luma.dx;
        c[k].dy = luma.dy;
    }
}

bool isYccLayout(const std::vector<Plane>& c)
{
    if (c.size() < 3 || c[0].dx != 1 || c[0].dy != 1 || c[1].dx != c[2].dx || c[1].dy != c[2].dy)
        return false;
    const bool widthOk = c[1].dx == 1 || c[1].dx == 2;
    const bool heightOk = c[1].dy == 1 || (c[1].dy == 2 && c[1].dx == 2);
    return widthOk && heightOk && c[1].samples.size() == c[2].samples.size();
}

// Repeats each sample of a subsampled plane over the XRsiz × YRsiz samples of the image grid it
// stands for; false when the plane's origin does not fit the image's.
bool upsample(Plane& plane, uint32_t imageX0, uint32_t imageY0, uint32_t width, uint32_t height)
{
    const uint64_t xOff = uint64_t{plane.dx} * plane.x0 - imageX0;
    const uint64_t yOff = uint64_t{plane.dy} * plane.y0 - imageY0;
    if (uint64_t{plane.dx} * plane.x0 < imageX0 || uint64_t{plane.dy} * plane.y0 < imageY0 || xOff >= plane.dx ||
        yOff >= plane.dy)
        return false;
    std::vector<int32_t> out(size_t{width} * height, 0);
    for (uint32_t y = static_cast<uint32_t>(yOff); y < height; ++y) {
        const uint32_t sy = std::min((y - static_cast<uint32_t>(yOff)) / plane.dy, plane.height - 1);
        for (uint32_t x = static_cast<uint32_t>(xOff); x < width; ++x) {
            const uint32_t sx = std::min((x - static_cast<uint32_t>(xOff)) / plane.dx, plane.width - 1);
            out[size_t{y} * width + x] = plane.at(sx, sy);
        }
    }
    plane = Plane{imageX0, imageY0, width, height, 1, 1, plane.precision, plane.isSigned, std::move(out)};
    return true;
}

uint8_t toEightBits(int64_t value, const Plane& plane)
{
    const uint32_t precision = std::clamp<uint32_t>(plane.precision, 1, 38);
    const int64_t max = (int64_t{1} << precision) - 1;
    if (plane.isSigned)
        value += int64_t{1} << (precision - 1);
    value = std::clamp<int64_t>(value, 0, max);
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

}  // namespace

std::optional<RenderedPicture> renderPicture(SamplePlanes planes, ColourHint hint, std::optional<uint32_t> component)
{
    std::vector<Plane>& c = planes.components;
    if (c.empty() || (component && *component >= c.size()))
        return std::nullopt;
    // A three-component stream with subsampled chroma is taken for YCC even where nothing says so.
    const bool ycc = hint == ColourHint::sycc ||
                     (c.size() == 3 && c[0].dx == c[0].dy && c[1].dx != 1 && hint != ColourHint::grey);
    if (ycc && !component && isYccLayout(c))
        yccToRgb(planes);
    const uint32_t imageX0 = ceilDivPow2(planes.x0, planes.reduction);
    const uint32_t imageY0 = ceilDivPow2(planes.y0, planes.reduction);
    const uint32_t width = ceilDivPow2(planes.x1, planes.reduction) - imageX0;
    const uint32_t height = ceilDivPow2(planes.y1, planes.reduction) - imageY0;
    for (Plane& plane : c)
        if ((plane.dx > 1 || plane.dy > 1) && plane.width > 0 && plane.height > 0)
            upsample(plane, imageX0, imageY0, width, height);

    const bool colour = !component && hint != ColourHint::grey && c.size() >= 3 && c[0].width == c[1].width &&
                        c[0].width == c[2].width && c[0].height == c[1].height && c[0].height == c[2].height;
    const Plane& first = c[component.value_or(0)];
    RenderedPicture picture{first.width, first.height, colour ? 3u : 1u, {}};
    if (picture.width == 0 || picture.height == 0)
        return std::nullopt;
    const size_t count = size_t{picture.width} * picture.height;
    picture.pixels.resize(count * picture.channels);
    for (uint32_t k = 0; k < picture.channels; ++k) {
        const Plane& plane = colour ? c[k] : first;
        for (size_t i = 0; i < count; ++i)
            picture.pixels[i * picture.channels + k] = toEightBits(plane.samples[i], plane);
    }
    return picture;
}

RenderedPicture fitPicture(const RenderedPicture& picture, uint32_t maxWidth, uint32_t maxHeight)
{
    const double scale = std::min({1.0, double(maxWidth) / picture.width, double(maxHeight) / picture.height});
    if (scale >= 1.0)
        return picture;
    const uint32_t width = std::max<uint32_t>(1, static_cast<uint32_t>(picture.width * scale + 0.5));
    const uint32_t height = std::max<uint32_t>(1, static_cast<uint32_t>(picture.height * scale + 0.5));
    const uint32_t channels = picture.channels;
    std::vector<uint64_t> sums(size_t{width} * height * channels);
    std::vector<uint32_t> counts(size_t{width} * height);
    for (uint32_t y = 0; y < picture.height; ++y) {
        const size_t outRow = uint64_t{y} * height / picture.height * width;
        for (uint32_t x = 0; x < picture.width; ++x) {
            const size_t out = outRow + uint64_t{x} * width / picture.width;
            ++counts[out];
            for (uint32_t k = 0; k < channels; ++k)
                sums[out * channels + k] += picture.pixels[(size_t{y} * picture.width + x) * channels + k];
        }
    }
    RenderedPicture fitted{width, height, channels, std::vector<uint8_t>(sums.size())};
    for (size_t i = 0; i < sums.size(); ++i) {
        const uint32_t n = counts[i / channels];
        fitted.pixels[i] = static_cast<uint8_t>((sums[i] + n / 2) / n);
    }
    return fitted;
}
