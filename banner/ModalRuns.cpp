#include "banner/ModalRuns.h"

#include <QEvent>
#include <QEventLoop>
#include <QList>

namespace {

// Ends a run when its window is closed by the window manager, so a closed window
// never leaves the loop spinning with nothing on screen.
class CloseWatcher : public QObject
{
public:
    CloseWatcher(QEventLoop *loop, QObject *parent)
        : QObject(parent)
        , m_loop(loop)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close || event->type() == QEvent::Hide)
            m_loop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop *m_loop;
};

// Nested event loops, one per modal run; stopModal quits the innermost one.
class EventLoopRuns : public ModalRuns
{
public:
    void runModalForWindow(QWidget *window) override
    {
        if (!window)
            return;
        QEventLoop loop;
        m_loops.append(&loop);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        window->raise();
        window->activateWindow();
        CloseWatcher watcher(&loop, nullptr);
        window->installEventFilter(&watcher);
        if (window->isVisible())
            loop.exec();
        window->removeEventFilter(&watcher);
        m_loops.removeOne(&loop);
    }

    void stopModal() override
    {
        if (!m_loops.isEmpty())
            m_loops.constLast()->quit();
    }

private:
    QList<QEventLoop *> m_loops;
};

} // namespace

std::unique_ptr<ModalRuns> ModalRuns::eventLoops()
{
    return std::make_unique<EventLoopRuns>();
}
