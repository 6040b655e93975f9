#pragma once

#include "editor/ToolBarSegment.h"

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QKeySequence>
#include <QMap>
#include <QList>
#include <QWidget>

// A row of segments addressed by index, one of which may be selected, with a tool tip
// (and the same accessible name) per segment. A click selects the clicked segment
// (spacers excepted) and then reports it.
class SegmentedToolBar : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedToolBar(QWidget *parent = nullptr);

    // Appends a segment and returns its index.
    int addSegment(const QIcon &icon = QIcon());
    int segmentCount() const { return int(m_segments.size()); }
    // The segment at `index`, or nullptr.
    ToolBarSegment *segment(int index) const;

    int selectedSegment() const { return m_selected; }
    // Selects `index`; an index out of range or a spacer selects nothing.
    void setSelectedSegment(int index);

    // The text of a segment's tool tip, also its accessible name.
    void setSegmentToolTip(int index, const QString &text);
    QString segmentToolTip(int index) const;
    // A key that does what the segment does: shown after the text in the tool tip that
    // appears, leaving the text and the accessible name as they are.
    void setSegmentShortcut(int index, const QKeySequence &key);

    // Acts as a click on the segment by the user.
    void clickSegment(int index);

signals:
    void segmentClicked(int index);

private:
    void showToolTip(int index);

    QList<ToolBarSegment *> m_segments;
    QMap<int, QString> m_toolTips;
    QMap<int, QKeySequence> m_shortcuts;
    int m_selected = -1;
};
