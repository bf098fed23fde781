#pragma once
// Pure text logic: taking a path apart, mapping an extension to a format, the dialog filters and
// every text written into the status line and the two labels. Texts are UTF-8 byte strings;
// lengths and positions count bytes. Nothing here keeps state, touches a control or fails.

#include "image/image_library.h"

#include <cstdint>
#include <string>
#include <string_view>

// What follows the last "." of the whole path; the whole path when it has no ".".
std::string file_extension(std::string_view path);

// "bmp", "gif", "jpg", "png", "ico" (exact, case-sensitive) to their format; anything else Unknown.
ImageFormat format_for_extension(std::string_view extension);

// The preset name of the save dialog: the file name's stem + ".jpg" (".jpg" when it has no ".").
std::string default_save_name(std::string_view path);

std::string resolution_segment(int width, int height);
std::string size_segment(std::string_view size);
std::string path_segment(std::string_view path);
std::string zoom_segment(int width, int height);

// The byte count in kilobytes, rounded half away from zero to three decimals, without trailing
// zeros: 1088 -> "1.063 KB", 1536 -> "1.5 KB", 2048 -> "2 KB".
std::string size_text(std::int64_t byte_count);
std::string zoom_caption(int percent);

// Text to number as the controls convert it: leading spaces skipped, an optional sign, decimal
// digits up to the first other character; no digits gives 0; values past 32 bits saturate.
std::int32_t text_to_int(std::string_view text);

inline constexpr std::string_view open_filter =
    "*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.ico;*.icon|*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.ico;*.icon";
inline constexpr std::string_view save_filter = "bmp|*.bmp|gif|*.gif|jpg|*.jpg|png|*.png|ico|*.ico";
inline constexpr int save_filter_index = 2;
