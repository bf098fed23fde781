#include "image/file_names.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// 1-based byte position where the last occurrence of needle begins; -1 when there is none.
int last_position(std::string_view text, std::string_view needle)
{
    const auto found = text.rfind(needle);
    return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

std::string rightmost(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(n), text.size());
    return std::string(text.substr(text.size() - count));
}

std::string leftmost(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string concat(std::initializer_list<std::string_view> pieces)
{
    std::string joined;
    for (const auto piece : pieces)
        joined += piece;
    return joined;
}

constexpr std::array<std::pair<std::string_view, ImageFormat>, 5> extension_formats{{
    {"bmp", ImageFormat::Bmp},
    {"gif", ImageFormat::Gif},
    {"jpg", ImageFormat::Jpeg},
    {"png", ImageFormat::Png},
    {"ico", ImageFormat::Ico},
}};

}  // namespace

std::string file_extension(std::string_view path)
{
    const int length = static_cast<int>(path.size());
    return rightmost(path, length - last_position(path, "."));
}

ImageFormat format_for_extension(std::string_view extension)
{
    for (const auto& [name, format] : extension_formats)
        if (extension == name)
            return format;
    return ImageFormat::Unknown;
}

std::string default_save_name(std::string_view path)
{
    // Qt's dialogs hand back "/" on every platform, so the name starts after the last separator
    // of either kind.
    const int separator = std::max(last_position(path, "\\"), last_position(path, "/"));
    const std::string name = rightmost(path, static_cast<int>(path.size()) - separator);
    const double dot = last_position(name, ".");
    return leftmost(name, static_cast<int>(dot - 1.0)) + ".jpg";
}

std::string resolution_segment(int width, int height)
{
    return concat({"   |  分辨率: ", std::to_string(width), " × ", std::to_string(height)});
}

std::string size_segment(std::string_view size)
{
    return concat({"   |   图片尺寸: ", size});
}

std::string path_segment(std::string_view path)
{
    return concat({"    |  ", path});
}

std::string zoom_segment(int width, int height)
{
    return concat({"    |  缩放:", std::to_string(width), " × ", std::to_string(height)});
}

std::string size_text(std::int64_t byte_count)
{
    // Work in thousandths of a kilobyte so that the rounding and the digits are exact.
    const double kilobytes = static_cast<double>(byte_count) / 1024.0;
    const auto thousandths = static_cast<std::int64_t>(std::llround(kilobytes * 1000.0));
    std::string text = std::to_string(thousandths / 1000);
    std::string fraction = std::to_string(1000 + thousandths % 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        text += "." + fraction;
    return text + " KB";
}

std::string zoom_caption(int percent)
{
    return concat({"缩放: ", std::to_string(percent), "%"});
}

std::int32_t text_to_int(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), limit);
    value = negative ? -value : std::min(value, limit - 1);
    return static_cast<std::int32_t>(value);
}
