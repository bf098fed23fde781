#pragma once
// 32-bit BMP output for pictures with alpha, which Qt's BMP writer flattens to 24 bits. Takes a
// Format_ARGB32 picture and returns the complete file (a BITMAPV5HEADER with an alpha mask,
// rows stored bottom-up), or an empty array for a null picture or one too large for the format.

#include <QByteArray>
#include <QImage>

QByteArray encode_bmp_with_alpha(const QImage& picture);
