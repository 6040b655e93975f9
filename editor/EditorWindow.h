#pragma once

#include "helpers/DesktopServices.h"
#include "editor/EditorCanvas.h"
#include "editor/SegmentedToolBar.h"
#include "editor/ColorPalettePopup.h"
#include "editor/LineWidthPopup.h"
#include "editor/TextEntryPopup.h"
#include "editor/tools/ToolTable.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class AppRequests;
class ClosePrompt;
class Preferences;
class QScreen;

// The annotation editor window: the segmented tool bar over the canvas. The tool bar,
// its shortcuts and what a click does come from a ToolTable: a click chooses the
// segment's tool and runs its action (popovers, output actions). The window deletes the
// selected figure on Delete or Backspace and tells the application when it opens and
// closes.
//
// The opener sets the picture (the selected region, with its device pixel ratio),
// shows the window and gives it the frame of the display the region came from; the
// window sets itself up when it is first shown.
class EditorWindow : public QWidget
{
    Q_OBJECT
public:
    // A window with the editor's own tool bar (ToolTable::standard()); `desktop` is
    // where its save, upload, copy and help go.
    explicit EditorWindow(DesktopServices desktop, QWidget *parent = nullptr);
    // A window whose tool bar, shortcuts and tools are `tools`'s; the table outlives it.
    EditorWindow(DesktopServices desktop, const ToolTable &tools, QWidget *parent = nullptr);
    ~EditorWindow() override;

    // What asks whether unsaved figures are saved on closing (not owned); by default
    // a message box of the window's own.
    void setClosePrompt(ClosePrompt *prompt) { m_closePrompt = prompt; }

    // Opens a new editor on `picture` over the whole of `display` (the display the
    // region came from; none: wherever the window system puts it), telling `delegate`
    // when it opens and closes. The window deletes itself when closed.
    static EditorWindow *openOn(const QImage &picture, QScreen *display, AppRequests *delegate,
                                 const DesktopServices &desktop);

    QImage picture;   // what the canvas shows once the window is first shown
    Preferences &preferences;
    ColorPalettePopup *colorPopup = nullptr;
    ColorPaletteView *colorPalette = nullptr;
    QPointer<SegmentedToolBar> buttonBar;
    QPointer<EditorCanvas> canvasView;
    TextEntryPopup *textPopup = nullptr;
    TextEntryView *textView = nullptr;
    LineWidthView *lineWidthView = nullptr;
    QPointer<AppRequests> delegate;   // told when the window opens and closes; set by the opener
    LineWidthPopup *lineWidthPopup = nullptr;
    std::optional<QPoint> lastPressPosition;   // last left press in this window, window coordinates
    int screenIndex = 0;

    // The set-up run when the window is first shown (tool tips, monitor, canvas,
    // announcement); calling it again does nothing.
    void setUpOnFirstShow();
    bool isLoaded() const { return m_loaded; }

public slots:
    // The tool bar's action: the clicked segment's index. Chooses the segment's tool
    // and does its action (ToolDescriptor).
    void buttonClicked(int segment);

signals:
    // The window is closing; the application has been told.
    void windowWillClose();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolBar();
    void loadToolTips();
    void installShortcuts();
    void addShortcut(const QKeySequence &key, std::function<void()> action);
    void clickByKey(int segment);
    bool saveBeforeClosing();
    void connectCanvasToPopovers();
    void paintSwatches();
    void mouseDown(const QPoint &globalPosition);
    void keyDown(int key);
    bool keyTypesText(const QKeyEvent &press) const;
    void typeIntoTextEntry(const QString &typed);
    void editPlacedText(const QString &words);
    void runSegmentAction(SegmentAction action, int segment, bool textShownAtPress);
    void toggleTextEntry(int segment, bool textShownAtPress);
    void toggleLineWidth(int segment);
    void showColorPalette(ColorPaletteView::Target target, int segment);
    void openHelp(int segment);
    void showToolPopover(ToolPopover *popover, int segment);
    void paletteColorChosen(ColorPaletteView::Target target, const QString &name);
    // The tool bar segment that shows the color of `target`, or null.
    ToolBarSegment *swatch(ColorPaletteView::Target target) const;
    void exportImage(SegmentAction way);
    void shareRendering(SegmentAction way);
    void choosePointer();
    void setTool(ToolKind tool);
    bool belongsToThisWindow(QObject *object) const;

    DesktopServices m_desktop;
    const ToolTable &m_tools;
    bool m_loaded = false;
    bool m_clickedByKey = false;   // the current click came from a shortcut
    bool m_editingPlacedText = false;   // the text popover holds the words of a placed text
    bool m_announcedOpen = false;
    bool m_monitorInstalled = false;
    // Whether the text popover was shown when the press of the current click began:
    // a press outside a popup closes it before the click ends.
    std::optional<bool> m_textShownAtPress;
    std::unique_ptr<ClosePrompt> m_ownClosePrompt;
    ClosePrompt *m_closePrompt = nullptr;
};
