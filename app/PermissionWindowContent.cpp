#include "app/PermissionWindowContent.h"

#include "service/WebPages.h"
#include "platform/PrivacySettings.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

PermissionWindowContent::PermissionWindowContent(AppServices::ProgramStarter startProgram,
                                                 std::shared_ptr<Opener> opener, QObject *parent)
    : QObject(parent)
    , m_startProgram(std::move(startProgram))
    , m_opener(std::move(opener))
{
}

QRect PermissionWindowContent::fromBottomLeft(const QRect &frame) const
{
    return QRect(frame.x(), m_view->height() - frame.y() - frame.height(), frame.width(), frame.height());
}

namespace {
// The window's frames are fixed; a text longer than its frame (as translations often
// are) is set smaller, down to a size that is still easily read, instead of being cut.
template<typename Fits>
void shrinkUntilWhole(QWidget *widget, Fits fits)
{
    constexpr int kSmallestPointSize = 7;
    QFont font = widget->font();
    while (!fits() && font.pointSize() > kSmallestPointSize) {
        font.setPointSize(font.pointSize() - 1);
        widget->setFont(font);
    }
}
int widthNeeded(const QList<QPushButton *> &row, int gap)
{
    int needed = gap * int(row.size() - 1);
    for (const QPushButton *button : row)
        needed += button->sizeHint().width();
    return needed;
}

// The buttons of one row, left to right, keep their frames while their titles fit.
// Otherwise each gets the width its title needs plus an equal share of what is left
// of the row, set smaller first if even that is not enough.
void fitButtonRow(const QList<QPushButton *> &row)
{
    const bool allFit = std::all_of(row.begin(), row.end(),
                                    [](const QPushButton *button) { return button->sizeHint().width() <= button->width(); });
    if (allFit || row.size() < 2)
        return;
    const int left = row.first()->x();
    const int rowWidth = row.last()->geometry().right() + 1 - left;
    const int gap = row.at(1)->x() - row.at(0)->geometry().right() - 1;
    for (QPushButton *button : row)
        shrinkUntilWhole(button, [&] { return widthNeeded(row, gap) <= rowWidth; });
    const int share = std::max(0, rowWidth - widthNeeded(row, gap)) / int(row.size());
    int x = left;
    for (QPushButton *button : row) {
        const int width = button->sizeHint().width() + share;
        button->setGeometry(x, button->y(), width, button->height());
        x += width + gap;
    }
}
} // namespace

QLabel *PermissionWindowContent::addLabel(const QString &text, const QRect &frame, int pointSize)
{
    auto *label = new QLabel(text, m_view);
    QFont font = QApplication::font();
    font.setPointSize(pointSize);
    font.setWeight(QFont::Normal);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("color: black; background: transparent; border: none;"));
    label->setGeometry(fromBottomLeft(frame));
    shrinkUntilWhole(label, [label] { return label->heightForWidth(label->width()) <= label->height(); });
    return label;
}

QPushButton *PermissionWindowContent::addButton(const QString &title, const QRect &frame)
{
    auto *button = new QPushButton(title, m_view);
    button->setStyleSheet(QStringLiteral("QPushButton { color: black; text-align: center; }"));
    button->setAccessibleName(title);
    button->setGeometry(fromBottomLeft(frame));
    return button;
}

void PermissionWindowContent::buildContent()
{
    if (!m_view)
        return;
    addLabel(tr("Allow Vornik to share your screen."), QRect(30, 90, 400, 40), 18);
    //: 'Allow Vornik to Record Screen' is the button of this window: use its translation.
    addLabel(tr("Click 'Allow Vornik to Record Screen' to open System Preferences > Security & Privacy "
                "to grant access."),
             QRect(30, 50, 400, 40), 10);

    // A 2-point border in the colour of header text, on a white page.
    m_view->setObjectName(QStringLiteral("permissionView"));
    m_view->setAttribute(Qt::WA_StyledBackground);
    const QColor border = m_view->palette().color(QPalette::WindowText);
    m_view->setStyleSheet(QStringLiteral("#permissionView { background: white; border: 2px solid %1; }")
                              .arg(border.name()));

    QPushButton *allow = addButton(tr("Allow Vornik to Record Screen"), QRect(225, 10, 200, 30));
    QPushButton *cancel = addButton(tr("Cancel"), QRect(15, 10, 100, 30));
    QPushButton *help = addButton(tr("Help"), QRect(120, 10, 100, 30));
    connect(allow, &QPushButton::clicked, this, [this, allow] { preferencesButtonPressed(allow); });
    connect(cancel, &QPushButton::clicked, this, [this, cancel] { cancelButtonPressed(cancel); });
    connect(help, &QPushButton::clicked, this, [this, help] { helpButtonPressed(help); });
    fitButtonRow({cancel, help, allow});
}

namespace {
void hideWindowOf(QObject *sender)
{
    // The button's own window: several permission windows may be open at once.
    if (auto *widget = qobject_cast<QWidget *>(sender))
        widget->window()->hide();
}
} // namespace

void PermissionWindowContent::preferencesButtonPressed(QObject *sender)
{
    std::fprintf(stderr, "preferences button pressed\n");
    const QStringList command = PrivacySettings::command();
    if (command.isEmpty() || !m_startProgram(command.first(), command.mid(1)))
        openWebPageText(*m_opener, helpPageUrl());
    hideWindowOf(sender);
}

void PermissionWindowContent::cancelButtonPressed(QObject *sender)
{
    std::fprintf(stderr, "cancel button pressed\n");
    hideWindowOf(sender);
}

void PermissionWindowContent::helpButtonPressed(QObject *)
{
    std::fprintf(stderr, "help button pressed\n");
    openWebPageText(*m_opener, helpPageUrl() + QStringLiteral("#bottom"));
}
