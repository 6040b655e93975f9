#pragma once

#include <QWidget>

class Preferences;
class QCheckBox;
class QPushButton;

// A one-time explanation of the editor's two colors, with a continue button and a
// check box by which the user declines to see it again ("explaincolors").
class showcolorinfocontroller : public QWidget
{
    Q_OBJECT
public:
    explicit showcolorinfocontroller(QWidget *parent = nullptr);

    Preferences &userDefaults;
    QCheckBox *notAgainBox = nullptr;
    QPushButton *continueButton = nullptr;

public slots:
    void continueclick();
    // The sender is the check box: unticked stores 0; ticked stores 1 only when the
    // key is still absent.
    void notagainCheck(QObject *sender);
};
