#pragma once

#include <QSettings>
#include <QString>

// The user's preferences store: a flat map from text keys to integers and texts,
// kept in ~/.config/Vornik/Vornik.conf (XDG_CONFIG_HOME is honoured).
//
// Readers decide what an absent key means; nothing registers defaults up front.
// Only the main thread reads or writes it.
class Preferences
{
public:
    // The store every part of the application shares.
    static Preferences &standard();

    int integerForKey(const QString &key) const;       // 0 when absent or not a number
    QString stringForKey(const QString &key) const;    // empty when absent
    bool hasKey(const QString &key) const;             // presence, whatever the type

    void setInteger(const QString &key, int value);
    void setString(const QString &key, const QString &value);

    // Writes pending changes to disk at once and reads what other processes wrote;
    // false when the file could not be written.
    bool synchronize();

    // The file the store lives in.
    QString fileName() const;

    // Forgets the cached store so the next standard() reopens it; tests use this
    // after pointing XDG_CONFIG_HOME somewhere else.
    static void resetStandard();

private:
    Preferences();
    QSettings m_settings;
};
