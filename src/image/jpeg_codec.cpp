#include "image/jpeg_codec.h"

#include "image/jpeg_error.h"

#include <jerror.h>

#include <QSysInfo>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// libjpeg reads QImage's 32-bit pixels in place; the byte order of a 0xffRRGGBB word differs.
constexpr J_COLOR_SPACE rgb32_color_space =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// Below this quality the chroma planes are halved both ways (4:2:0); from it on they are kept
// whole (4:4:4), since colour edges are what high-quality output is asked to keep.
constexpr int full_chroma_quality = 90;
constexpr qsizetype first_output_chunk = 64 * 1024;

// A destination that grows the caller's QByteArray, so the file is compressed straight into it.
struct ByteArrayDestination {
    jpeg_destination_mgr manager{};  // first, so cinfo->dest also points at this struct
    QByteArray* output{};
    qsizetype first_chunk{first_output_chunk};
};

ByteArrayDestination& destination_of(j_compress_ptr cinfo)
{
    return *reinterpret_cast<ByteArrayDestination*>(cinfo->dest);
}

bool resize_output(QByteArray& output, qsizetype size) noexcept
{
    try {
        output.resize(size);
    } catch (...) {
        return false;
    }
    return true;
}

// Hands libjpeg the unused tail of the array from byte `used` on, growing it to `size` first.
void offer_space(j_compress_ptr cinfo, qsizetype used, qsizetype size)
{
    ByteArrayDestination& dest = destination_of(cinfo);
    if (!resize_output(*dest.output, size))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest.manager.next_output_byte = reinterpret_cast<JOCTET*>(dest.output->data()) + used;
    dest.manager.free_in_buffer = static_cast<std::size_t>(size - used);
}

void init_destination(j_compress_ptr cinfo)
{
    offer_space(cinfo, 0, destination_of(cinfo).first_chunk);
}

boolean empty_output_buffer(j_compress_ptr cinfo)
{
    // libjpeg calls this only when the whole array is full.
    const qsizetype used = destination_of(cinfo).output->size();
    offer_space(cinfo, used, used * 2);
    return TRUE;
}

void term_destination(j_compress_ptr cinfo)
{
    ByteArrayDestination& dest = destination_of(cinfo);
    const auto used = dest.output->size() - static_cast<qsizetype>(dest.manager.free_in_buffer);
    dest.output->truncate(used);
    dest.output->squeeze();
}

struct CompressDestroyer {
    void operator()(jpeg_compress_struct* cinfo) const { jpeg_destroy_compress(cinfo); }
};

// Everything the guarded function reads or writes; all of it is owned by encode_jpeg.
struct EncodeJob {
    const QImage& picture;
    int quality;
    const QByteArray& icc;
    quint32* composited_row;  // scratch for one row of a picture with alpha, else null
};

void set_parameters(jpeg_compress_struct& cinfo, const EncodeJob& job)
{
    cinfo.image_width = static_cast<JDIMENSION>(job.picture.width());
    cinfo.image_height = static_cast<JDIMENSION>(job.picture.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = rgb32_color_space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    cinfo.optimize_coding = TRUE;
    const int luma_sampling = job.quality < full_chroma_quality ? 2 : 1;
    cinfo.comp_info[0].h_samp_factor = luma_sampling;
    cinfo.comp_info[0].v_samp_factor = luma_sampling;
    for (int c = 1; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
}

// Straight alpha over white: each channel becomes c * a + 255 * (1 - a), rounded.
void composite_over_white(const QRgb* source, quint32* target, int width)
{
    for (int x = 0; x < width; ++x) {
        const int a = qAlpha(source[x]);
        const auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
        target[x] = qRgb(blend(qRed(source[x])), blend(qGreen(source[x])), blend(qBlue(source[x])));
    }
}

JSAMPROW row_for_libjpeg(const EncodeJob& job, int y)
{
    const auto* source = reinterpret_cast<const QRgb*>(job.picture.constScanLine(y));
    if (job.composited_row == nullptr)
        return reinterpret_cast<JSAMPROW>(const_cast<QRgb*>(source));  // libjpeg only reads it
    composite_over_white(source, job.composited_row, job.picture.width());
    return reinterpret_cast<JSAMPROW>(job.composited_row);
}

void write_rows(jpeg_compress_struct& cinfo, const EncodeJob& job)
{
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = row_for_libjpeg(job, static_cast<int>(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
}

bool compress(jpeg_compress_struct& cinfo, JpegErrorTrap& trap, ByteArrayDestination& dest,
              const EncodeJob& job)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.manager;
    set_parameters(cinfo, job);
    jpeg_start_compress(&cinfo, TRUE);
    if (!job.icc.isEmpty()) {
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(job.icc.constData()),
                               static_cast<unsigned int>(job.icc.size()));
    }
    write_rows(cinfo, job);
    jpeg_finish_compress(&cinfo);
    return true;
}

}  // namespace

QByteArray encode_jpeg(const QImage& picture, int quality, const QByteArray& icc, qsizetype size_hint)
{
    if (picture.isNull())
        return {};
    std::vector<quint32> scratch(picture.hasAlphaChannel() ? picture.width() : 0);
    const EncodeJob job{picture, std::clamp(quality, 1, 100), icc,
                        scratch.empty() ? nullptr : scratch.data()};

    QByteArray output;
    ByteArrayDestination dest;
    dest.output = &output;
    // Room for the expected size and an eighth more, so that a big file is rarely copied while it
    // grows, at the moment the coefficient buffers are largest.
    dest.first_chunk = std::max(first_output_chunk, size_hint + size_hint / 8);
    dest.manager.init_destination = init_destination;
    dest.manager.empty_output_buffer = empty_output_buffer;
    dest.manager.term_destination = term_destination;

    JpegErrorTrap trap;
    jpeg_compress_struct cinfo{};  // zeroed, so destroying it is safe even if create never ran
    cinfo.err = install_error_trap(trap);
    const std::unique_ptr<jpeg_compress_struct, CompressDestroyer> owner(&cinfo);
    if (!compress(cinfo, trap, dest, job))
        return {};
    return output;
}
