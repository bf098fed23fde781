#pragma once
// Decoding a picture file of any supported format, recognised from its contents. Returns the
// picture in the one format the encoders read in place (Format_RGB32, or Format_ARGB32 when some
// pixel is not opaque) with EXIF orientation applied, or nothing when the file cannot be decoded
// or would take more than decoded_picture_limit bytes.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

constexpr qint64 decoded_picture_limit = qint64{1} << 30;

struct DecodedPicture {
    QImage picture;    // carries the source's colour space
    QByteArray icc;    // the source's ICC profile; empty when it has none
    int quality{100};  // estimated from the tables for a JPEG source, else 100
};

std::optional<DecodedPicture> decode_picture_file(const QString& path);

// The same for a file already in memory (the fuzzer's way in). The quality is left at 100: the
// estimate reads JPEG tables from a file.
std::optional<DecodedPicture> decode_picture_bytes(const QByteArray& bytes);
