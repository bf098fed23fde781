#include "hostile_corpus.h"

#include "picture_fixtures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <utility>

namespace {

constexpr int huge_side = 100000;
constexpr int largest_16_bit_side = 65535;  // GIF and JPEG store each side in 16 bits

void put_le16(QByteArray& bytes, qsizetype at, quint16 value) { qToLittleEndian(value, bytes.data() + at); }
void put_le32(QByteArray& bytes, qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }
void put_be16(QByteArray& bytes, qsizetype at, quint16 value) { qToBigEndian(value, bytes.data() + at); }
void put_be32(QByteArray& bytes, qsizetype at, quint32 value) { qToBigEndian(value, bytes.data() + at); }

void append_le16(QByteArray& bytes, quint16 value)
{
    bytes.append(2, '\0');
    put_le16(bytes, bytes.size() - 2, value);
}

void append_le32(QByteArray& bytes, quint32 value)
{
    bytes.append(4, '\0');
    put_le32(bytes, bytes.size() - 4, value);
}

QByteArray written_by_qt(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// An 8-bit paletted BMP (BITMAPINFOHEADER, bottom-up), which Qt does not write itself. Each
// pixel is (x + y) % index_range; in the valid one every index is inside the palette.
constexpr int bmp_width = 35;
constexpr int bmp_height = 39;
constexpr int bmp_info_at = 14;
constexpr int bmp_palette_at = 54;

QByteArray paletted_bmp(int colours = 256, int index_range = 256)
{
    const int stride = (bmp_width + 3) / 4 * 4;
    const int pixels_at = bmp_palette_at + 4 * colours;
    QByteArray bytes("BM");
    append_le32(bytes, static_cast<quint32>(pixels_at + stride * bmp_height));
    append_le32(bytes, 0);
    append_le32(bytes, static_cast<quint32>(pixels_at));
    for (const quint32 field : {40u, quint32(bmp_width), quint32(bmp_height)})
        append_le32(bytes, field);
    append_le16(bytes, 1);  // planes
    append_le16(bytes, 8);  // bits per pixel
    for (const quint32 field : {0u, quint32(stride * bmp_height), 2835u, 2835u, quint32(colours), 0u})
        append_le32(bytes, field);
    for (int i = 0; i < colours; ++i)
        for (const int channel : {i, 255 - i, (i * 7) % 256, 0})
            bytes.append(char(channel));
    for (int y = 0; y < bmp_height; ++y) {
        for (int x = 0; x < stride; ++x)
            bytes.append(x < bmp_width ? char((x + y) % index_range) : '\0');
    }
    return bytes;
}

// GIF's variable-width LZW, written the classic way: a code is emitted at the current width, the
// width grows once the next free code no longer fits, and a clear code starts over when the
// table is full.
class LzwEncoder {
public:
    explicit LzwEncoder(int minimum_size) : minimum_(minimum_size), clear_(1 << minimum_size) { reset(); }

    QByteArray encode(const QByteArray& indices)
    {
        put_code(clear_);
        int prefix = -1;
        for (const char c : indices) {
            const int byte = static_cast<unsigned char>(c);
            if (prefix < 0) {
                prefix = byte;
                continue;
            }
            const auto found = table_.find({prefix, byte});
            if (found != table_.end()) {
                prefix = found->second;
                continue;
            }
            put_code(prefix);
            table_[{prefix, byte}] = next_++;
            if (next_ == max_codes) {
                put_code(clear_);
                reset();
            }
            prefix = byte;
        }
        if (prefix >= 0)
            put_code(prefix);
        put_code(clear_ + 1);
        if (filled_ > 0)
            output_.append(char(buffer_ & 0xff));
        return output_;
    }

private:
    static constexpr int max_codes = 4096;

    void reset()
    {
        table_.clear();
        next_ = clear_ + 2;
        width_ = minimum_ + 1;
    }

    void put_code(int code)
    {
        buffer_ |= static_cast<std::uint32_t>(code) << filled_;
        filled_ += width_;
        for (; filled_ >= 8; filled_ -= 8, buffer_ >>= 8)
            output_.append(char(buffer_ & 0xff));
        if (next_ > (1 << width_) - 1 && width_ < 12)
            ++width_;
    }

    int minimum_;
    int clear_;
    int next_{};
    int width_{};
    std::map<std::pair<int, int>, int> table_;
    QByteArray output_;
    std::uint32_t buffer_{0};
    int filled_{0};
};

constexpr int gif_screen_at = 6;
constexpr int gif_descriptor_at = 13 + 3 * 256;

// A single-frame GIF89a with a 256-colour grey palette; the frame's LZW data encodes pixels,
// which may hold more (or fewer) indices than width x height.
QByteArray gif(int width, int height, const QByteArray& pixels)
{
    QByteArray bytes("GIF89a");
    append_le16(bytes, static_cast<quint16>(width));
    append_le16(bytes, static_cast<quint16>(height));
    bytes.append("\xF7\0\0", 3);  // a global palette of 256 entries
    for (int i = 0; i < 256; ++i)
        bytes.append(3, char(i));
    bytes.append(',');
    append_le16(bytes, 0);
    append_le16(bytes, 0);
    append_le16(bytes, static_cast<quint16>(width));
    append_le16(bytes, static_cast<quint16>(height));
    bytes.append('\0');
    bytes.append(char(8));  // minimum code size
    const QByteArray data = LzwEncoder(8).encode(pixels);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        bytes.append(char(block.size()));
        bytes.append(block);
    }
    bytes.append('\0');
    bytes.append(';');
    return bytes;
}

QByteArray gradient_indices(int width, int height)
{
    QByteArray pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels.append(char((x * 5 + y * 3) % 256));
    }
    return pixels;
}

