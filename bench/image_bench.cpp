// Benchmark of what a user feels on a big photo: the real window, driven offscreen as the tests
// drive it, timed per action against the codec's own cost ("floor"). Each configuration runs in a
// child process of its own so that its peak memory is its own.
//
//   image_bench [PICTURE] [--runs N]     (default: a generated 3840 x 2400 photo-like JPEG)

#include "app/app_state.h"
#include "app/lifecycle.h"
#include "image/downscale.h"
#include "image/image_library.h"
#include "image/loading.h"
#include "jpeg_floor.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Config {
    int quality;
    int ratio;
    int zoom;
};

constexpr Config configs[] = {
    {90, 1, 100}, {90, 1, 30}, {90, 2, 100}, {90, 2, 30},
    {40, 1, 100}, {40, 1, 30}, {40, 2, 100}, {40, 2, 30},
};

// Smooth gradients with a fine texture, like a photo: not noise, not flat.
QImage photo_like(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width, fy = double(y) / height;
            const int grain = int(12 * std::sin(x * 0.9 + std::sin(y * 0.7) * 3) + 8 * std::cos(y * 1.3 + x * 0.2));
            const int r = int(180 * fx + 60 * std::sin(fy * 6.0)) + grain;
            const int g = int(140 + 80 * std::sin(fx * 4 + fy * 3)) + grain / 2;
            const int b = int(200 * (1 - fy) + 40 * std::cos(fx * 9)) - grain;
            row[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

double median_ms(int runs, const std::function<void(int)>& action)
{
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms up and is not counted
        QElapsedTimer timer;
        timer.start();
        action(i);
        if (i > 0)
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long peak_kilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The user's choice of an item in the ratio box.
void choose_ratio(MainWindow& window, int ratio)
{
    auto* combo = static_cast<QComboBox*>(window.组合框1.widget());
    const int index = combo->findText(QString::number(ratio));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The qualities the steps visit: moving away from q on the side that keeps the chroma
// subsampling of q (4:4:4 from 90 on, 4:2:0 below), each one new.
int step_quality(Config config, int step)
{
    return config.quality < 90 ? config.quality - 1 - step : config.quality + 1 + step;
}

// The yardsticks, measured in a process of their own so that they do not count in the
// program's peak memory: the file's decode; libjpeg-turbo alone encoding the decoded picture
// (reduced by the ratio) at each quality the slider steps visit, then decoding it; and the same
// at ratio 1 and the file's own quality, which is what a load shows.
int run_floor(const QString& path, Config config, int runs)
{
    QImage decoded;
    const double decode = median_ms(runs, [&](int) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        decoded = reader.read().convertToFormat(QImage::Format_RGB32);
    });
    ImageObject image;
    ImageLibrary::load_file(image, path.toStdString(), ImageFormat::Unknown);
    const int file_quality = ImageLibrary::quality(image);
    ImageLibrary::release(image);
    const double load_floor = median_ms(runs, [&](int) { jpeg_encode_then_decode(decoded, file_quality); });
    const QImage reduced = downscale(decoded, config.ratio);
    const double floor = median_ms(runs, [&](int i) { jpeg_encode_then_decode(reduced, step_quality(config, i)); });
    std::printf("FLOOR %.1f %.1f %.1f\n", floor, decode, load_floor);
    return 0;
}

int run_config(const QString& path, Config config, int runs)
{
    AppState state;
    create_image_object(state);
    MainWindow window(state);
    window.show();
    while (!window.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const long baseline = peak_kilobytes();
    auto* quality = static_cast<QSlider*>(window.滑块条1.widget());
    auto* spinner = static_cast<QScrollBar*>(window.横向滚动条1.widget());
    auto* zoom = static_cast<QSlider*>(window.滑块条2.widget());
    const auto settle = [&] { window.repaint(); };
    // Each measurement starts from a fresh load, so that nothing one kept serves the next.
    const auto start = [&](int slider_at) {
        image_dropped(state, window, path.toStdString());
        zoom->setSliderPosition(config.zoom);
        choose_ratio(window, config.ratio);
        quality->setSliderPosition(slider_at);
        settle();
    };

    start(config.quality);
    const double slider = median_ms(runs, [&](int i) { quality->setSliderPosition(step_quality(config, i)); settle(); });
    // A spinner step shows the encoding at the value the step before passed on.
    start(step_quality(config, 0) + (config.quality < 90 ? 1 : -1));
    spinner->setValue(step_quality(config, 0));
    const double spin = median_ms(runs, [&](int) {
        spinner->triggerAction(config.quality < 90 ? QAbstractSlider::SliderSingleStepSub
                                                   : QAbstractSlider::SliderSingleStepAdd);
        settle();
    });
    start(config.quality);
    const double ratio_then_slider = median_ms(runs, [&](int i) {
        choose_ratio(window, i % 2 == 0 ? config.ratio : 3 - config.ratio);
        quality->setSliderPosition(step_quality(config, i));
        settle();
    });
    start(config.quality);
    const double load = median_ms(runs, [&](int) { image_dropped(state, window, path.toStdString()); settle(); });
    const double zoom_change = median_ms(runs, [&](int i) { zoom->setSliderPosition(config.zoom - i % 2); settle(); });
    const int far_zoom = config.zoom == 100 ? 30 : 100;
    const double zoom_jump = median_ms(runs, [&](int i) { zoom->setSliderPosition(i % 2 ? far_zoom : config.zoom); settle(); });

    const double decoded_kb = double(state.image_width) * state.image_height * 4 / 1024;
    std::printf("RESULT %.1f %.1f %.1f %.1f %.1f %.2f %.2f %.1f\n", slider, spin, ratio_then_slider, load, zoom_change,
                double(peak_kilobytes()) / decoded_kb, double(baseline) / decoded_kb, zoom_jump);
    return 0;
}

QString default_picture(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("photo-3840x2400.jpg"));
    photo_like(3840, 2400).save(path, "JPG", 92);
    return path;
}

QStringList run_child(const QStringList& arguments, const char* tag)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (line.startsWith(tag))
            return QString::fromUtf8(line.mid(qsizetype(qstrlen(tag)) + 1)).split(' ');
    return {};
}

// fl: floor, decode, load floor. r: slider, spinner, ratio + slider, load, zoom step, peak,
// Qt alone, zoom jump.
void print_row(Config c, const QStringList& fl, const QStringList& r)
{
    const double floor = fl.value(0).toDouble();
    const auto ms = [&](int i) { return r.value(i).toDouble(); };
    const auto cell = [&](int i) { return QStringLiteral("%1 (%2x)").arg(ms(i), 0, 'f', 1).arg(ms(i) / floor, 0, 'f', 2); };
    const double load_budget = fl.value(1).toDouble() + 1.5 * fl.value(2).toDouble();
    std::printf("| %d | %d | %d | %.1f | %.1f / %.1f | %s | %s | %s | %.1f (%.2fx budget) | %s | %s | %s (%s) |\n",
                c.quality, c.ratio, c.zoom, floor, fl.value(1).toDouble(), fl.value(2).toDouble(), qPrintable(cell(0)),
                qPrintable(cell(1)), qPrintable(cell(2)), ms(3), ms(3) / load_budget, qPrintable(cell(4)),
                qPrintable(cell(7)), qPrintable(r.value(5)), qPrintable(r.value(6)));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return_big_blocks_to_the_system();  // as the program does
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    int runs = 7;
    if (const auto at = args.indexOf(QStringLiteral("--runs")); at >= 0 && at + 1 < args.size()) {
        runs = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    if (args.size() >= 5 && (args[0] == QStringLiteral("--config") || args[0] == QStringLiteral("--floor"))) {
        const Config config{args[1].toInt(), args[2].toInt(), args[3].toInt()};
        return args[0] == QStringLiteral("--floor") ? run_floor(args[4], config, runs) : run_config(args[4], config, runs);
    }

    QTemporaryDir dir;
    const QString picture = args.isEmpty() ? default_picture(dir) : args[0];
    const QSize size = QImageReader(picture).size();
    std::printf("picture: %s (%d x %d), median of %d runs after a warm-up, times in ms (x floor)\n",
                qPrintable(QFileInfo(picture).fileName()), size.width(), size.height(), runs);
    std::printf("floor: libjpeg-turbo alone encoding the picture at the step's settings and decoding it.\n"
                "decode / load floor: the file's decode, and the floor at ratio 1 and the file's quality; a load\n"
                "is given against its budget, decode + 1.5 x load floor. zoom step: to the next percent;\n"
                "zoom jump: between 100 and 30. Peak memory: the process's peak (VmHWM) over the decoded\n"
                "picture (width x height x 4 bytes); in brackets what Qt alone held before the load.\n\n");
    std::printf("| q | r | zoom | floor | decode / load floor | slider step | spinner step | ratio + slider | load | "
                "zoom step | zoom jump | peak memory x picture (Qt alone) |\n"
                "|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Config& c : configs) {
        const QStringList common{QString::number(c.quality), QString::number(c.ratio), QString::number(c.zoom), picture,
                                 "--runs", QString::number(runs)};
        const QStringList floor = run_child(QStringList{"--floor"} + common, "FLOOR");
        print_row(c, floor, run_child(QStringList{"--config"} + common, "RESULT"));
    }
    return 0;
}
