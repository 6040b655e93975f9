#include "editor/LineWidthView.h"

#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"

#include <QVBoxLayout>

LineWidthView::LineWidthView(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto makeButton = [this, column](const QString &title) {
        auto *button = new QRadioButton(title, this);
        // The buttons are turned on and off here, not by Qt's exclusivity, so that
        // "all off" and the stored choice can both be shown.
        button->setAutoExclusive(false);
        button->setAccessibleName(title);
        column->addWidget(button);
        connect(button, &QRadioButton::clicked, this, [this, button] { widthButtonClicked(button); });
        return button;
    };
    //: The five line widths of the editor, from the thinnest to the thickest.
    rbThinnest = makeButton(tr("Thinnest"));
    rbThin = makeButton(tr("Thin"));
    rbThick = makeButton(tr("Thick"));
    rbThicker = makeButton(tr("Thicker"));
    rbThickest = makeButton(tr("Thickest"));
}

QList<QRadioButton *> LineWidthView::buttons() const
{
    return {rbThinnest, rbThin, rbThick, rbThicker, rbThickest};
}

void LineWidthView::turnOnOnly(QRadioButton *chosen)
{
    for (QRadioButton *button : buttons())
        button->setChecked(button == chosen);
}

void LineWidthView::widthButtonClicked(QObject *sender)
{
    const QString title = sender ? sender->property("text").toString() : QString();
    const QList<QRadioButton *> all = buttons();
    const int widths[] = {thinnestIndex, ithin, ithick, ithicker, thickestIndex};
    for (int i = 0; i < all.size(); ++i) {
        if (title == all[i]->text()) {
            Preferences::standard().setInteger(SettingsKeys::lineSize, widths[i]);
            turnOnOnly(all[i]);
            emit widthChosen();
            return;
        }
    }
}

void LineWidthView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    showStoredChoice();
}

void LineWidthView::showStoredChoice()
{
    const int stored = Preferences::standard().integerForKey(SettingsKeys::lineSize);
    const QList<QRadioButton *> all = buttons();
    const int widths[] = {thinnestIndex, ithin, ithick, ithicker, thickestIndex};
    for (int i = 0; i < all.size(); ++i) {
        if (stored == widths[i]) {
            turnOnOnly(all[i]);
            return;
        }
    }
    turnOnOnly(rbThick);
}
