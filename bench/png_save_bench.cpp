// Time from pressing save in the capture overlay to the PNG on disk, at the PNG
// compression Vornik uses and at zlib's default level, beside the time the fastest
// zlib level takes just to encode the same pixels. Prints one table; run it on an
// otherwise idle machine:  build/bench/png_save_bench [runs]
#include "helpers/ImageOutput.h"
#include "helpers/PngEncoder.h"
#include "output/OutputActions.h"
#include "tests/harness/FakeDesktop.h"
#include "bench/BenchPictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One measurement: milliseconds, and bytes written.
struct Sample {
    double milliseconds = 0;
    qint64 bytes = 0;
};

Sample encodeOnce(const QImage &image, int quality)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = encodePNG(image, quality).size();
    return {timer.nsecsElapsed() / 1e6, bytes};
}

// This writer on one thread, at level 1: what the bands add beside it.
Sample encodeOneBand(const QImage &image)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = PngEncoder::encode(image, 1, 1).value_or(QByteArray()).size();
    return {timer.nsecsElapsed() / 1e6, bytes};
}

// Qt's own writer at level 1 (libpng on one thread), for comparison.
Sample encodeWithQt(const QImage &image)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = bench::levelOnePngFloor(image).size();
    return {timer.nsecsElapsed() / 1e6, bytes};
}

// writePNG alone: the encode plus the atomic, durable file write.
Sample writeOnce(const QImage &image, int quality)
{
    const QString path = QDir::tempPath() + QStringLiteral("/write-only.png");
    QElapsedTimer timer;
    timer.start();
    writePNG(image, path, quality);
    const Sample sample{timer.nsecsElapsed() / 1e6, QFileInfo(path).size()};
    QFile::remove(path);
    return sample;
}

// From the save button's action to the viewer being asked to open the file, which
// happens once the PNG is on disk. `returned` gets how long the action itself held
// the main thread (the overlays close within that time).
Sample saveOnce(bench::WholePicture &overlay, int quality, double *returned)
{
    overlay.reset();
    QEventLoop loop;
    QString written;
    // The viewer is asked to open the file once it is on disk.
    struct NotingOpener : Opener {
        std::function<void(const QUrl &)> opened;
        bool openUrl(const QUrl &url) override
        {
            opened(url);
            return true;
        }
    };
    auto opener = std::make_shared<NotingOpener>();
    opener->opened = [&](const QUrl &url) {
        written = url.toLocalFile();
        loop.quit();
    };
    vtest::FakeDesktop desktop;
    desktop.services.opener = opener;
    OverlayActions actions(desktop.services, quality);
    QElapsedTimer timer;
    timer.start();
    actions.saveSelectionLocally(renderSelectionImage(overlay).image);
    *returned = timer.nsecsElapsed() / 1e6;
    loop.exec();
    const Sample sample{timer.nsecsElapsed() / 1e6, QFileInfo(written).size()};
    QFile::remove(written);
    return sample;
}

// Medians of a series of samples.
struct Series {
    std::vector<double> times;
    qint64 bytes = 0;
    void add(const Sample &sample)
    {
        times.push_back(sample.milliseconds);
        bytes = sample.bytes;
    }
    double ms() const { return median(times); }
    // The fastest run: what the work costs when nothing else competes for the CPU.
    double best() const { return *std::min_element(times.begin(), times.end()); }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir temporary;
    qputenv("TMPDIR", temporary.path().toLocal8Bit());
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int fastest = 85;   // zlib level 1 in Qt's PNG writer
    const int zlibDefault = -1;

    std::printf("PNG save, median and fastest of %d runs; chosen quality %d (zlib level %d)\n", runs, kDefaultPngQuality,
                (100 - kDefaultPngQuality) * 9 / 91);
    std::printf("%-10s %-28s %9s %9s %10s   %s\n", "size", "what", "median ms", "best ms", "bytes",
                "vs (medians; bests)");
    for (const QSize size : {QSize(1920, 1080), QSize(3840, 2160)}) {
        const QImage picture = bench::desktopPicture(size.width(), size.height());
        bench::WholePicture overlay(picture);
        const int n = size.width() > 2000 ? std::max(1, runs / 2) : runs;
        // Interleaved, so that every variant sees the same load on the machine, and in
        // a rotating order, so that none always runs straight after the same other one
        // (the first encode after a save otherwise pays for the thread hand-off).
        Series level1, oneBand, qtLevel1, level6, written, chosen, standard;
        std::vector<double> returns;
        const std::vector<std::function<void()>> variants = {
            [&] { level1.add(encodeOnce(picture, fastest)); },
            [&] { qtLevel1.add(encodeWithQt(picture)); },
            [&] { oneBand.add(encodeOneBand(picture)); },
            [&] { level6.add(encodeOnce(picture, zlibDefault)); },
            [&] { written.add(writeOnce(picture, kDefaultPngQuality)); },
            [&] {
                double returned = 0;
                chosen.add(saveOnce(overlay, kDefaultPngQuality, &returned));
                returns.push_back(returned);
            },
            [&] {
                double returned = 0;
                standard.add(saveOnce(overlay, zlibDefault, &returned));
            },
        };
        for (int i = 0; i < n; ++i)
            for (size_t k = 0; k < variants.size(); ++k)
                variants[(i + k) % variants.size()]();
        const QByteArray label = QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toLatin1();
        const auto row = [&](const char *what, const Series &series, bool compare) {
            std::printf("%-10s %-28s %9.1f %9.1f %10lld", label.constData(), what, series.ms(), series.best(),
                        series.bytes);
            if (compare)
                std::printf("   time %.2fx; %.2fx level 1, size %+.1f%% vs default", series.ms() / level1.ms(),
                            series.best() / level1.best(), 100.0 * (series.bytes - level6.bytes) / level6.bytes);
            std::printf("\n");
        };
        row("encode only, zlib level 1", level1, false);
        row("same, one thread", oneBand, true);
        row("Qt's writer, zlib level 1", qtLevel1, true);
        row("encode only, zlib default", level6, false);
        row("writePNG only, chosen level", written, true);
        row("save, chosen level", chosen, true);
        row("save, zlib default", standard, true);
        std::printf("%-10s %-28s %9.2f   (the main thread, before the overlays go)\n", label.constData(),
                    "save button returns after", median(returns));
    }
    return 0;
}