std::uint32_t crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose IHDR claims another size, with a correct checksum so that only the size is wrong.
QByteArray png_claiming(const QByteArray& png, quint32 width, quint32 height)
{
    constexpr int ihdr_type_at = 12;
    constexpr int ihdr_data_size = 13;
    QByteArray bytes = png;
    put_be32(bytes, ihdr_type_at + 4, width);
    put_be32(bytes, ihdr_type_at + 8, height);
    put_be32(bytes, ihdr_type_at + 4 + ihdr_data_size, crc32(bytes.mid(ihdr_type_at, 4 + ihdr_data_size)));
    return bytes;
}

QByteArray jpeg_claiming(const QByteArray& jpeg, quint16 width, quint16 height)
{
    QByteArray bytes = jpeg;
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    put_be16(bytes, frame + 5, height);
    put_be16(bytes, frame + 7, width);
    return bytes;
}

QByteArray gif_claiming(const QByteArray& gif, quint16 width, quint16 height)
{
    QByteArray bytes = gif;
    for (const int at : {gif_screen_at, gif_descriptor_at + 5}) {
        put_le16(bytes, at, width);
        put_le16(bytes, at + 2, height);
    }
    return bytes;
}

QByteArray with_le32(const QByteArray& source, qsizetype at, quint32 value)
{
    QByteArray bytes = source;
    put_le32(bytes, at, value);
    return bytes;
}

// Flips a few bits among the first header_size bytes; the same bits on every run.
QByteArray flip_bits(const QByteArray& source, qsizetype header_size, std::uint32_t seed)
{
    QByteArray bytes = source;
    std::mt19937 random(seed);
    for (int flip = 0; flip < 4; ++flip) {
        const auto at = static_cast<qsizetype>(random() % static_cast<std::uint32_t>(header_size));
        bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
    }
    return bytes;
}

// Where each format's header ends in the valid picture, for the truncations and bit flips.
struct Base {
    const char* extension;
    QByteArray bytes;
    qsizetype header_size;
};

QList<Base> bases()
{
    const QList<CorpusFile> valid = valid_pictures();
    const QByteArray jpeg = valid[3].bytes;
    return {{"bmp", valid[0].bytes, bmp_palette_at},
            {"gif", valid[1].bytes, gif_descriptor_at + 10},
            {"ico", valid[2].bytes, 22 + 40},  // the directory and the entry's BMP header
            {"jpg", jpeg, jpeg.indexOf("\xFF\xDA")},
            {"png", valid[4].bytes, 33}};  // signature and IHDR
}

QList<CorpusFile> per_format_faults()
{
    QList<CorpusFile> files;
    std::uint32_t seed = 1;
    for (const Base& base : bases()) {
        const QString ext = QString::fromLatin1(base.extension);
        const QByteArray& b = base.bytes;
        files.append({"empty." + ext, {}});
        files.append({"truncated_in_signature." + ext, b.left(3)});
        files.append({"truncated_in_header." + ext, b.left(base.header_size / 2)});
        files.append({"truncated_after_header." + ext, b.left(base.header_size)});
        files.append({"truncated_in_pixels." + ext, b.left(base.header_size + (b.size() - base.header_size) / 2)});
        files.append({"truncated_before_end." + ext, b.left(b.size() - 4)});
        files.append({"bit_flips_in_header." + ext, flip_bits(b, base.header_size, seed++)});
    }
    return files;
}

