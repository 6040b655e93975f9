#include "editor/EditorWindow.h"
#include "output/OutputActions.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/FakeAppRequests.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QGuiApplication>
#include <QScreen>

using namespace editortest;

namespace {
// An overlay whose picture has `ratio` pixels per point, as on a high-density display.
class DenseSelection : public SelectionSurface
{
public:
    QImage picture;   // the whole display, ratio set
    QRectF frame;     // points

    QRectF selectionFrame() const override { return frame; }
    void setSelectionFrame(const QRectF &f) override { frame = f; }
    QImage renderRegion(const QRectF &region) override
    {
        const qreal ratio = picture.devicePixelRatio();
        const QRect pixels = QRectF(region.topLeft() * ratio, region.size() * ratio).toRect();
        QImage part = picture.copy(pixels);
        part.setDevicePixelRatio(ratio);
        return part;
    }
};
} // namespace

// Opening the editor from the overlay's edit button.
class EditorOpenTest : public QObject
{
    Q_OBJECT
    vtest::FakeDesktop m_desktop;
private slots:
    void regionFromADenseDisplayKeepsItsSizeInPoints_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }

    void regionFromADenseDisplayKeepsItsSizeInPoints()
    {
        QFETCH(qreal, ratio);
        clearPreferences();
        DenseSelection overlay;
        overlay.picture = patternImage(qRound(400 * ratio), qRound(300 * ratio));
        overlay.picture.setDevicePixelRatio(ratio);
        overlay.frame = QRectF(40, 140, 150, 100);
        vtest::FakeAppRequests delegate;
        QPointer<EditorWindow> editor = EditorWindow::openOn(renderSelectionImage(overlay).image,
                                                             QGuiApplication::primaryScreen(), &delegate, m_desktop.services);
        QTRY_VERIFY_WITH_TIMEOUT(editor && editor->isLoaded(), 20000);

        // The picture lies on the canvas at the selection's size in points...
        const std::optional<QRectF> placed = editor->canvasView->imageRect();
        QVERIFY(placed);
        QCOMPARE(placed->size(), QSizeF(150, 100));
        // ...with every pixel of the display kept: at the display's ratio the canvas
        // shows the selected pixels one for one (the selection's top left is at
        // (40, 140) points of the picture).
        const QImage canvas = editor->canvasView->renderCanvas(ratio);
        const QPoint start = (placed->topLeft() * ratio).toPoint();
        const QPoint source = (QPointF(40, 140) * ratio).toPoint();
        for (const QPoint offset : {QPoint(0, 0), QPoint(7, 3), QPoint(qRound(149 * ratio), qRound(99 * ratio))})
            QCOMPARE(canvas.pixel(start + offset), overlay.picture.pixel(source + offset));
        delete editor.data();
    }

    void editorCoversTheDisplayOfTheSelection()
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        for (QScreen *display : screens) {
            DenseSelection overlay;
            overlay.picture = patternImage(display->geometry().width(), display->geometry().height());
            // Wide enough that, centred on a page as wide as the first display, it would
            // reach past the right edge of the second.
            overlay.frame = QRectF(50, 50, 500, 300);
            vtest::FakeAppRequests delegate;
            QPointer<EditorWindow> editor = EditorWindow::openOn(renderSelectionImage(overlay).image, display, &delegate, m_desktop.services);
            QTRY_VERIFY_WITH_TIMEOUT(editor && editor->isLoaded(), 20000);
            QTRY_COMPARE_WITH_TIMEOUT(editor->frameGeometry(), display->geometry(), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(editor->screen(), display, 10000);
            // The page is that display's size, so the picture lies inside the window.
            const QSize size = display->geometry().size();
            QCOMPARE(editor->canvasView->viewSize(), std::optional(scene::Size{double(size.width()), double(size.height())}));
            QVERIFY(QRectF(QPointF(0, 0), QSizeF(size)).contains(*editor->canvasView->imageRect()));
            delete editor.data();
        }
    }
};

VORNIK_TEST_MAIN(EditorOpenTest, (vtest::EnvironmentOptions{.x11 = true,
                                                           .framebuffer = QSize(2080, 800),
                                                           .monitors = {QRect(0, 0, 1280, 800),
                                                                        QRect(1280, 0, 800, 600)}}))
#include "editor_open_test.moc"
