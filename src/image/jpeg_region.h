#pragma once
// Decoding only the part of a JPEG that is on screen, at the size it is shown. libjpeg-turbo
// scales by M/8 while it decodes and leaves out the rows below and the columns beside the part,
// so a big picture shown small or mostly hidden costs a fraction of a full decode.

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>

struct JpegRegion {
    QImage pixels;  // Format_RGB32; null when the bytes do not decode
    QRectF place;   // where the pixels go, in the coordinates of the picture drawn at `shown`
};

// The picture's size from its header; an empty size when the bytes hold no JPEG it can decode.
QSize jpeg_size(const QByteArray& bytes);

// Decodes enough of the JPEG to paint `part` (in the coordinates of the whole picture drawn at
// size `shown`), at no less than the shown resolution where the picture has it.
JpegRegion decode_jpeg_region(const QByteArray& bytes, QSize shown, QRect part);
