#pragma once
// The image object and the library that decodes, encodes and writes its picture. An ImageObject
// holds at most one decoded picture with its JPEG quality and compression ratio; its handle is 0
// while it holds none. Every operation takes the object by reference; the caller owns the object.

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <string>

enum class ImageFormat : int { Unknown = 0, Bmp = 1, Gif = 2, Jpeg = 3, Png = 4, Ico = 5 };

struct LoadedPicture;  // the decoded picture and its settings, private to the library

class ImageObject {
public:
    ImageObject();
    ~ImageObject();
    ImageObject(const ImageObject&) = delete;
    ImageObject& operator=(const ImageObject&) = delete;

    // 0 while the object holds no picture; otherwise a non-zero word that names the picture.
    std::uintptr_t handle() const;

    // How many times encode was called on this object; one per preview refresh, and one more per
    // load. Lets tests and the benchmark count refreshes.
    std::uint64_t encode_calls() const { return encode_calls_; }

private:
    friend class ImageLibrary;
    std::unique_ptr<LoadedPicture> picture_;
    std::uint8_t quality_{100};
    std::uint8_t ratio_{1};
    std::uint64_t encode_calls_{0};
};

// Paths are UTF-8. No operation throws; failures leave the object as documented per operation.
class ImageLibrary {
public:
    // Replaces the object's picture with the file's. Unknown detects the format from the contents.
    // A failed load (missing, unreadable, corrupt or too large) leaves the object empty.
    static void load_file(ImageObject& image, const std::string& path, ImageFormat format);

    // The picture's size in pixels; 0 for an empty object.
    static int width(const ImageObject& image);
    static int height(const ImageObject& image);

    // After a load: the source's estimated JPEG quality (100 for other formats) and ratio 1.
    static std::uint8_t quality(const ImageObject& image);
    static std::uint8_t compression_ratio(const ImageObject& image);
    static void set_quality(ImageObject& image, std::uint8_t quality);
    static void set_compression_ratio(ImageObject& image, std::uint8_t ratio);

    // Replaces output with a complete JPEG file of the picture at the held settings (the format
    // argument is always Jpeg); an empty object gives an empty buffer.
    static void encode(ImageObject& image, QByteArray& output, ImageFormat format);

    // Writes the picture at the held settings, atomically: on any failure an existing file at
    // path is left byte for byte as it was. Returns whether the file was written.
    static bool save_file(ImageObject& image, const std::string& path, ImageFormat format);

    // Frees the picture; the object is empty afterwards and may be loaded again.
    static void release(ImageObject& image);
};
