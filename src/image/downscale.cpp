#include "image/downscale.h"

#include <QColorSpace>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::array<int, 3> reducing_ratios{2, 4, 8};

// Sums over one block; colours are premultiplied by alpha. At most 64 pixels of 255 * 255 each,
// so 32 bits hold them.
struct BlockSum {
    quint32 red{};
    quint32 green{};
    quint32 blue{};
    quint32 alpha{};
    quint32 count{};
};

void add_row(const QRgb* row, int width, int ratio, bool has_alpha, std::vector<BlockSum>& sums)
{
    for (int x = 0; x < width; ++x) {
        const QRgb pixel = row[x];
        const quint32 alpha = has_alpha ? qAlpha(pixel) : 255;
        BlockSum& sum = sums[static_cast<std::size_t>(x / ratio)];
        sum.red += qRed(pixel) * alpha;
        sum.green += qGreen(pixel) * alpha;
        sum.blue += qBlue(pixel) * alpha;
        sum.alpha += alpha;
        ++sum.count;
    }
}

QRgb mean_of(const BlockSum& sum)
{
    if (sum.alpha == 0)
        return 0;
    const auto average = [&](quint32 total) { return static_cast<int>((total + sum.alpha / 2) / sum.alpha); };
    const auto alpha = static_cast<int>((sum.alpha + sum.count / 2) / sum.count);
    return qRgba(average(sum.red), average(sum.green), average(sum.blue), alpha);
}

}  // namespace

int effective_ratio(int ratio)
{
    return std::find(reducing_ratios.begin(), reducing_ratios.end(), ratio) != reducing_ratios.end()
        ? ratio
        : 1;
}

QImage downscale(const QImage& picture, int ratio)
{
    ratio = effective_ratio(ratio);
    if (ratio == 1 || picture.isNull())
        return picture;
    const int width = picture.width();
    const int height = picture.height();
    QImage reduced((width + ratio - 1) / ratio, (height + ratio - 1) / ratio, picture.format());
    if (reduced.isNull())
        return {};
    reduced.setColorSpace(picture.colorSpace());

    const bool has_alpha = picture.hasAlphaChannel();
    std::vector<BlockSum> sums(static_cast<std::size_t>(reduced.width()));
    for (int out_y = 0; out_y < reduced.height(); ++out_y) {
        std::fill(sums.begin(), sums.end(), BlockSum{});
        const int end_y = std::min(height, (out_y + 1) * ratio);
        for (int y = out_y * ratio; y < end_y; ++y)
            add_row(reinterpret_cast<const QRgb*>(picture.constScanLine(y)), width, ratio, has_alpha, sums);
        auto* target = reinterpret_cast<QRgb*>(reduced.scanLine(out_y));
        std::transform(sums.begin(), sums.end(), target, mean_of);
    }
    return reduced;
}
