#pragma once
// Small synthetic pictures for the window tests, written with Qt's own writers so that the
// program's library is not used to make its own inputs.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

// A photo-like picture: smooth gradients with a fine texture, so that JPEG sizes differ clearly
// between qualities.
inline QImage photo_like(int width, int height, bool alpha = false)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int texture = ((x * 7 + y * 13) % 17) * 3;
            const int a = alpha ? (x * 255) / std::max(1, width - 1) : 255;
            image.setPixel(x, y, qRgba((x * 255 / std::max(1, width)) ^ texture, (y * 255 / std::max(1, height)),
                                       (x + y + texture) % 256, a));
        }
    }
    return image;
}

inline QString write_picture(const QDir& dir, const QString& name, const QImage& image, const char* format,
                             int quality = -1)
{
    const QString path = dir.filePath(name);
    image.save(path, format, quality);
    return path;
}

inline bool write_bytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QString write_bytes(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    write_bytes(path, bytes);
    return path;
}

inline QByteArray read_bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
