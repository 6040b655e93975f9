#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// The client's texts and Qt's own (file panels, colour dialog, standard buttons) in
// the user's language, installed on the running application for as long as this
// object lives. The language is the first of the locale's interface languages
// (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG) that is English or has a translation;
// English is the language of the sources, so for it nothing is loaded.
class Translations {
public:
    explicit Translations(const QLocale &locale = QLocale::system());
    ~Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

    // The language whose translation is installed ("de", "uk" ...); empty for English.
    QString language() const { return m_language; }

    // Where the compiled translations of the client are kept.
    static QString folder() { return QStringLiteral(":/i18n"); }

private:
    QTranslator m_client;
    QTranslator m_qt;
    QString m_language;
    bool m_clientInstalled = false;
    bool m_qtInstalled = false;
};
