// How the editor canvas keeps up with 1,000 figures: the time to handle one pointer
// move that drags a figure and to repaint what changed, and the time to render the
// canvas for export. Prints medians and 99th percentiles.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. Settings go
// to a temporary folder so the user's own are left alone. An argument names a PNG
// file to receive the rendered canvas.

#include "platform/Preferences.h"
#include "editor/EditorCanvas.h"
#include "helpers/ImageOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFigures = 1000;
constexpr int kMoves = 600;
constexpr int kExports = 15;
const QRectF kCanvas(0, 0, 1920, 1080);

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void send(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void drag(QWidget *target, QPoint from, QPoint to)
{
    send(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(target, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(target, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

QImage makePicture()
{
    QImage picture(1600, 900, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 1600, 900);
    gradient.setColorAt(0, QColor(30, 90, 160));
    gradient.setColorAt(1, QColor(220, 180, 60));
    painter.fillRect(picture.rect(), gradient);
    painter.end();
    return picture;
}

struct Summary {
    double median;
    double p99;
    double max;
};

Summary summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    return {at(0.5), at(0.99), ms.back()};
}

// Draws the figures with real pointer events: a mix of every drawing tool (the sharing
// tools among them), spread over
// the page, each started on a spot no figure covers yet.
void drawFigures(EditorCanvas &view)
{
    const ToolKind tools[] = {ToolKind::Rectangle, ToolKind::Ellipse,  ToolKind::Line,
                               ToolKind::Arrow,     ToolKind::FilledRectangle, ToolKind::FilledEllipse,
                               ToolKind::Pixelate,  ToolKind::Blur,     ToolKind::Highlighter,
                               ToolKind::Counter,   ToolKind::Pen};
    constexpr int kinds = int(std::size(tools));
    QRandomGenerator random(1234);
    int drawn = 0;
    for (int attempt = 0; drawn < kFigures && attempt < kFigures * 20; ++attempt) {
        const QPoint from(random.bounded(20, 1880), random.bounded(20, 1040));
        if (const auto hit = view.nodeAt(from); hit && hit->handlesPan())
            continue;
        const QPoint to = from + QPoint(random.bounded(-120, 120), random.bounded(-120, 120));
        view.setSelectedTool(tools[drawn % kinds]);
        const auto before = view.figureList().items.size();
        drag(view.viewport(), from, to);
        if (view.figureList().items.size() > before)
            ++drawn;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    Preferences::standard().setInteger(QStringLiteral("linesize"), 4);

    EditorCanvas view;
    view.setupCanvas(kCanvas, makePicture());
    view.resize(kCanvas.size().toSize());
    view.show();
    QApplication::processEvents();

    drawFigures(view);
    const auto figures = view.figureList().items.size();

    // Drag a filled rectangle in the middle of the crowd back and forth.
    view.setSelectedTool(ToolKind::FilledRectangle);
    QPoint grip(960, 540);
    while (view.nodeAt(grip) && view.nodeAt(grip)->handlesPan())
        grip += QPoint(7, 3);
    drag(view.viewport(), grip, grip + QPoint(90, 70));
    view.setSelectedTool(ToolKind::Pointer);
    QPoint at = grip + QPoint(10, 10);
    const auto moving = view.nodeAt(at);
    if (!moving || !moving->handlesPan()) {
        std::fprintf(stderr, "no figure under the grip\n");
        return 2;
    }

    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    QApplication::processEvents();

    send(view.viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    std::vector<double> moveMs;
    moveMs.reserve(kMoves);
    QElapsedTimer timer;
    int unpainted = 0;
    double farthest = 0;   // shows that the figure really followed the pointer
    for (int i = 0; i < kMoves; ++i) {
        at += QPoint((i / 50) % 2 ? -3 : 3, (i / 25) % 2 ? -2 : 2);
        const int paintsBefore = counter.paints;
        timer.start();
        send(view.viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        // The scene collects the change, the view turns it into an update of the
        // exposed region and paints it, all through the event loop.
        for (int round = 0; round < 20 && counter.paints == paintsBefore; ++round)
            QApplication::processEvents();
        moveMs.push_back(timer.nsecsElapsed() / 1e6);
        if (counter.paints == paintsBefore)
            ++unpainted;
        farthest = std::max(farthest, std::abs(moving->place().dx()) + std::abs(moving->place().dy()));
    }
    send(view.viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);

    std::vector<double> exportMs1, exportMs2;
    QImage last;
    for (int i = 0; i < kExports; ++i) {
        timer.start();
        last = view.renderCanvas(1.0);
        exportMs1.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        last = view.renderCanvas(2.0);
        exportMs2.push_back(timer.nsecsElapsed() / 1e6);
    }

    // The whole local save after the panel: render, crop to the picture widened for the
    // figures, encode and write the PNG.
    std::vector<double> saveMs;
    const QString savedPath = home.path() + QStringLiteral("/saved.png");
    QSize savedSize;
    for (int i = 0; i < kExports; ++i) {
        timer.start();
        const QString written = writeImage(savedPath, view.renderCanvas(1.0), view.figureList().rects(), *view.imageRect());
        saveMs.push_back(timer.nsecsElapsed() / 1e6);
        if (written.isEmpty()) {
            std::fprintf(stderr, "the canvas could not be saved\n");
            return 2;
        }
        savedSize = QImage(written).size();
    }

    const Summary move = summarise(moveMs);
    const Summary export1 = summarise(exportMs1);
    const Summary export2 = summarise(exportMs2);
    std::printf("figures on the canvas: %lld; the dragged figure went up to %.0f points away and back\n",
                static_cast<long long>(figures), farthest);
    std::printf("move + repaint, %d pointer moves: median %.3f ms, p99 %.3f ms, max %.3f ms (%d without a paint)\n",
                kMoves, move.median, move.p99, move.max, unpainted);
    std::printf("export render 1920x1080 at 1x: median %.2f ms, p99 %.2f ms\n", export1.median, export1.p99);
    std::printf("export render 1920x1080 at 2x: median %.2f ms, p99 %.2f ms (%dx%d pixels)\n", export2.median,
                export2.p99, last.width(), last.height());
    const Summary save = summarise(saveMs);
    std::printf("export to PNG (render, crop, encode, write) %dx%d pixels: median %.2f ms, p99 %.2f ms\n",
                savedSize.width(), savedSize.height(), save.median, save.p99);
    // Given a file name, keep the 1x rendering to look at.
    if (argc > 1)
        view.renderCanvas(1.0).save(QString::fromLocal8Bit(argv[1]));
    return unpainted == 0 ? 0 : 1;
}
