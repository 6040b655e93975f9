#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// An application-wide watch on one kind of input event: the handler sees each such
// event once, as it reaches its window and before any widget, and the event then
// goes on as usual. Removed by deleting it.
class EventMonitor : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(QEvent *event)>;
    EventMonitor(QEvent::Type type, Handler handler, QObject *parent = nullptr);
    ~EventMonitor() override;

    // Stops watching at once (the object may be deleted later).
    void stop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QEvent::Type m_type;
    Handler m_handler;
};
