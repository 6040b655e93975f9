#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// One global hot key on X11: the key is grabbed on the root window with exactly the
// given modifiers, in every NumLock/CapsLock variant, on Qt's own X connection. The
// handler runs, on the main thread, each time the combination is released after a
// press; holding the keys does not repeat it. The grab lasts as long as the object.
class X11HotKey : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Modifier bits as X writes them.
    enum Modifier : quint16 { Shift = 0x1, Control = 0x4, Alt = 0x8, Super = 0x40 };

    // Grabs `keysym` with `modifiers`. Null when there is no X11 connection or the key
    // does not exist; a combination another program holds is reported on stderr
    // (naming `description`) and also gives null.
    static std::unique_ptr<X11HotKey> create(quint32 keysym, quint16 modifiers, const QString &description);
    ~X11HotKey() override;

    void setKeyUpHandler(std::function<void()> handler) { m_keyUp = std::move(handler); }
    QString description() const { return m_description; }

    // How many hot keys this process holds right now.
    static int activeCount();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    X11HotKey(quint8 keycode, quint16 modifiers, const QString &description);
    bool grab();
    void ungrab();
    // The modifier sets grabbed: the modifiers alone and with each lock added.
    QList<quint16> variants() const;

    quint8 m_keycode;
    quint16 m_modifiers;
    quint16 m_numLockMask = 0;
    QString m_description;
    std::function<void()> m_keyUp;
    bool m_armed = false;
};
