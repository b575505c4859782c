#include "CFontWarmUp.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTest>

#include <fontconfig/fontconfig.h>

namespace {

const QString kChineseFace = QStringLiteral("WenQuanYi Micro Hei");

// The system's configuration, with the Chinese face's hinting switched as
// the row asks.
QByteArray Configuration(bool hintChinese)
{
    return QStringLiteral(R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="pattern">
    <test name="lang" compare="contains"><string>zh</string></test>
    <test name="family"><string>sans-serif</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>%1</string></edit>
  </match>
  <match target="font">
    <test name="family"><string>%1</string></test>
    <edit name="hinting" mode="assign"><bool>%2</bool></edit>
  </match>
</fontconfig>
)")
        .arg(kChineseFace, hintChinese ? QStringLiteral("true") : QStringLiteral("false"))
        .toUtf8();
}

} // namespace

class tst_FontWarmUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_original = QApplication::font();
        if (!QFontDatabase::families().contains(kChineseFace))
            QSKIP("the Chinese face is not installed (scripts/setup installs it)");
    }

    void cleanup() { QApplication::setFont(m_original); }

    void followsTheChineseFace_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("desktopFamily");
        QTest::addColumn<bool>("hintChinese");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QFont::HintingPreference>("hinting");

        const QString generic = QStringLiteral("Sans Serif");
        const QString named = QStringLiteral("DejaVu Sans");
        // Qt would resolve the generic family for the system's language and
        // hint the Chinese face its packagers keep unhinted.
        QTest::newRow("Chinese, face unhinted")
            << "C" << generic << false << kChineseFace << QFont::PreferNoHinting;
        QTest::newRow("Chinese, face hinted")
            << "de_DE" << generic << true << kChineseFace << QFont::PreferDefaultHinting;
        QTest::newRow("Chinese, the desktop names a face")
            << "C" << named << false << named << QFont::PreferNoHinting;
        QTest::newRow("English") << "en_GB" << generic << false << generic
                                 << QFont::PreferDefaultHinting;
    }

    void followsTheChineseFace()
    {
        QFETCH(QString, locale);
        QFETCH(QString, desktopFamily);
        QFETCH(bool, hintChinese);
        QFETCH(QString, family);
        QFETCH(QFont::HintingPreference, hinting);

        const QString file = m_home.filePath(QStringLiteral("fonts.conf"));
        QFile conf(file);
        QVERIFY(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
        conf.write(Configuration(hintChinese));
        conf.close();
        qputenv("FONTCONFIG_FILE", QFile::encodeName(file));
        QVERIFY(FcInitReinitialize());

        QFont desktop = m_original;
        desktop.setFamilies({desktopFamily});
        QApplication::setFont(desktop);

        CFontWarmUp fonts{QLocale(locale)};
        fonts.ApplyTo(*qApp);

        const QFont font = QApplication::font();
        QCOMPARE(font.families(), QStringList{family});
        QCOMPARE(font.hintingPreference(), hinting);
        QCOMPARE(font.pointSizeF(), m_original.pointSizeF());
    }

private:
    QTemporaryDir m_home;
    QFont m_original;
};

QTEST_MAIN(tst_FontWarmUp)
#include "tst_FontWarmUp.moc"
