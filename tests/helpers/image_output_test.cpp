#include "editor/FigureList.h"
#include "helpers/Clipboard.h"
#include "helpers/FilePanels.h"
#include "helpers/ImageOutput.h"
#include "output/OutputActions.h"
#include "helpers/TempFolder.h"
#include "helpers/ResourceImages.h"
#include "tests/harness/TestMain.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QTemporaryDir>

namespace {

// A picture whose every pixel tells where it came from.
QImage patterned(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 13) % 256));
    return image;
}

// A picture of `scale` × `scale` pixel blocks, one color per block, so that scaling
// down by `scale` has one exact answer: the block color at each point.
QImage blocky(int pointWidth, int pointHeight, int scale)
{
    const QImage points = patterned(pointWidth, pointHeight);
    QImage image = points.scaled(pointWidth * scale, pointHeight * scale);   // nearest neighbour
    image.setDevicePixelRatio(scale);
    return image;
}

bool samePixels(const QImage &a, const QImage &b, int tolerance = 0)
{
    if (a.size() != b.size())
        return false;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                || std::abs(qBlue(p) - qBlue(q)) > tolerance)
                return false;
        }
    return true;
}

std::shared_ptr<Figure> figureAt(const QRectF &rect)
{
    auto figure = std::make_shared<Figure>();
    figure->rect = rect;
    return figure;
}

// Answers open and save panels as a test tells it to, and remembers what was asked.
class ScriptedPanels : public FilePanels
{
public:
    QStringList openAnswer;
    QString saveAnswer;
    QList<OpenRequest> openRequests;

    QStringList runOpenPanel(const OpenRequest &request) override
    {
        openRequests << request;
        return openAnswer;
    }
    QString runSavePanel(const SaveRequest &) override { return saveAnswer; }
};

// An overlay selection over a fixed picture, remembering what the box looked like
// while it was rendered.
class FakeSelection : public SelectionSurface
{
public:
    QImage picture;   // what the view shows, with its pixel ratio set
    QRectF frame;
    QList<QRectF> frameWhileRendering;

    QRectF selectionFrame() const override { return frame; }
    void setSelectionFrame(const QRectF &f) override { frame = f; }
    QImage renderRegion(const QRectF &region) override
    {
        frameWhileRendering << frame;
        const qreal ratio = picture.devicePixelRatio();
        // y up in the view, y down in the picture.
        const qreal heightPoints = picture.height() / ratio;
        const QRectF down(region.x(), heightPoints - region.y() - region.height(), region.width(), region.height());
        QImage part = picture.copy(QRectF(down.topLeft() * ratio, down.size() * ratio).toRect());
        part.setDevicePixelRatio(ratio);
        return part;
    }
};

QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    return reader.read();
}

} // namespace

class ImageOutputTest : public QObject
{
    Q_OBJECT
private slots:
    void temporaryFolderLayout()
    {
        // The session's runtime folder, which only this user may enter.
        const QString tmp = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
        QCOMPARE(TempFolder::root(), tmp + QStringLiteral("/"));
        QCOMPARE(TempFolder::renderedSelectionPath(), tmp + QStringLiteral("/a2.png"));
        QCOMPARE(TempFolder::viewImagePath(1700000000123), tmp + QStringLiteral("/Vornik/1700000000123_viewimage.png"));
        QCOMPARE(TempFolder::bannerImagePath(42), tmp + QStringLiteral("/Vornik/42_bannerimage.png"));
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        const qint64 now = TempFolder::currentMilliseconds();
        const qint64 after = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(now >= before && now <= after + 1);
        QVERIFY(TempFolder::ensureFinalImagesFolder());
        QVERIFY(QFileInfo(tmp + QStringLiteral("/Vornik")).isDir());
    }

