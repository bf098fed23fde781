#include "image/bmp_writer.h"

#include <QtEndian>

#include <cstdint>
#include <limits>

namespace {

constexpr quint32 file_header_size = 14;
constexpr quint32 info_header_size = 124;  // BITMAPV5HEADER
constexpr quint32 pixels_offset = file_header_size + info_header_size;
constexpr quint32 bitfields_compression = 3;
constexpr quint32 srgb_color_space = 0x73524742;  // 'sRGB'
constexpr quint32 pixels_per_metre = 2835;        // 72 dpi
constexpr quint32 perceptual_intent = 4;          // LCS_GM_IMAGES

// One little-endian header field: its width in bytes and its value.
struct Field {
    int bytes;
    quint32 value;
};

void append_field(QByteArray& output, Field field)
{
    const quint32 little = qToLittleEndian(field.value);
    output.append(reinterpret_cast<const char*>(&little), field.bytes);
}

// The file header and the V5 info header, field by field in file order. The endpoints and gamma
// fields are unused with the sRGB colour space and stay zero.
QByteArray headers(quint32 width, quint32 height, quint32 pixel_bytes)
{
    const Field fields[] = {
        {2, 0x4d42},  // "BM"
        {4, pixels_offset + pixel_bytes}, {4, 0}, {4, pixels_offset},
        {4, info_header_size}, {4, width}, {4, height}, {2, 1}, {2, 32},
        {4, bitfields_compression}, {4, pixel_bytes}, {4, pixels_per_metre}, {4, pixels_per_metre},
        {4, 0}, {4, 0},
        {4, 0x00ff0000}, {4, 0x0000ff00}, {4, 0x000000ff}, {4, 0xff000000},
        {4, srgb_color_space},
        {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0},
        {4, 0}, {4, 0}, {4, 0},
        {4, perceptual_intent}, {4, 0}, {4, 0}, {4, 0},
    };
    QByteArray output;
    output.reserve(pixels_offset);
    for (const Field& field : fields)
        append_field(output, field);
    return output;
}

}  // namespace

QByteArray encode_bmp_with_alpha(const QImage& picture)
{
    const auto width = static_cast<quint64>(picture.width());
    const auto height = static_cast<quint64>(picture.height());
    const quint64 pixel_bytes = width * height * 4;
    if (picture.isNull() || pixel_bytes > std::numeric_limits<quint32>::max() - pixels_offset)
        return {};

    QByteArray output = headers(static_cast<quint32>(width), static_cast<quint32>(height),
                                static_cast<quint32>(pixel_bytes));
    const auto row_bytes = static_cast<qsizetype>(width * 4);
    output.resize(pixels_offset + static_cast<qsizetype>(pixel_bytes));
    char* target = output.data() + pixels_offset;
    // A 0xAARRGGBB word in little-endian order is exactly what the masks above describe.
    for (int y = picture.height() - 1; y >= 0; --y, target += row_bytes)
        qToLittleEndian<quint32>(picture.constScanLine(y), picture.width(), target);
    return output;
}
