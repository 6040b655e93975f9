#include "app/showcolorinfocontroller.h"

#include "platform/Preferences.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

showcolorinfocontroller::showcolorinfocontroller(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , userDefaults(Preferences::standard())
{
    setObjectName(QStringLiteral("showcolorinfocontroller"));
    setWindowTitle(QStringLiteral("Vornik colors"));
    auto *text = new QLabel(QStringLiteral("The editor draws with two colors. The line color draws lines, arrows, "
                                           "outlines and text; the fill color fills rectangles and ellipses. Choose "
                                           "each from its swatch in the editor's tool bar."),
                            this);
    text->setWordWrap(true);
    notAgainBox = new QCheckBox(QStringLiteral("Do not show this again"), this);
    continueButton = new QPushButton(QStringLiteral("Continue"), this);
    continueButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(notAgainBox);
    buttons->addStretch();
    buttons->addWidget(continueButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    setFixedWidth(420);

    connect(continueButton, &QPushButton::clicked, this, &showcolorinfocontroller::continueclick);
    connect(notAgainBox, &QCheckBox::clicked, this, [this] { notagainCheck(notAgainBox); });
}

void showcolorinfocontroller::continueclick()
{
    close();
}

void showcolorinfocontroller::notagainCheck(QObject *sender)
{
    auto *box = qobject_cast<QCheckBox *>(sender);
    if (!box)
        return;
    const QString key = QStringLiteral("explaincolors");
    if (box->checkState() != Qt::Checked)
        userDefaults.setInteger(key, 0);
    else if (!userDefaults.hasKey(key))
        userDefaults.setInteger(key, 1);
}