    void unsentFolderFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        QCOMPARE(TempFolder::unsentFolder(), QDir::cleanPath(QString::fromLocal8Bit(saved)) + "/Vornik/unsent/");
        qputenv("XDG_DATA_HOME", "relative/path");   // not absolute: ignored
        QCOMPARE(TempFolder::unsentFolder(), QDir::homePath() + "/.local/share/Vornik/unsent/");
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(TempFolder::unsentFolder(), QDir::homePath() + "/.local/share/Vornik/unsent/");
        qputenv("XDG_DATA_HOME", saved);
    }

    void writeImageScalesToOnePixelPerPoint()
    {
        // 100 × 50 points over 200 × 100 pixels gives 100 × 50 pixels.
        const QImage image = blocky(100, 50, 2);
        QTemporaryDir dir;
        const QString written = writeImage(dir.filePath("half.png"), image, {}, QRectF(0, 0, 100, 50));
        QCOMPARE(written, dir.filePath("half.png"));
        const QImage back = readPng(written);
        QCOMPARE(back.size(), QSize(100, 50));
        QVERIFY(samePixels(back, patterned(100, 50), 1));

        // A part of it is cut at the picture's scale: points (10, 5, 20, 10).
        const QString part = writeImage(dir.filePath("part.png"), image, {}, QRectF(10, 5, 20, 10));
        QVERIFY(samePixels(readPng(part), patterned(100, 50).copy(10, 5, 20, 10), 1));

        // As many pixels as points: written unscaled, pixel for pixel.
        const QImage plain = patterned(120, 80);
        const QString unscaled = writeImage(dir.filePath("plain.png"), plain, {}, QRectF(10, 20, 30, 40));
        QVERIFY(samePixels(readPng(unscaled), plain.copy(10, 20, 30, 40)));
    }

    void figuresWidenTheAreaAndTheCropClipsIt()
    {
        const QImage plain = patterned(100, 100);
        QTemporaryDir dir;
        FigureList figures;
        // Reaches 20 points past the right edge of the picture.
        figures.items << figureAt(QRectF(70, 30, 50, 10));
        const QRectF widened = widenForFigures(QRectF(20, 20, 40, 40), figures.rects());
        QCOMPARE(widened, QRectF(20, 20, 106, 40));
        const QString written = writeImage(dir.filePath("wide.png"), plain, figures.rects(), QRectF(20, 20, 40, 40));
        QVERIFY(samePixels(readPng(written), plain.copy(20, 20, 80, 40)));

        // Up and left of the area: a 6-point margin on the left, none on top.
        FigureList leftUp;
        leftUp.items << figureAt(QRectF(5, 8, 10, 10));
        QCOMPARE(widenForFigures(QRectF(20, 20, 40, 40), leftUp.rects()), QRectF(-1, 8, 55, 52));
        const QString clipped = writeImage(dir.filePath("leftup.png"), plain, leftUp.rects(), QRectF(20, 20, 40, 40));
        QVERIFY(samePixels(readPng(clipped), plain.copy(0, 8, 54, 52)));

        // Figures entirely off the picture still clip to it.
        FigureList far;
        far.items << figureAt(QRectF(500, 500, 10, 10));
        QVERIFY(samePixels(readPng(writeImage(dir.filePath("far.png"), plain, far.rects(), QRectF(90, 90, 5, 5))),
                           plain.copy(90, 90, 10, 10)));
    }

    // Text figures have fractional sizes: the crop rounds the near edges down and the
    // far ones up, so a partly covered pixel is kept.
    void fractionalAreasRoundOutwards()
    {
        const QSize picture(100, 100);
        QCOMPARE(pixelCropRect(QRectF(10, 10, 20.5, 10), 1, picture), QRect(10, 10, 21, 10));
        QCOMPARE(pixelCropRect(QRectF(10.5, 10.25, 5, 5), 1, picture), QRect(10, 10, 6, 6));
        QCOMPARE(pixelCropRect(QRectF(10, 10, 20.25, 10), 2, picture), QRect(20, 20, 41, 20));
        // Clipped to the picture, and empty when nothing of it is left.
        QCOMPARE(pixelCropRect(QRectF(-5.5, 95.5, 20, 20), 1, picture), QRect(0, 95, 15, 5));
        QCOMPARE(pixelCropRect(QRectF(100, 0, 5, 5), 1, picture), QRect());
        QCOMPARE(pixelCropRect(QRectF(0, 100, 5, 5), 1, picture), QRect());
        QCOMPARE(pixelCropRect(QRectF(10, 10, 0, 5), 1, picture), QRect());
        QCOMPARE(pixelCropRect(QRectF(99.5, 0, 0.5, 1), 1, picture), QRect(99, 0, 1, 1));

        const QImage plain = patterned(100, 100);
        const QImage exported = exportImage(plain, {}, QRectF(10, 10, 20.5, 10));
        QCOMPARE(exported.size(), QSize(21, 10));
        QVERIFY(samePixels(exported, plain.copy(10, 10, 21, 10)));
        // A sliver one pixel wide or high is still a picture.
        QCOMPARE(exportImage(plain, {}, QRectF(10, 10, 0.5, 5)).size(), QSize(1, 5));
        QCOMPARE(exportImage(plain, {}, QRectF(10, 10, 5, 1)).size(), QSize(5, 1));
        // No picture, no export: never the stand-in icon shown for a missing picture.
        QVERIFY(exportImage(QImage(), {}, QRectF(0, 0, 10, 10)).isNull());
    }

    // The widening rule on each side of the area, without the export around it.
    void figuresWidenEachSide()
    {
        const QRectF area(20, 20, 40, 40);
        auto widened = [&](const QRectF &figure) { return widenForFigures(area, FigureRects{figure}); };
        // Starting exactly at the area's origin counts as inside: 6 beyond the far end.
        QCOMPARE(widened(QRectF(20, 20, 50, 50)), QRectF(20, 20, 56, 56));
        // Inside and short of the far edges: nothing changes.
        QCOMPARE(widened(QRectF(30, 30, 10, 10)), area);
        // Just short of the far edge less the margin, and just past it.
        QCOMPARE(widened(QRectF(30, 30, 24, 24)), area);
        QCOMPARE(widened(QRectF(30, 30, 25, 25)), QRectF(20, 20, 41, 41));
        // Before the origin: the left edge 6 beyond the figure, the top edge at it; the
        // length grows by the distance to the figure, or to the figure's own.
        QCOMPARE(widened(QRectF(19.5, 19.5, 1, 1)), QRectF(13.5, 19.5, 40.5, 40.5));
        QCOMPARE(widened(QRectF(10, 10, 80, 80)), QRectF(4, 10, 80, 80));
        QCOMPARE(widenForFigures(area, {}), area);
    }

    void repeatedFigureRectanglesAreSkipped()
    {
        // A record equal to the area passed in adds nothing (else it would add 6).
        FigureList same;
        same.items << figureAt(QRectF(20, 20, 40, 40));
        QCOMPARE(widenForFigures(QRectF(20, 20, 40, 40), same.rects()), QRectF(20, 20, 40, 40));

        // A second record equal to the one before it is skipped; taken twice, the
        // wide figure left of the area would grow the width from 100 to 112.
        FigureList twice;
        twice.items << figureAt(QRectF(5, 8, 100, 10)) << figureAt(QRectF(5, 8, 100, 10));
        QCOMPARE(widenForFigures(QRectF(20, 20, 40, 40), twice.rects()), QRectF(-1, 8, 100, 52));
        // Not skipped once another rectangle came between them.
        twice.items.insert(1, figureAt(QRectF(30, 30, 1, 1)));
        QCOMPARE(widenForFigures(QRectF(20, 20, 40, 40), twice.rects()), QRectF(-1, 8, 112, 52));

        // Records without a rectangle are passed over.
        FigureList unplaced;
        unplaced.items << std::make_shared<Figure>();
        QCOMPARE(widenForFigures(QRectF(1, 2, 3, 4), unplaced.rects()), QRectF(1, 2, 3, 4));
    }

    void writeImagePathsAndFailures()
    {
        const QImage plain = patterned(40, 30);
        QTemporaryDir dir;
        // A typed name without ".png" gets it; one holding ".png" anywhere is kept.
        QCOMPARE(writeImage(dir.filePath("shot"), plain, {}, QRectF(0, 0, 40, 30)), dir.filePath("shot.png"));
        QVERIFY(QFile::exists(dir.filePath("shot.png")));
        QCOMPARE(writeImage(dir.filePath("my.png.old"), plain, {}, QRectF(0, 0, 40, 30)),
                 dir.filePath("my.png.old"));
        QCOMPARE(readPng(dir.filePath("my.png.old")).size(), QSize(40, 30));

        // No path: a new file in the final-images folder.
        const QString fresh = writeImage(QString(), plain, {}, QRectF(0, 0, 40, 30));
        QVERIFY(fresh.startsWith(TempFolder::finalImagesFolder()));
        QVERIFY(fresh.endsWith("_viewimage.png"));
        const QString stamp = QFileInfo(fresh).fileName().section('_', 0, 0);
        bool number = false;
        stamp.toLongLong(&number);
        QVERIFY(number);
        QVERIFY(samePixels(readPng(fresh), plain));

        // Failures give the empty text and write nothing.
        QCOMPARE(writeImage(dir.filePath("null.png"), QImage(), {}, QRectF(0, 0, 10, 10)), QString());
        QCOMPARE(writeImage(dir.filePath("off.png"), plain, {}, QRectF(100, 100, 10, 10)), QString());
        QCOMPARE(writeImage(dir.filePath("none/x.png"), plain, {}, QRectF(0, 0, 10, 10)), QString());
        // Less than a pixel once scaled to one pixel per point: nothing to draw into.
        QCOMPARE(writeImage(dir.filePath("sliver.png"), blocky(10, 10, 2), {}, QRectF(0, 0, 0.4, 5)), QString());
        for (const char *name : {"null.png", "off.png", "sliver.png"})
            QVERIFY(!QFile::exists(dir.filePath(name)));
    }

    void writePNGIsAtomic()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.png");
        const QImage first = patterned(64, 48);
        QVERIFY(writePNG(first, path));
        // A failed write leaves the old file as it was.
        QVERIFY(!writePNG(QImage(), path));
        QVERIFY(samePixels(readPng(path), first));
        // A successful one replaces it and leaves no helper files behind.
        const QImage second = patterned(48, 64).mirrored();
        QVERIFY(writePNG(second, path));
        QVERIFY(samePixels(readPng(path), second));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.png"});
        QVERIFY(!writePNG(first, dir.filePath("missing/folder.png")));
    }

    void compressionLevelIsApplied()
    {
        const QImage image = patterned(300, 200);
        const QByteArray chosen = encodePNG(image);
        const QByteArray stored = encodePNG(image, 95);   // zlib level 0: stored, not compressed
        QVERIFY(stored.size() > chosen.size() * 2);
        QVERIFY(samePixels(QImage::fromData(chosen, "PNG"), image));
        QVERIFY(samePixels(QImage::fromData(stored, "PNG"), image));
    }

    void imageCGImageKeepsPixelsAndRatio()
    {
        QImage premultiplied(20, 10, QImage::Format_ARGB32_Premultiplied);
        premultiplied.fill(qRgba(10, 20, 30, 255));
        premultiplied.setDevicePixelRatio(2);
        const QImage bitmap = imageCGImage(premultiplied);
        QCOMPARE(bitmap.format(), QImage::Format_ARGB32);
        QCOMPARE(bitmap.devicePixelRatio(), 2.0);
        QCOMPARE(bitmap.pixel(3, 3), qRgba(10, 20, 30, 255));
        // No picture: the page-and-pencil picture stands in.
        const QImage pencil = imageNamed(QStringLiteral("icon-page-pencil"));
        QVERIFY(!pencil.isNull());
        const QImage standIn = imageCGImage(QImage());
        QCOMPARE(standIn.size(), pencil.size());
        QVERIFY(standIn == imageCGImage(pencil));
    }

    void choosePNGFileAsksForOnePng()
    {
        ScriptedPanels panels;
        panels.openAnswer = {"/a/first.png", "/a/second.png"};
        QCOMPARE(choosePNGFile(panels), QStringLiteral("/a/first.png"));
        const FilePanels::OpenRequest asked = panels.openRequests.constLast();
        QCOMPARE(asked.title, QStringLiteral("Select Image"));
        QVERIFY(!asked.allowsMultipleSelection && !asked.canChooseDirectories && !asked.canCreateDirectories);
        QCOMPARE(asked.allowedFileTypes, QStringList{"png"});
        panels.openAnswer.clear();   // cancelled
        QCOMPARE(choosePNGFile(panels), QString());
    }

    void renderSelectionLeavesTheBoxOut()
    {
        FakeSelection overlay;
        overlay.picture = blocky(80, 60, 2);
        overlay.frame = QRectF(10, 20, 30, 15);   // y up: rows 25..40 from the top
        const QImage back = renderSelectionImage(overlay).image;
        QCOMPARE(overlay.frameWhileRendering, QList<QRectF>{QRectF()});
        QCOMPARE(back.size(), QSize(60, 30));   // every pixel of the display
        QVERIFY(samePixels(back.scaled(30, 15), patterned(80, 60).copy(10, 25, 30, 15)));
    }

    // Without a desktop every outcome is known before the put returns.
    void clipboardHoldsPngBytesAndLinks()
    {
        const QImage image = patterned(32, 16);
        const QByteArray png = encodePNG(image);
        Clipboard clipboard;
        QList<bool> outcomes;
        const auto record = [&outcomes](bool held) { outcomes << held; };
        clipboard.putImage(png, image, record);
        QCOMPARE(outcomes, QList<bool>{true});
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->data("image/png"), png);
        QVERIFY(samePixels(QGuiApplication::clipboard()->image(), image));
        clipboard.putImage(QByteArray(), QImage(), record);
        clipboard.putLink(QString(), record);
        QCOMPARE(outcomes, (QList<bool>{true, false, false}));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("image/png"), png);   // untouched
        clipboard.putLink(QStringLiteral("https://example.org/x"), record);
        QCOMPARE(outcomes.size(), 4);
        QVERIFY(outcomes.last());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("https://example.org/x"));
        clipboard.clear();
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    }
};

VORNIK_TEST_MAIN(ImageOutputTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = QSize(1920, 1080), .monitors = {}, .dbus = false}))
#include "image_output_test.moc"
