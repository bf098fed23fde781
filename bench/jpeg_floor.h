#pragma once
// The least any program must do to show the JPEG encoding of one setting: libjpeg-turbo alone
// compressing the picture and decompressing the result. Used as the benchmark's yardstick.

#include <QImage>

// Compresses picture (Format_RGB32) at quality with the program's settings (baseline, optimized
// Huffman tables, 4:2:0 below 90 and 4:4:4 from 90 on), then decompresses it. Returns the size in
// bytes of the compressed file.
long long jpeg_encode_then_decode(const QImage& picture, int quality);
