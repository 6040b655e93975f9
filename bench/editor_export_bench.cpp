// The editor's copy and save of a full-HD picture with 20 figures on it, beside a
// level-1 zlib encode of the same pixels (Qt's PNG writer at the fastest level, the
// floor any PNG output pays), at device pixel ratio 1 and 2. Copy and save run from
// the rendering of the canvas to the bytes on the clipboard or the file on disk, as
// the editor's buttons do (without the save panel).
//
//   editor_export_bench [rounds]
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise, without a
// session bus (the copy's notification goes to stderr), with settings and files in a
// temporary folder.

#include "bench/BenchPictures.h"
#include "editor/EditorCanvas.h"
#include "helpers/ImageOutput.h"
#include "output/EditorActions.h"
#include "platform/Preferences.h"
#include "tests/harness/FakeDesktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kFigures = 20;
const QRectF kCanvas(0, 0, 1920, 1080);

void send(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Every drawing tool in turn, each figure dragged out with pointer events.
void drawFigures(EditorCanvas &view)
{
    const ToolKind tools[] = {ToolKind::Rectangle, ToolKind::Ellipse,         ToolKind::Line,
                               ToolKind::Arrow,     ToolKind::FilledRectangle, ToolKind::FilledEllipse,
                               ToolKind::Pixelate,  ToolKind::Blur,            ToolKind::Highlighter,
                               ToolKind::Counter,   ToolKind::Pen};
    for (int i = 0; i < kFigures; ++i) {
        const QPoint from(120 + (i % 5) * 340, 120 + (i / 5) * 220);
        view.setSelectedTool(tools[i % int(std::size(tools))]);
        send(view.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(view.viewport(), QEvent::MouseMove, from + QPoint(160, 110), Qt::NoButton, Qt::LeftButton);
        send(view.viewport(), QEvent::MouseButtonRelease, from + QPoint(160, 110), Qt::LeftButton, Qt::NoButton);
    }
    view.setSelectedTool(ToolKind::Pointer);
}

// A full-screen picture at `ratio` device pixels per point, with its density recorded
// the way the overlay records it for the editor.
QImage makePicture(int ratio)
{
    QImage picture = bench::desktopPicture(1920 * ratio, 1080 * ratio);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

struct Series {
    std::vector<double> ms;
    double median() const { return at(0.5); }
    double p90() const { return at(0.9); }
    double at(double q) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(q * double(sorted.size() - 1) + 0.5))];
    }
};

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

void measure(const QString &folder, int ratio, int rounds)
{
    EditorCanvas view;
    view.setupCanvas(kCanvas, makePicture(ratio));
    view.resize(kCanvas.size().toSize());
    view.show();
    QApplication::processEvents();
    drawFigures(view);
    const int figures = int(view.figuresOnCanvas().items.size());

    const QImage sample = view.renderExport(view.figuresOnCanvas());
    const QString savePath = folder + QStringLiteral("/saved.png");
    const vtest::FakeDesktop desktop;
    Series floor, render, copy, save;
    bool allDone = true;
    // Interleaved, so that the three see the same load on the machine.
    for (int i = 0; i < rounds; ++i) {
        floor.ms.push_back(timed([&] { allDone &= !bench::levelOnePngFloor(sample).isEmpty(); }));
        render.ms.push_back(timed([&] { allDone &= !view.renderExport(view.figuresOnCanvas()).isNull(); }));
        copy.ms.push_back(timed([&] {
            const QImage rendering = view.renderExport(view.figuresOnCanvas());
            allDone &= copyImageToClipboard(desktop.services, rendering, {}, QRectF(QPointF(0, 0), QSizeF(rendering.size())));
        }));
        save.ms.push_back(timed([&] {
            const QImage rendering = view.renderExport(view.figuresOnCanvas());
            allDone &= !writeImage(savePath, rendering, {}, QRectF(QPointF(0, 0), QSizeF(rendering.size()))).isEmpty();
        }));
        QFile::remove(savePath);
    }
    std::printf("ratio %d: %dx%d pixels, %d figures%s\n", ratio, sample.width(), sample.height(), figures,
                allDone ? "" : " (SOME COPIES OR SAVES FAILED)");
    std::printf("  level-1 zlib encode (floor): median %6.1f ms, p90 %6.1f ms\n", floor.median(), floor.p90());
    std::printf("  the canvas rendering alone:      median %6.1f ms\n", render.median());
    for (const auto &[name, series] : {std::pair<const char *, const Series &>{"copy", copy}, {"save", save}})
        std::printf("  editor %s:                median %6.1f ms, p90 %6.1f ms, %.2f x the floor (medians)\n", name,
                    series.median(), series.p90(), series.median() / floor.median());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("TMPDIR", home.path().toUtf8());
    QApplication app(argc, argv);
    Preferences::standard().setInteger(QStringLiteral("linesize"), 4);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    for (int ratio : {1, 2})
        measure(home.path(), ratio, rounds);
    return 0;
}
