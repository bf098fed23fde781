#include "jpeg_floor.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace {

struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    Compressor()
    {
        info.err = jpeg_std_error(&error);
        jpeg_create_compress(&info);
    }
    ~Compressor() { jpeg_destroy_compress(&info); }
};

struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    Decompressor()
    {
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

}  // namespace

long long jpeg_encode_then_decode(const QImage& picture, int quality)
{
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    {
        Compressor c;
        jpeg_mem_dest(&c.info, &buffer, &size);
        c.info.image_width = static_cast<JDIMENSION>(picture.width());
        c.info.image_height = static_cast<JDIMENSION>(picture.height());
        c.info.input_components = 4;
        c.info.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&c.info);
        jpeg_set_quality(&c.info, quality, TRUE);
        c.info.optimize_coding = TRUE;
        const int sampling = quality < 90 ? 2 : 1;
        c.info.comp_info[0].h_samp_factor = sampling;
        c.info.comp_info[0].v_samp_factor = sampling;
        jpeg_start_compress(&c.info, TRUE);
        while (c.info.next_scanline < c.info.image_height) {
            auto* row = const_cast<JSAMPLE*>(picture.constScanLine(static_cast<int>(c.info.next_scanline)));
            jpeg_write_scanlines(&c.info, &row, 1);
        }
        jpeg_finish_compress(&c.info);
    }
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(buffer, &std::free);
    Decompressor d;
    jpeg_mem_src(&d.info, buffer, size);
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&d.info);
    std::vector<JSAMPLE> pixels(static_cast<std::size_t>(d.info.output_width) * 4 * d.info.output_height);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPLE* row = pixels.data() + static_cast<std::size_t>(d.info.output_scanline) * d.info.output_width * 4;
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    return static_cast<long long>(size);
}
