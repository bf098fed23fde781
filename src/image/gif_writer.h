#pragma once
// Single-frame GIF output through giflib. Takes a Format_RGB32 or Format_ARGB32 picture, reduces
// it to a 256-colour palette with giflib's quantizer and returns the complete file. Where pixels
// have alpha below 128 they become transparent: the palette then holds 255 colours plus one
// transparent entry. Empty result when the picture is null, too large for GIF, or giflib fails.

#include <QByteArray>
#include <QImage>

QByteArray encode_gif(const QImage& picture);
