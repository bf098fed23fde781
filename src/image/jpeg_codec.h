#pragma once
// Baseline JPEG encoding through libjpeg. Takes a Format_RGB32 or Format_ARGB32 picture (pixels
// with alpha are composited over white), a quality 1..100 and an optional ICC profile to embed;
// returns the complete file, or an empty array when the picture is null or libjpeg fails.
// The output depends only on the picture, quality and profile, so equal inputs give equal bytes;
// size_hint, the size expected (say, of the last encoding), only sets how much room is taken first.

#include <QByteArray>
#include <QImage>

QByteArray encode_jpeg(const QImage& picture, int quality, const QByteArray& icc, qsizetype size_hint = 0);
