#include "image/gif_writer.h"

#include <gif_lib.h>

#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int palette_size = 256;
constexpr int transparent_index = palette_size - 1;
constexpr int opaque_alpha_threshold = 128;

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapFreer>;

// Closing also writes the trailer; the success path closes explicitly to see the result.
struct GifCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifWriter = std::unique_ptr<GifFileType, GifCloser>;

// The picture's kept (not transparent) pixels, one plane per primary, in reading order.
struct Planes {
    std::vector<GifByteType> red, green, blue;
    std::size_t kept{};
    bool any_transparent{};
};

bool is_transparent(QRgb pixel, bool has_alpha)
{
    return has_alpha && qAlpha(pixel) < opaque_alpha_threshold;
}

Planes split_planes(const QImage& picture)
{
    const auto capacity = static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height());
    Planes planes{std::vector<GifByteType>(capacity), std::vector<GifByteType>(capacity),
                  std::vector<GifByteType>(capacity)};
    const bool has_alpha = picture.hasAlphaChannel();
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (is_transparent(row[x], has_alpha)) {
                planes.any_transparent = true;
                continue;
            }
            planes.red[planes.kept] = static_cast<GifByteType>(qRed(row[x]));
            planes.green[planes.kept] = static_cast<GifByteType>(qGreen(row[x]));
            planes.blue[planes.kept] = static_cast<GifByteType>(qBlue(row[x]));
            ++planes.kept;
        }
    }
    return planes;
}

// The picture reduced to palette indices, one per kept pixel in reading order.
struct Quantized {
    std::array<GifColorType, palette_size> palette{};
    std::vector<GifByteType> indices;
    bool any_transparent{};
};

// giflib's quantizer works on 5 bits a primary and names each colour by its box's truncated
// values, so its palette runs a few levels dark. Each entry becomes the mean of the pixels that
// were given it instead.
void refine_palette(const Planes& planes, Quantized& result)
{
    struct Sum {
        std::uint64_t red{}, green{}, blue{}, count{};
    };
    std::array<Sum, palette_size> sums{};
    for (std::size_t i = 0; i < planes.kept; ++i) {
        Sum& sum = sums[result.indices[i]];
        sum.red += planes.red[i];
        sum.green += planes.green[i];
        sum.blue += planes.blue[i];
        ++sum.count;
    }
    const auto mean = [](std::uint64_t total, std::uint64_t count) {
        return static_cast<GifByteType>((total + count / 2) / count);
    };
    for (std::size_t entry = 0; entry < sums.size(); ++entry) {
        const Sum& sum = sums[entry];
        if (sum.count > 0)
            result.palette[entry] = {mean(sum.red, sum.count), mean(sum.green, sum.count), mean(sum.blue, sum.count)};
    }
}

// Leaves the last palette entry free when it is needed for transparency. The planes live only
// in here, so they are freed before the file is written.
std::optional<Quantized> quantize(const QImage& picture)
{
    Planes planes = split_planes(picture);
    Quantized result;
    result.any_transparent = planes.any_transparent;
    if (planes.kept == 0)
        return result;
    if (planes.kept > std::numeric_limits<unsigned int>::max())
        return std::nullopt;
    int colours = planes.any_transparent ? palette_size - 1 : palette_size;
    result.indices.resize(planes.kept);
    if (GifQuantizeBuffer(static_cast<unsigned int>(planes.kept), 1, &colours, planes.red.data(),
                          planes.green.data(), planes.blue.data(), result.indices.data(),
                          result.palette.data())
        != GIF_OK)
        return std::nullopt;
    refine_palette(planes, result);
    return result;
}

int append_to_array(GifFileType* gif, const GifByteType* data, int length)
{
    try {
        static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    } catch (...) {
        return 0;  // giflib treats a short write as a failure
    }
    return length;
}

bool put_transparency(GifFileType* gif)
{
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = transparent_index;
    std::array<GifByteType, 4> extension{};
    EGifGCBToExtension(&control, extension.data());
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extension.size()),
                            extension.data()) == GIF_OK;
}

// Writes the rows, putting the transparent index back where transparent pixels were taken out.
bool put_rows(GifFileType* gif, const QImage& picture, const std::vector<GifByteType>& indices)
{
    const bool has_alpha = picture.hasAlphaChannel();
    std::vector<GifByteType> line(static_cast<std::size_t>(picture.width()));
    std::size_t next = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[static_cast<std::size_t>(x)] = is_transparent(row[x], has_alpha) ? transparent_index : indices[next++];
        if (EGifPutLine(gif, line.data(), picture.width()) != GIF_OK)
            return false;
    }
    return true;
}

bool write_stream(GifFileType* gif, const QImage& picture, const ColorMap& map, const Quantized& quantized)
{
    // A transparent colour needs the extension block, which exists from GIF89a on.
    EGifSetGifVersion(gif, quantized.any_transparent);
    const int width = picture.width();
    const int height = picture.height();
    return EGifPutScreenDesc(gif, width, height, 8, 0, map.get()) == GIF_OK
        && (!quantized.any_transparent || put_transparency(gif))
        && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK
        && put_rows(gif, picture, quantized.indices);
}

}  // namespace

QByteArray encode_gif(const QImage& picture)
{
    constexpr int largest_side = std::numeric_limits<std::uint16_t>::max();
    if (picture.isNull() || picture.width() > largest_side || picture.height() > largest_side)
        return {};
    std::optional<Quantized> quantized = quantize(picture);
    if (!quantized)
        return {};
    const ColorMap map(GifMakeMapObject(palette_size, quantized->palette.data()));

    QByteArray output;
    int error = 0;
    GifWriter gif(EGifOpen(&output, append_to_array, &error));
    if (map == nullptr || gif == nullptr || !write_stream(gif.get(), picture, map, *quantized))
        return {};
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        return {};
    return output;
}
