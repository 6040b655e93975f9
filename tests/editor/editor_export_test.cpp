#include "editor/EditorWindow.h"
#include "helpers/FilePanels.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/SaveDialogDriver.h"
#include "tests/harness/TestMain.h"

#include <QGuiApplication>
#include <QScreen>

using namespace editortest;

namespace {
// A save panel that answers with a fixed path and counts how often it was asked.
class AnsweringPanels : public FilePanels
{
public:
    QString answer;
    int saveRuns = 0;
    QStringList runOpenPanel(const OpenRequest &) override { return {}; }
    QString runSavePanel(const SaveRequest &) override
    {
        ++saveRuns;
        return answer;
    }
};

bool near(QRgb pixel, QRgb expected, int tolerance = 40)
{
    return qAbs(qRed(pixel) - qRed(expected)) <= tolerance && qAbs(qGreen(pixel) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(pixel) - qBlue(expected)) <= tolerance;
}
} // namespace

class EditorExportTest : public QObject
{
    Q_OBJECT
    vtest::FakeDesktop m_desktop;

private slots:
    void savedImageIsTheCaptureWithTheFiguresOverIt()
    {
        clearPreferences();
        Preferences::standard().setString(QStringLiteral("fillcolor"), QStringLiteral("red"));
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("blue"));
        const QImage capture = patternImage(300, 200);
        AnsweringPanels panels;
        panels.answer = QDir::tempPath() + QStringLiteral("/edited");   // no extension: ".png" is added

        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.withPanels(panels));
        editor->picture = capture;
        editor->show();
        editor->setGeometry(QGuiApplication::primaryScreen()->geometry());
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        const QPointF origin = editor->canvasView->imageRect()->topLeft();
        QCOMPARE(editor->canvasView->imageRect()->size(), QSizeF(300, 200));

        // A filled rectangle over (30, 30)-(110, 90) of the picture, an arrow from
        // (150, 50) to (250, 150).
        clickSegment(*editor, FilledRectangleSegment);
        dragOnCanvas(*editor, origin + QPointF(30, 30), origin + QPointF(110, 90));
        clickSegment(*editor, ArrowSegment);
        dragOnCanvas(*editor, origin + QPointF(150, 50), origin + QPointF(250, 150), 6);
        QCOMPARE(editor->canvasView->figureList().items.size(), 2);

        clickSegment(*editor, SaveSegment);
        QCOMPARE(panels.saveRuns, 1);
        // Saving keeps the editor open, back on the pointer tool.
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->canvasView->selectedTool(), std::optional(ToolKind::Pointer));
        QCOMPARE(editor->buttonBar->selectedSegment(), int(PointerSegment));

        const QImage saved(panels.answer + QStringLiteral(".png"));
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), capture.size());   // cropped to the picture, no white page

        // The picture itself wherever no figure was drawn.
        for (const QPoint p : {QPoint(0, 0), QPoint(299, 199), QPoint(10, 150), QPoint(200, 20), QPoint(140, 120),
                               QPoint(280, 60), QPoint(20, 110)})
            QVERIFY2(saved.pixel(p) == capture.pixel(p), qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
        // The fill inside the rectangle, its blue outline on its edge.
        for (const QPoint p : {QPoint(50, 50), QPoint(100, 80), QPoint(70, 40)})
            QCOMPARE(saved.pixel(p), qRgb(255, 0, 0));
        QVERIFY(near(saved.pixel(30, 60), qRgb(0, 0, 255)));
        QVERIFY(near(saved.pixel(110, 60), qRgb(0, 0, 255)));
        // The arrow's shaft and the point of its head.
        QVERIFY(near(saved.pixel(200, 100), qRgb(0, 0, 255)));
        QVERIFY(near(saved.pixel(175, 75), qRgb(0, 0, 255)));
        QVERIFY(near(saved.pixel(249, 149), qRgb(0, 0, 255), 90));
        delete editor.data();
    }

    void aDeletedFigureNoLongerWidensTheExport()
    {
        clearPreferences();
        Preferences::standard().setString(QStringLiteral("fillcolor"), QStringLiteral("red"));
        const QImage capture = patternImage(300, 200);
        AnsweringPanels panels;
        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.withPanels(panels));
        editor->picture = capture;
        editor->show();
        editor->setGeometry(QGuiApplication::primaryScreen()->geometry());
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        const QPointF origin = editor->canvasView->imageRect()->topLeft();

        // A filled rectangle reaching 60 points past the right edge of the picture.
        clickSegment(*editor, FilledRectangleSegment);
        dragOnCanvas(*editor, origin + QPointF(250, 50), origin + QPointF(360, 120));
        panels.answer = QDir::tempPath() + QStringLiteral("/with-figure.png");
        clickSegment(*editor, SaveSegment);
        const QImage withFigure(panels.answer);
        // The figure on the canvas takes the export past the picture's edge.
        QVERIFY2(withFigure.width() > capture.width(), qPrintable(QString::number(withFigure.width())));
        QCOMPARE(withFigure.pixel(330, 80), qRgb(255, 0, 0));

        // Delete takes the figure off the canvas; its record stays until a second Delete.
        QTest::keyClick(editor->canvasView, Qt::Key_Delete);
        QCOMPARE(editor->canvasView->rootGroup()->contents().size(), 1);
        QCOMPARE(editor->canvasView->figureList().items.size(), 1);
        panels.answer = QDir::tempPath() + QStringLiteral("/deleted.png");
        clickSegment(*editor, SaveSegment);
        const QImage deleted(panels.answer);
        QCOMPARE(deleted.size(), capture.size());
        for (const QPoint p : {QPoint(0, 0), QPoint(260, 60), QPoint(299, 100), QPoint(299, 199)})
            QCOMPARE(deleted.pixel(p), capture.pixel(p));
        delete editor.data();
    }

    // The desktop's save dialog adds ".png" to a name typed without it, so the
    // question whether to replace a file is about the file that is then written.
    void saveDialogAsksBeforeReplacingThePng()
    {
        clearPreferences();
        const QString folder = QDir::tempPath() + QStringLiteral("/chosen");
        QVERIFY(QDir().mkpath(folder));
        const QString existing = folder + QStringLiteral("/shot.png");
        QImage older(3, 3, QImage::Format_RGB32);
        older.fill(Qt::black);
        QVERIFY(older.save(existing, "PNG"));
        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.services);
        editor->picture = patternImage(120, 80);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));

        vtest::SaveDialogDriver dialog;
        dialog.folder = folder;
        dialog.typedName = QStringLiteral("shot");
        clickSegment(*editor, SaveSegment);
        QCOMPARE(dialog.dialogsAnswered, 1);
        QCOMPARE(dialog.questions.size(), 1);
        QVERIFY2(dialog.questions.constFirst().contains(QStringLiteral("shot.png")), qPrintable(dialog.questions.constFirst()));
        QCOMPARE(QImage(existing).size(), QSize(3, 3));   // "No" left the file alone
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});

        dialog.replace = true;
        clickSegment(*editor, SaveSegment);
        QCOMPARE(dialog.questions.size(), 2);
        QCOMPARE(QImage(existing).size(), QSize(120, 80));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});
        QVERIFY(editor && editor->isVisible());
        delete editor.data();
    }

    void cancelledSaveWritesNothing()
    {
        clearPreferences();
        AnsweringPanels panels;   // answers with an empty path: cancelled
        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.withPanels(panels));
        editor->picture = patternImage(120, 80);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        const QStringList before = QDir(QDir::tempPath()).entryList(QDir::Files);
        clickSegment(*editor, SaveSegment);
        QCOMPARE(panels.saveRuns, 1);
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(QDir(QDir::tempPath()).entryList(QDir::Files), before);
        delete editor.data();
    }
};

VORNIK_TEST_MAIN(EditorExportTest, vtest::EnvironmentOptions{})
#include "editor_export_test.moc"
