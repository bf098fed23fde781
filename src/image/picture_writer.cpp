#include "image/picture_writer.h"

#include "image/bmp_writer.h"
#include "image/gif_writer.h"
#include "image/jpeg_codec.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

#include <array>

namespace {

constexpr int largest_icon_side = 256;

using FileEncoder = QByteArray (*)(const QImage&, const FileSettings&);

QByteArray encode_with_qt(const QImage& picture, const char* format)
{
    QByteArray output;
    QBuffer buffer(&output);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(picture))
        return {};
    return output;
}

QByteArray encode_bmp(const QImage& picture, const FileSettings&)
{
    // Qt writes 24 bits, which is right for an opaque picture but would drop alpha.
    return picture.hasAlphaChannel() ? encode_bmp_with_alpha(picture) : encode_with_qt(picture, "bmp");
}

QByteArray encode_gif_file(const QImage& picture, const FileSettings&)
{
    return encode_gif(picture);
}

QByteArray encode_jpeg_file(const QImage& picture, const FileSettings& settings)
{
    return encode_jpeg(picture, settings.quality, settings.icc);
}

QByteArray encode_png(const QImage& picture, const FileSettings&)
{
    // Qt's PNG writer embeds the profile of the picture's colour space and keeps alpha.
    return encode_with_qt(picture, "png");
}

// An icon entry is at most 256 x 256, so larger pictures are shrunk to fit, keeping the aspect.
QByteArray encode_ico(const QImage& picture, const FileSettings&)
{
    if (picture.width() <= largest_icon_side && picture.height() <= largest_icon_side)
        return encode_with_qt(picture, "ico");
    const QSize fit = picture.size()
                          .scaled(largest_icon_side, largest_icon_side, Qt::KeepAspectRatio)
                          .expandedTo(QSize(1, 1));
    return encode_with_qt(picture.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), "ico");
}

// Indexed by the ImageFormat code.
constexpr std::array<FileEncoder, 6> encoders{
    nullptr, encode_bmp, encode_gif_file, encode_jpeg_file, encode_png, encode_ico};

}  // namespace

QByteArray encode_file(const QImage& picture, ImageFormat format, const FileSettings& settings)
{
    const auto code = static_cast<std::size_t>(format);
    if (picture.isNull() || code >= encoders.size() || encoders[code] == nullptr)
        return {};
    return encoders[code](picture, settings);
}

bool write_atomically(const QString& path, const QByteArray& bytes)
{
    // An uncommitted QSaveFile removes its temporary file when it goes out of scope. Unbuffered,
    // because a buffered file writes small pictures only while committing, and Qt's commit then
    // misses a failure such as a full disk and renames the empty temporary file over path.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
        && file.commit();
}
