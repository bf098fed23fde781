#pragma once
// Shrinking a picture by its compression ratio. Each output pixel is the mean of its ratio x ratio
// block of source pixels (at the right and bottom edges, of the pixels that exist), so the result
// is ceil(width / ratio) x ceil(height / ratio). Colours are averaged weighted by alpha, so fully
// transparent pixels lend no colour to their block.

#include <QImage>

// 2, 4 and 8 stay as they are; every other value means no reduction.
int effective_ratio(int ratio);

// Takes and returns Format_RGB32 or Format_ARGB32 with the colour space kept. At ratio 1 the
// result shares the picture's pixels instead of copying them; a failed allocation gives null.
QImage downscale(const QImage& picture, int ratio);
