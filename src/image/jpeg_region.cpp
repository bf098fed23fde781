#include "image/jpeg_region.h"

#include "image/jpeg_error.h"

#include <QSysInfo>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr J_COLOR_SPACE rgb32_color_space =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;

struct Decompressor {
    jpeg_decompress_struct info{};
    JpegErrorTrap trap;
    bool created{false};

    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

// The rows and columns to decode, in the scaled picture's pixels.
struct Window {
    JDIMENSION left, width, top, height;
};

// Reads the header and chooses the smallest scale M/8 at which the picture is at least `shown`
// (the whole picture when shown is empty). Owns nothing, so the jump back is safe.
bool read_header(Decompressor& d, const QByteArray& bytes, QSize shown)
{
    if (setjmp(d.trap.jump) != 0)
        return false;
    d.info.err = install_error_trap(d.trap);
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    d.info.out_color_space = rgb32_color_space;
    d.info.scale_denom = 8;
    for (d.info.scale_num = 1; d.info.scale_num < 8; ++d.info.scale_num) {
        jpeg_calc_output_dimensions(&d.info);
        if (int(d.info.output_width) >= shown.width() && int(d.info.output_height) >= shown.height())
            break;
    }
    jpeg_calc_output_dimensions(&d.info);
    return true;
}

// Starts the decode, narrows it to the window (libjpeg may widen it to whole blocks and says so
// through left and width), skips the rows above it and reads its rows into pixels.
bool read_window(Decompressor& d, Window& window, QImage& pixels)
{
    if (setjmp(d.trap.jump) != 0)
        return false;
    jpeg_start_decompress(&d.info);
    jpeg_crop_scanline(&d.info, &window.left, &window.width);
    if (window.top > 0 && jpeg_skip_scanlines(&d.info, window.top) != window.top)
        return false;
    pixels = QImage(int(window.width), int(window.height), QImage::Format_RGB32);
    if (pixels.isNull())
        return false;
    for (int row = 0; row < int(window.height); ++row) {
        auto* line = reinterpret_cast<JSAMPLE*>(pixels.scanLine(row));
        if (jpeg_read_scanlines(&d.info, &line, 1) != 1)
            return false;
    }
    jpeg_abort_decompress(&d.info);  // the rows below the window are not needed
    return true;
}

}  // namespace

QSize jpeg_size(const QByteArray& bytes)
{
    Decompressor d;
    if (bytes.isEmpty() || !read_header(d, bytes, QSize()))
        return {};
    return QSize(int(d.info.image_width), int(d.info.image_height));
}

JpegRegion decode_jpeg_region(const QByteArray& bytes, QSize shown, QRect part)
{
    Decompressor d;
    if (bytes.isEmpty() || shown.isEmpty() || !read_header(d, bytes, shown))
        return {};
    // The scaled picture's size; cropping below narrows output_width to the window.
    const JDIMENSION scaled_width = d.info.output_width;
    const JDIMENSION scaled_height = d.info.output_height;
    const double fx = double(scaled_width) / shown.width();
    const double fy = double(scaled_height) / shown.height();
    // One pixel more on every side, so that smooth scaling has its neighbours at the edges.
    const auto clamp_to = [](double value, JDIMENSION limit) {
        return JDIMENSION(std::clamp(value, 0.0, double(limit)));
    };
    const JDIMENSION left = clamp_to(std::floor(part.left() * fx) - 1, scaled_width);
    const JDIMENSION right = clamp_to(std::ceil((part.right() + 1) * fx) + 1, scaled_width);
    const JDIMENSION top = clamp_to(std::floor(part.top() * fy) - 1, scaled_height);
    const JDIMENSION bottom = clamp_to(std::ceil((part.bottom() + 1) * fy) + 1, scaled_height);
    if (right <= left || bottom <= top)
        return {};
    Window window{left, right - left, top, bottom - top};
    JpegRegion region;
    if (!read_window(d, window, region.pixels))
        return {};
    // Multiplied before divided, so that a window of the whole picture maps onto `shown` exactly.
    const auto to_shown_x = [&](JDIMENSION x) { return double(x) * shown.width() / scaled_width; };
    const auto to_shown_y = [&](JDIMENSION y) { return double(y) * shown.height() / scaled_height; };
    region.place = QRectF(QPointF(to_shown_x(window.left), to_shown_y(window.top)),
                          QPointF(to_shown_x(window.left + window.width), to_shown_y(window.top + window.height)));
    return region;
}
