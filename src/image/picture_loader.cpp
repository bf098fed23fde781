#include "image/picture_loader.h"

#include "image/jpeg_quality.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>

namespace {

constexpr qint64 stored_bytes_per_pixel = 4;

bool fits_limit(QSize size)
{
    return qint64{size.width()} * size.height() * stored_bytes_per_pixel <= decoded_picture_limit;
}

bool fully_opaque(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(row[x]) != 255)
                return false;
        }
    }
    return true;
}

// Converts in place where Qt can (same depth), so at most one extra copy exists for a moment.
void normalise(QImage& picture)
{
    const bool has_alpha = picture.hasAlphaChannel();
    picture.convertTo(has_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // An alpha channel nobody uses would only cost compositing and 32-bit BMPs later.
    if (has_alpha && fully_opaque(picture))
        picture.convertTo(QImage::Format_RGB32);
}

std::optional<QImage> read_picture(QIODevice& device, QByteArray& format)
{
    QImageReader::setAllocationLimit(static_cast<int>(decoded_picture_limit >> 20));
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);  // extensions lie, or are missing
    reader.setAutoTransform(true);
    // Refuse before decoding where the header tells the size; the allocation limit covers the rest.
    const QSize size = reader.size();
    if (size.isValid() && !fits_limit(size))
        return std::nullopt;
    // Asked before reading: afterwards the handler can no longer recognise its device.
    format = reader.format();
    QImage picture;
    if (!reader.read(&picture) || !fits_limit(picture.size()))
        return std::nullopt;
    return picture;
}

// Reads and normalises; format names the handler that decoded it ("jpeg", "png", ...).
std::optional<DecodedPicture> decode_picture(QIODevice& device, QByteArray& format)
{
    std::optional<QImage> picture = read_picture(device, format);
    if (!picture)
        return std::nullopt;
    DecodedPicture decoded;
    decoded.picture = std::move(*picture);
    picture.reset();
    normalise(decoded.picture);
    if (decoded.picture.isNull())
        return std::nullopt;
    decoded.icc = decoded.picture.colorSpace().iccProfile();
    return decoded;
}

}  // namespace

std::optional<DecodedPicture> decode_picture_file(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray format;
    std::optional<DecodedPicture> decoded = decode_picture(file, format);
    if (decoded && format == "jpeg")
        decoded->quality = estimate_jpeg_quality(path).value_or(100);
    return decoded;
}

std::optional<DecodedPicture> decode_picture_bytes(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray format;
    return decode_picture(buffer, format);
}
