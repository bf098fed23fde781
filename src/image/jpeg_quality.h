#pragma once
// Estimates the quality setting a JPEG file was written with, from its quantization tables.
// Files made with libjpeg's standard tables give back the exact quality (1..100); other tables
// give the quality whose standard tables hold about the same total. Reads only the headers.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

using QuantTable = std::array<std::uint16_t, 64>;  // natural (row-major) order

// Nothing when the file cannot be read or is not a JPEG with a luminance table.
std::optional<int> estimate_jpeg_quality(const QString& path);

// chroma may be null (a greyscale file has only the luminance table).
int estimate_quality_from_tables(const QuantTable& luma, const QuantTable* chroma);
