#include "platform/Preferences.h"

#include <QStandardPaths>
#include <memory>

namespace {
std::unique_ptr<Preferences> &standardStore()
{
    static std::unique_ptr<Preferences> store;
    return store;
}

QString settingsPath()
{
    // QStandardPaths reads XDG_CONFIG_HOME on every call, so tests can redirect it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/Vornik/Vornik.conf");
}
} // namespace

Preferences::Preferences()
    : m_settings(settingsPath(), QSettings::IniFormat)
{
}

Preferences &Preferences::standard()
{
    auto &store = standardStore();
    if (!store)
        store.reset(new Preferences());
    return *store;
}

void Preferences::resetStandard()
{
    auto &store = standardStore();
    if (store)
        store->synchronize();
    store.reset();
}

int Preferences::integerForKey(const QString &key) const
{
    bool ok = false;
    const int value = m_settings.value(key).toInt(&ok);
    return ok ? value : 0;
}

QString Preferences::stringForKey(const QString &key) const
{
    return m_settings.value(key).toString();
}

bool Preferences::hasKey(const QString &key) const
{
    return m_settings.contains(key);
}

void Preferences::setInteger(const QString &key, int value)
{
    m_settings.setValue(key, value);
}

void Preferences::setString(const QString &key, const QString &value)
{
    m_settings.setValue(key, value);
}

bool Preferences::synchronize()
{
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

QString Preferences::fileName() const
{
    return m_settings.fileName();
}
