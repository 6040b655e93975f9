#include "capture/EventMonitor.h"

#include <QCoreApplication>

EventMonitor::EventMonitor(QEvent::Type type, Handler handler, QObject *parent)
    : QObject(parent)
    , m_type(type)
    , m_handler(std::move(handler))
{
    QCoreApplication::instance()->installEventFilter(this);
}

EventMonitor::~EventMonitor()
{
    stop();
}

void EventMonitor::stop()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    m_type = QEvent::None;
}

bool EventMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // Input reaches the window (QWindow) first and is then passed down to widgets;
    // watching only the window level sees each event exactly once.
    if (event->type() == m_type && watched->isWindowType())
        m_handler(event);
    return false;
}
