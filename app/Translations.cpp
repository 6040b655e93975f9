#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {
// "de-DE" and "de_DE.UTF-8" both name German as spoken in Germany: de_DE.
QString translationSuffix(QString language)
{
    language.replace(QLatin1Char('-'), QLatin1Char('_'));
    return language.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
}

bool isSourceLanguage(const QString &suffix)
{
    return suffix == QLatin1String("C") || suffix == QLatin1String("POSIX") || suffix == QLatin1String("en")
           || suffix.startsWith(QLatin1String("en_"));
}
} // namespace

Translations::Translations(const QLocale &locale)
{
    for (const QString &language : locale.uiLanguages()) {
        const QString suffix = translationSuffix(language);
        if (suffix.isEmpty())
            continue;
        if (isSourceLanguage(suffix))
            return;
        // load() also tries the name shortened at each "_": vornik_de_AT finds vornik_de.
        if (m_client.load(QStringLiteral("vornik_") + suffix, folder())) {
            m_language = suffix.section(QLatin1Char('_'), 0, 0);
            break;
        }
    }
    if (m_language.isEmpty())
        return;
    m_clientInstalled = QCoreApplication::installTranslator(&m_client);
    // Qt's own texts come from the system's Qt translations when they are installed
    // (Debian: qt6-translations-l10n); without them Qt's dialogs stay English.
    if (m_qt.load(QStringLiteral("qtbase_") + m_language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_qtInstalled = QCoreApplication::installTranslator(&m_qt);
}

Translations::~Translations()
{
    if (m_qtInstalled)
        QCoreApplication::removeTranslator(&m_qt);
    if (m_clientInstalled)
        QCoreApplication::removeTranslator(&m_client);
}
