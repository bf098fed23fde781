// libFuzzer target: any bytes through the loader as if they were a file the user opened, and a
// small decoded picture once more through one of the writers, so that hostile pictures reach the
// encoders too. Built by the "fuzz" preset; see the README for running it.

#include "image/downscale.h"
#include "image/jpeg_quality.h"
#include "image/picture_loader.h"
#include "image/picture_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

// Encoding is cheap only for small pictures; larger ones would slow every run for little gain.
constexpr qint64 largest_encoded_pixels = 128 * 128;

// The quality estimate reads its tables from a file, so JPEG-looking inputs go through one.
void estimate_quality(const QByteArray& bytes)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return;
    static const QString path = QDir::temp().filePath(
        QStringLiteral("decode_fuzzer_%1.jpg").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()) {
        file.close();
        estimate_jpeg_quality(path);
    }
}

// The last byte picks the writer, ratio and quality, so the fuzzer can steer all three.
void encode_once(const DecodedPicture& decoded, std::uint8_t choice)
{
    const QImage& picture = decoded.picture;
    if (qint64{picture.width()} * picture.height() > largest_encoded_pixels)
        return;
    constexpr ImageFormat formats[] = {ImageFormat::Jpeg, ImageFormat::Gif, ImageFormat::Bmp,
                                       ImageFormat::Png, ImageFormat::Ico};
    const ImageFormat format = formats[choice % 5];
    const int ratio = 1 << ((choice / 5) % 4);
    const int quality = 1 + choice % 50;
    encode_file(downscale(picture, ratio), format, FileSettings{quality, decoded.icc});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt finds its image format plugins (JPEG, GIF, ICO) through the application object.
    static QCoreApplication application(*argc, *argv);
    // Every broken input draws a decoder warning; printed, they would drown libFuzzer's report
    // and slow each run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<qsizetype>(size));
    estimate_quality(bytes);
    const std::optional<DecodedPicture> decoded = decode_picture_bytes(bytes);
    if (decoded && size > 0)
        encode_once(*decoded, data[size - 1]);
    return 0;
}
