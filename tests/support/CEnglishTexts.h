#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

// The tool's English texts for as long as it lives, as a user whose system
// asks for English sees them; windows made meanwhile take them at creation.
class CEnglishTexts
{
public:
    explicit CEnglishTexts(bool wanted = true)
    {
        m_installed = wanted &&
                      m_translator.load(QLocale(QLocale::English), QStringLiteral("kelvane"),
                                        QStringLiteral("_"), QStringLiteral(":/i18n")) &&
                      QCoreApplication::installTranslator(&m_translator);
    }
    ~CEnglishTexts()
    {
        if (m_installed)
            QCoreApplication::removeTranslator(&m_translator);
    }
    CEnglishTexts(const CEnglishTexts&) = delete;
    CEnglishTexts& operator=(const CEnglishTexts&) = delete;

    bool IsInstalled() const { return m_installed; }

private:
    QTranslator m_translator;
    bool m_installed = false;
};
