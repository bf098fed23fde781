#include "image/image_library.h"

#include "image/downscale.h"
#include "image/jpeg_codec.h"
#include "image/picture_loader.h"
#include "image/picture_writer.h"

#include <QString>

#include <utility>

// The one decoded copy of the picture. Encodings and reductions are made from it on demand; a
// cache of recent ones would live here, keyed by quality and ratio, and be dropped with it.
struct LoadedPicture {
    QImage picture;  // Format_RGB32, or Format_ARGB32 when some pixel is not opaque
    QByteArray icc;  // the source's ICC profile, embedded again on output
};

namespace {

constexpr std::uint8_t default_quality = 100;
constexpr std::uint8_t default_ratio = 1;

// Qt and the codecs report failure by return value, but an allocation can still throw; the
// library promises callers that nothing does.
template <typename Operation, typename Result>
Result without_throwing(Operation operation, Result on_failure) noexcept
{
    try {
        return operation();
    } catch (...) {
        return on_failure;
    }
}

}  // namespace

ImageObject::ImageObject() = default;
ImageObject::~ImageObject() = default;

std::uintptr_t ImageObject::handle() const
{
    return reinterpret_cast<std::uintptr_t>(picture_.get());
}

void ImageLibrary::load_file(ImageObject& image, const std::string& path, ImageFormat)
{
    // Free the old picture first: a failed load must not leave it, and the memory is needed now.
    release(image);
    std::optional<DecodedPicture> decoded = without_throwing(
        [&] { return decode_picture_file(QString::fromStdString(path)); },
        std::optional<DecodedPicture>{});
    if (!decoded)
        return;
    image.picture_ = std::make_unique<LoadedPicture>(
        LoadedPicture{std::move(decoded->picture), std::move(decoded->icc)});
    image.quality_ = static_cast<std::uint8_t>(decoded->quality);
}

int ImageLibrary::width(const ImageObject& image)
{
    return image.picture_ ? image.picture_->picture.width() : 0;
}

int ImageLibrary::height(const ImageObject& image)
{
    return image.picture_ ? image.picture_->picture.height() : 0;
}

std::uint8_t ImageLibrary::quality(const ImageObject& image)
{
    return image.quality_;
}

std::uint8_t ImageLibrary::compression_ratio(const ImageObject& image)
{
    return image.ratio_;
}

void ImageLibrary::set_quality(ImageObject& image, std::uint8_t quality)
{
    image.quality_ = quality;
}

void ImageLibrary::set_compression_ratio(ImageObject& image, std::uint8_t ratio)
{
    image.ratio_ = ratio;
}

void ImageLibrary::encode(ImageObject& image, QByteArray& output, ImageFormat)
{
    ++image.encode_calls_;
    output.clear();
    if (!image.picture_)
        return;
    const LoadedPicture& loaded = *image.picture_;
    output = without_throwing(
        [&] { return encode_jpeg(downscale(loaded.picture, image.ratio_), image.quality_, loaded.icc); },
        QByteArray{});
}

bool ImageLibrary::save_file(ImageObject& image, const std::string& path, ImageFormat format)
{
    if (!image.picture_ || format == ImageFormat::Unknown)
        return false;
    const LoadedPicture& loaded = *image.picture_;
    return without_throwing(
        [&] {
            // Encode everything before touching the file, so a failed encode writes nothing.
            const QByteArray bytes = encode_file(downscale(loaded.picture, image.ratio_), format,
                                                 FileSettings{image.quality_, loaded.icc});
            return !bytes.isEmpty() && write_atomically(QString::fromStdString(path), bytes);
        },
        false);
}

void ImageLibrary::release(ImageObject& image)
{
    image.picture_.reset();
    image.quality_ = default_quality;
    image.ratio_ = default_ratio;
}
