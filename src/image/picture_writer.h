#pragma once
// Turning a picture into a file of a chosen format and writing it atomically. Takes the picture
// already reduced by its ratio (Format_RGB32 or Format_ARGB32, colour space set from the source).

#include "image/image_library.h"

#include <QByteArray>
#include <QImage>
#include <QString>

struct FileSettings {
    int quality{100};  // JPEG only
    QByteArray icc;    // embedded where the format carries it (JPEG, and PNG through Qt)
};

// The complete file in memory; empty when the format is Unknown or the encoder fails.
QByteArray encode_file(const QImage& picture, ImageFormat format, const FileSettings& settings);

// Writes bytes through a temporary file renamed over path, so a failure leaves path untouched.
bool write_atomically(const QString& path, const QByteArray& bytes);
