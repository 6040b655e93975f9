#include "banner/ColorPanel.h"

#include "editor/ColorPaletteGrid.h"
#include "helpers/NamedColors.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The window of the panel: the palette and a Close button. It is hidden, not deleted,
// on closing, so the next show finds it where the user left it.
QWidget *makePaletteWindow(ColorPaletteGrid **grid)
{
    auto *window = new QWidget(nullptr, Qt::Tool);
    window->setObjectName(QStringLiteral("bannerColorPanel"));
    window->setWindowTitle(QCoreApplication::translate("ColorPanel", "Colors"));
    auto *layout = new QVBoxLayout(window);
    *grid = new ColorPaletteGrid(window);
    layout->addWidget(*grid);
    auto *close = new QPushButton(QCoreApplication::translate("ColorPanel", "Close"), window);
    close->setObjectName(QStringLiteral("closeButton"));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
    return window;
}

class PaletteColorPanel : public ColorPanel
{
public:
    ~PaletteColorPanel() override { delete m_window; }

    void show(QObject *target, Action action, bool) override
    {
        if (!m_window)
            m_window = makePaletteWindow(&m_grid);
        // One target at a time, as with a shared panel: the last caller gets the picks.
        QObject::disconnect(m_connection);
        QPointer<QObject> guard(target);
        m_connection = QObject::connect(m_grid, &ColorPaletteGrid::colorClicked, target,
                                        [grid = m_grid, guard, action = std::move(action)](const QString &name, QPushButton *) {
                                            // Exactly one button shows the color in force.
                                            grid->turnAllOff();
                                            grid->button(name)->setChecked(true);
                                            if (guard && action)
                                                action(colorNamed(name));
                                        });
        showColor(colorNamed(bannerColorName()));
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }

    void showColor(const QColor &color) override
    {
        if (!m_window)
            return;
        m_grid->turnAllOff();
        m_grid->turnOnButtonMatching(color);
    }

    QWidget *window() const override { return m_window; }

private:
    QPointer<QWidget> m_window;
    ColorPaletteGrid *m_grid = nullptr;
    QMetaObject::Connection m_connection;
};

} // namespace

std::unique_ptr<ColorPanel> ColorPanel::dialog()
{
    return std::make_unique<PaletteColorPanel>();
}
