#include "editor/EditorWindow.h"
#include "output/OutputActions.h"
#include "tests/harness/FakeAppRequests.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>

using namespace editortest;

namespace {
// An overlay over a whole display's picture at the display's ratio.
class DisplaySelection : public SelectionSurface
{
public:
    QImage picture;   // ratio set
    QRectF frame;     // points

    QRectF selectionFrame() const override { return frame; }
    void setSelectionFrame(const QRectF &f) override { frame = f; }
    QImage renderRegion(const QRectF &region) override
    {
        QImage part = picture.copy(pixelsOf(region));
        part.setDevicePixelRatio(picture.devicePixelRatio());
        return part;
    }
    // The pixels of `region` (points) in the picture.
    QRect pixelsOf(const QRectF &region) const
    {
        const qreal ratio = picture.devicePixelRatio();
        return QRectF(region.topLeft() * ratio, region.size() * ratio).toRect();
    }
};

QImage opaque(const QImage &image)
{
    QImage converted = image.convertToFormat(QImage::Format_RGB32);
    converted.setDevicePixelRatio(1.0);
    return converted;
}

// The first pixel where the two differ, for the failure message.
QString firstDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes %1x%2 and %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("pixel %1,%2: %3 against %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 8, 16).arg(b.pixel(x, y), 8, 16);
    return QString();
}

QImage clipboardPng()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data ? QImage::fromData(data->data(QStringLiteral("image/png")), "PNG") : QImage();
}
} // namespace

// What the editor's copy hands out, from a selection on a 1× and a 2× display.
class EditorExactExportTest : public QObject
{
    Q_OBJECT
    vtest::FakeDesktop m_desktop;

    DisplaySelection overlay;
    vtest::FakeAppRequests delegate;
    QPointer<EditorWindow> editor;

    // Selects `frame` on display `screenIndex` and opens it in the editor.
    void openSelection(int screenIndex, const QRectF &frame)
    {
        QScreen *display = QGuiApplication::screens().at(screenIndex);
        const qreal ratio = display->devicePixelRatio();
        overlay.picture = patternImage(qRound(display->geometry().width() * ratio),
                                       qRound(display->geometry().height() * ratio));
        overlay.picture.setDevicePixelRatio(ratio);
        overlay.frame = frame;
        editor = EditorWindow::openOn(renderSelectionImage(overlay).image, display, &delegate, m_desktop.services);
        QTRY_VERIFY_WITH_TIMEOUT(editor && editor->isLoaded(), 20000);
        QVERIFY(QTest::qWaitForWindowExposed(editor));
    }

    QImage copyFromTheEditor()
    {
        QGuiApplication::clipboard()->clear();
        clickSegment(*editor, CopySegment);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 10000); }();
        return opaque(clipboardPng());
    }

private slots:
    void init() { clearPreferences(); }
    void cleanup() { delete editor.data(); }

    void copyWithoutFiguresIsTheSelection_data()
    {
        QTest::addColumn<int>("screenIndex");
        QTest::addColumn<QRectF>("frame");
        QTest::newRow("1x 410 square") << 0 << QRectF(100, 200, 410, 410);
        QTest::newRow("1x odd size and place") << 0 << QRectF(37, 51, 333, 257);
        QTest::newRow("1x even size, odd place") << 0 << QRectF(91, 13, 600, 400);
        QTest::newRow("2x even") << 1 << QRectF(100, 80, 410, 300);
        QTest::newRow("2x odd") << 1 << QRectF(33, 47, 205, 151);
        QTest::newRow("2x half points") << 1 << QRectF(10.5, 20.5, 200.5, 100.5);
    }

    void copyWithoutFiguresIsTheSelection()
    {
        QFETCH(int, screenIndex);
        QFETCH(QRectF, frame);
        openSelection(screenIndex, frame);
        const QImage expected = opaque(overlay.picture.copy(overlay.pixelsOf(frame)));
        const QImage copied = copyFromTheEditor();
        QVERIFY2(copied == expected, qPrintable(firstDifference(copied, expected)));
    }

    // Figures change their own pixels, and a figure reaching past the picture widens
    // the export; every other pixel is the selection's.
    void figuresChangeOnlyTheirPixels_data()
    {
        QTest::addColumn<int>("screenIndex");
        QTest::newRow("1x") << 0;
        QTest::newRow("2x") << 1;
    }

    void figuresChangeOnlyTheirPixels()
    {
        QFETCH(int, screenIndex);
        Preferences::standard().setString(QStringLiteral("fillcolor"), QStringLiteral("red"));
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("blue"));
        Preferences::standard().setInteger(QStringLiteral("linesize"), 4);
        const QRectF frame(41, 63, 301, 201);
        openSelection(screenIndex, frame);
        const qreal ratio = editor->canvasView->picturePixelRatio();
        const QImage source = opaque(overlay.picture.copy(overlay.pixelsOf(frame)));
        const QPointF origin = editor->canvasView->imageRect()->topLeft();

        // A filled rectangle inside the picture: the size stays.
        clickSegment(*editor, FilledRectangleSegment);
        dragOnCanvas(*editor, origin + QPointF(50, 40), origin + QPointF(120, 100));
        clickSegment(*editor, CopySegment);
        QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 10000);
        QImage copied = opaque(clipboardPng());
        QCOMPARE(copied.size(), source.size());
        // The figure with its stroke covers (48, 38)-(122, 102) points.
        const QRect figure = QRectF(QPointF(47, 37) * ratio, QPointF(123, 103) * ratio).toRect();
        for (int y = 0; y < copied.height(); ++y)
            for (int x = 0; x < copied.width(); ++x)
                if (!figure.contains(x, y) && copied.pixel(x, y) != source.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 changed").arg(x).arg(y)));
        QCOMPARE(copied.pixel((QPointF(85, 70) * ratio).toPoint()), qRgb(255, 0, 0));

        // A line from inside the picture to 40 points past its right and bottom edges.
        openSelection(screenIndex, frame);
        const QPointF again = editor->canvasView->imageRect()->topLeft();
        clickSegment(*editor, LineSegment);
        dragOnCanvas(*editor, again + QPointF(250, 150), again + QPointF(341, 241));
        copied = copyFromTheEditor();
        QVERIFY2(copied.width() > source.width() && copied.height() > source.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(copied.width()).arg(copied.height())));
        // The picture sits at the export's top left, pixel for pixel, away from the line.
        const QRect line = QRectF(QPointF(244, 144) * ratio, QPointF(347, 247) * ratio).toRect();
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                if (!line.contains(x, y) && copied.pixel(x, y) != source.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 changed").arg(x).arg(y)));
        QCOMPARE(copied.pixel((QPointF(335, 235) * ratio).toPoint()), qRgb(0, 0, 255));
    }
};

VORNIK_TEST_MAIN(EditorExactExportTest,
                 (vtest::EnvironmentOptions{.offscreenScreens = {{QRect(0, 0, 1920, 1080), 1.0},
                                                                 {QRect(1920, 0, 1001, 701), 2.0}}}))
#include "editor_exact_export_test.moc"