QList<CorpusFile> huge_claims()
{
    const QList<CorpusFile> valid = valid_pictures();
    const QByteArray& bmp = valid[0].bytes;
    QByteArray ico = valid[2].bytes;
    constexpr int ico_bmp_at = 22;
    put_le32(ico, ico_bmp_at + 4, huge_side);
    put_le32(ico, ico_bmp_at + 8, 2 * huge_side);  // an icon's BMP height counts the mask too
    QByteArray bmp_huge = with_le32(bmp, bmp_info_at + 4, huge_side);
    put_le32(bmp_huge, bmp_info_at + 8, huge_side);
    return {
        {"claims_100000x100000.bmp", bmp_huge},
        {"claims_65535x65535.gif", gif_claiming(valid[1].bytes, largest_16_bit_side, largest_16_bit_side)},
        {"claims_100000x100000.ico", ico},
        {"claims_65535x65535.jpg", jpeg_claiming(valid[3].bytes, largest_16_bit_side, largest_16_bit_side)},
        {"claims_100000x100000.png", png_claiming(valid[4].bytes, huge_side, huge_side)},
        {"claims_2147483647x1.png", png_claiming(valid[4].bytes, 0x7fffffff, 1)},
    };
}

QList<CorpusFile> bmp_faults()
{
    const QByteArray bmp = paletted_bmp();
    const int height_at = bmp_info_at + 8;
    return {
        {"bmp_height_negative_top_down.bmp", with_le32(bmp, height_at, quint32(-bmp_height))},
        {"bmp_height_int_min.bmp", with_le32(bmp, height_at, 0x80000000u)},
        {"bmp_height_negative_huge.bmp", with_le32(bmp, height_at, quint32(-huge_side * 100))},
        {"bmp_height_huge.bmp", with_le32(bmp, height_at, 0x7fffffffu)},
        {"bmp_height_zero.bmp", with_le32(bmp, height_at, 0)},
        {"bmp_palette_index_out_of_range.bmp", paletted_bmp(2, 256)},
        {"bmp_palette_count_huge.bmp", with_le32(bmp, bmp_info_at + 32, 0xffffffffu)},
        {"bmp_pixels_offset_past_end.bmp", with_le32(bmp, 10, 0x7ffffff0u)},
        {"bmp_bits_per_pixel_zero.bmp", with_le32(bmp, bmp_info_at + 12, 1)},  // one plane, 0 bits
    };
}

QList<CorpusFile> gif_faults()
{
    // All zeros: each LZW code stands for one more pixel than the last, so a few kilobytes
    // expand to millions of pixels.
    constexpr int bomb_side = 2000;
    const QByteArray zeros(bomb_side * bomb_side, '\0');
    return {
        {"gif_lzw_bomb_2000x2000.gif", gif(bomb_side, bomb_side, zeros)},
        {"gif_lzw_data_past_frame.gif", gif(16, 16, QByteArray(4 << 20, '\0'))},
        {"gif_lzw_data_short_of_frame.gif", gif(47, 33, gradient_indices(47, 10))},
        {"gif_frame_outside_screen.gif",
         [] {
             QByteArray bytes = gif(47, 33, gradient_indices(47, 33));
             put_le16(bytes, gif_descriptor_at + 1, 60000);  // left edge
             return bytes;
         }()},
    };
}

QList<CorpusFile> ico_faults()
{
    const QByteArray ico = valid_pictures()[2].bytes;
    constexpr int entry_at = 6;
    QByteArray many_entries = ico;
    put_le16(many_entries, 4, 0xffff);
    return {
        {"ico_directory_past_end.ico", with_le32(ico, entry_at + 12, 0x7ffffff0u)},
        {"ico_entry_size_past_end.ico", with_le32(ico, entry_at + 8, 0x7ffffff0u)},
        {"ico_entry_count_65535.ico", many_entries},
        {"ico_entry_overlaps_directory.ico", with_le32(ico, entry_at + 12, 2)},
    };
}

}  // namespace

QList<CorpusFile> valid_pictures()
{
    return {
        {"valid.bmp", paletted_bmp()},
        {"valid.gif", gif(47, 33, gradient_indices(47, 33))},
        {"valid.ico", written_by_qt(photo_like(32, 32, true), "ico")},
        {"valid.jpg", written_by_qt(photo_like(61, 47), "jpg", 75)},
        {"valid.png", written_by_qt(photo_like(47, 33), "png")},
    };
}

QList<CorpusFile> hostile_files()
{
    QList<CorpusFile> files = per_format_faults();
    files += huge_claims();
    files += bmp_faults();
    files += gif_faults();
    files += ico_faults();
    files.append(CorpusFile{"text_file.png", "This is a note, not a picture.\n"});
    return files;
}

bool write_corpus(const QDir& dir)
{
    bool ok = dir.mkpath(QStringLiteral("x.jpg"));
    for (const CorpusFile& file : valid_pictures() + hostile_files()) {
        QFile out(dir.filePath(file.name));
        ok = out.open(QIODevice::WriteOnly) && out.write(file.bytes) == file.bytes.size() && ok;
    }
    return ok;
}
