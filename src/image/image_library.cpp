#include "image/image_library.h"

#include "image/downscale.h"
#include "image/jpeg_codec.h"
#include "image/picture_loader.h"
#include "image/picture_writer.h"

#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

// The one decoded copy of the picture, with what was last made from it. A slider step asks for
// the encoding at the quality shown before and then at the new one, and a load asks three times
// at the same settings, so the last few encodings and the last reduction are kept. Both depend
// only on the picture and the settings, so a kept one is byte for byte what a new one would be;
// they go with the picture when another is loaded.
struct LoadedPicture {
    QImage picture;  // Format_RGB32, or Format_ARGB32 when some pixel is not opaque
    QByteArray icc;  // the source's ICC profile, embedded again on output

    struct Encoding {
        int ratio;
        int quality;
        QByteArray jpeg;
    };
    static constexpr std::size_t kept_encodings = 2;
    std::vector<Encoding> recent_encodings;  // the newest last
    int reduced_ratio{1};
    QImage reduced;  // the picture at reduced_ratio, when that is not 1

    const QImage& at_ratio(int ratio);
    QByteArray jpeg(int ratio, int quality);
};

const QImage& LoadedPicture::at_ratio(int ratio)
{
    if (ratio == 1)
        return picture;
    if (ratio != reduced_ratio || reduced.isNull()) {
        reduced = QImage();  // free the old reduction before making the new one
        reduced = downscale(picture, ratio);
        reduced_ratio = ratio;
    }
    return reduced;
}

QByteArray LoadedPicture::jpeg(int ratio, int quality)
{
    ratio = effective_ratio(ratio);
    quality = std::clamp(quality, 1, 100);
    const auto kept = std::find_if(recent_encodings.begin(), recent_encodings.end(),
                                   [&](const Encoding& e) { return e.ratio == ratio && e.quality == quality; });
    if (kept != recent_encodings.end()) {
        std::rotate(kept, kept + 1, recent_encodings.end());
        return recent_encodings.back().jpeg;
    }
    const qsizetype size_hint = recent_encodings.empty() ? 0 : recent_encodings.back().jpeg.size();
    // Make room first, so that the new encoding is never made beside more than the kept ones.
    if (recent_encodings.size() == kept_encodings)
        recent_encodings.erase(recent_encodings.begin());
    QByteArray bytes = encode_jpeg(at_ratio(ratio), quality, icc, size_hint);
    if (!bytes.isEmpty())
        recent_encodings.push_back({ratio, quality, bytes});
    return bytes;
}

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
    image.picture_ = std::make_unique<LoadedPicture>();
    image.picture_->picture = std::move(decoded->picture);
    image.picture_->icc = std::move(decoded->icc);
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
    LoadedPicture& loaded = *image.picture_;
    output = without_throwing([&] { return loaded.jpeg(image.ratio_, image.quality_); }, QByteArray{});
}

bool ImageLibrary::save_file(ImageObject& image, const std::string& path, ImageFormat format)
{
    if (!image.picture_ || format == ImageFormat::Unknown)
        return false;
    LoadedPicture& loaded = *image.picture_;
    return without_throwing(
        [&] {
            // Encode everything before touching the file, so a failed encode writes nothing. A
            // JPEG is the very encoding the preview measured.
            const QByteArray bytes = format == ImageFormat::Jpeg
                                         ? loaded.jpeg(image.ratio_, image.quality_)
                                         : encode_file(loaded.at_ratio(effective_ratio(image.ratio_)), format,
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
