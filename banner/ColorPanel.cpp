#include "banner/ColorPanel.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QPointer>

namespace {

class DialogColorPanel : public ColorPanel
{
public:
    ~DialogColorPanel() override { delete m_dialog; }

    void show(QObject *target, Action action, bool continuous) override
    {
        if (!m_dialog) {
            m_dialog = new QColorDialog();
            m_dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            m_dialog->setOption(QColorDialog::NoButtons, true);
            m_dialog->setWindowTitle(QCoreApplication::translate("ColorPanel", "Colors"));
        }
        // One target at a time, as with a shared panel: the last caller gets the picks.
        QObject::disconnect(m_connection);
        QPointer<QObject> guard(target);
        auto deliver = [guard, action = std::move(action)](const QColor &color) {
            if (guard && action)
                action(color);
        };
        m_connection = continuous
                           ? QObject::connect(m_dialog, &QColorDialog::currentColorChanged, target, deliver)
                           : QObject::connect(m_dialog, &QColorDialog::colorSelected, target, deliver);
        m_dialog->show();
        m_dialog->raise();
        m_dialog->activateWindow();
    }

private:
    QPointer<QColorDialog> m_dialog;
    QMetaObject::Connection m_connection;
};

} // namespace

std::unique_ptr<ColorPanel> ColorPanel::dialog()
{
    return std::make_unique<DialogColorPanel>();
}
