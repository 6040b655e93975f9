#pragma once

#include <QList>
#include <QRadioButton>
#include <QWidget>

// The five named stroke widths; the choice is stored as an integer under "linesize".
class LineWidthView : public QWidget
{
    Q_OBJECT
public:
    explicit LineWidthView(QWidget *parent = nullptr);

    QRadioButton *rbThinnest;
    QRadioButton *rbThin;
    QRadioButton *rbThick;
    QRadioButton *rbThicker;
    QRadioButton *rbThickest;

    const int thinnestIndex = 4;
    const int ithin = 5;
    const int ithick = 6;
    const int ithicker = 7;
    const int thickestIndex = 8;

    // Shows the stored width; a stored value that is not one of the five shows
    // "Thick" and is left as it is.
    void showStoredChoice();

public slots:
    // The action of every width button: stores the width named by the sender's title.
    void widthButtonClicked(QObject *sender);

signals:
    // A width button was clicked and its width stored.
    void widthChosen();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void turnOnOnly(QRadioButton *chosen);
    QList<QRadioButton *> buttons() const;
};
