#include "image/jpeg_quality.h"

#include "image/jpeg_error.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace {

// The example tables of the JPEG standard (Annex K), which libjpeg scales for every quality.
constexpr QuantTable standard_luma{
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr QuantTable standard_chroma{
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Scales a standard table the way jpeg_add_quant_table does; a baseline file caps entries at 255.
QuantTable scaled(const QuantTable& standard, int quality, bool baseline)
{
    const long scale = jpeg_quality_scaling(quality);
    const long cap = baseline ? 255 : 32767;
    QuantTable table{};
    std::transform(standard.begin(), standard.end(), table.begin(), [&](std::uint16_t value) {
        return static_cast<std::uint16_t>(std::clamp((value * scale + 50) / 100, 1L, cap));
    });
    return table;
}

bool matches(const QuantTable& table, const QuantTable& standard, int quality)
{
    return table == scaled(standard, quality, true) || table == scaled(standard, quality, false);
}

long total(const QuantTable& table)
{
    return std::accumulate(table.begin(), table.end(), 0L);
}

// Inverts libjpeg's quality scaling for the percentage by which the tables exceed the standard.
int quality_for_scale(double scale_percent)
{
    const double quality = scale_percent <= 100.0 ? (200.0 - scale_percent) / 2.0
                                                  : 5000.0 / scale_percent;
    return std::clamp(static_cast<int>(std::lround(quality)), 1, 100);
}

struct DecompressDestroyer {
    void operator()(jpeg_decompress_struct* cinfo) const { jpeg_destroy_decompress(cinfo); }
};

// Copies the first two tables out of the file's headers. Owns nothing, so longjmp is safe here.
bool read_tables(jpeg_decompress_struct& cinfo, JpegErrorTrap& trap, const uchar* data,
                 qint64 size, QuantTable& luma, QuantTable& chroma, bool& has_chroma)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.quant_tbl_ptrs[0] == nullptr)
        return false;
    std::copy_n(cinfo.quant_tbl_ptrs[0]->quantval, 64, luma.begin());
    has_chroma = cinfo.quant_tbl_ptrs[1] != nullptr;
    if (has_chroma)
        std::copy_n(cinfo.quant_tbl_ptrs[1]->quantval, 64, chroma.begin());
    return true;
}

}  // namespace

int estimate_quality_from_tables(const QuantTable& luma, const QuantTable* chroma)
{
    for (int quality = 1; quality <= 100; ++quality) {
        if (matches(luma, standard_luma, quality)
            && (chroma == nullptr || matches(*chroma, standard_chroma, quality)))
            return quality;
    }
    long sum = total(luma);
    long standard_sum = total(standard_luma);
    if (chroma != nullptr) {
        sum += total(*chroma);
        standard_sum += total(standard_chroma);
    }
    return quality_for_scale(100.0 * static_cast<double>(sum) / static_cast<double>(standard_sum));
}

std::optional<int> estimate_jpeg_quality(const QString& path)
{
    // Mapping the file lets libjpeg read the headers without copying the whole file.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return std::nullopt;
    qint64 size = file.size();
    const uchar* data = file.map(0, size);
    QByteArray contents;
    if (data == nullptr) {
        contents = file.readAll();
        data = reinterpret_cast<const uchar*>(contents.constData());
        size = contents.size();
    }

    JpegErrorTrap trap;
    jpeg_decompress_struct cinfo{};
    cinfo.err = install_error_trap(trap);
    const std::unique_ptr<jpeg_decompress_struct, DecompressDestroyer> owner(&cinfo);
    QuantTable luma{};
    QuantTable chroma{};
    bool has_chroma = false;
    if (!read_tables(cinfo, trap, data, size, luma, chroma, has_chroma))
        return std::nullopt;
    return estimate_quality_from_tables(luma, has_chroma ? &chroma : nullptr);
}
