#include "FlowMessages.h"
#include "UiLanguage.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

class TestUiLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void englishOnlyWhenTheSystemAsksForIt_data();
    void englishOnlyWhenTheSystemAsksForIt();
    void catalogueIsBuiltIn();
    void chineseLoadsQtsOwnCatalogue();
};

void TestUiLanguage::englishOnlyWhenTheSystemAsksForIt_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("english");
    QTest::newRow("en_US") << QLocale(QStringLiteral("en_US")) << true;
    QTest::newRow("en_GB") << QLocale(QStringLiteral("en_GB")) << true;
    QTest::newRow("zh_CN") << QLocale(QStringLiteral("zh_CN")) << false;
    QTest::newRow("de_DE") << QLocale(QStringLiteral("de_DE")) << false;
    QTest::newRow("C") << QLocale::c() << false;
}

void TestUiLanguage::englishOnlyWhenTheSystemAsksForIt()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, english);
    QCOMPARE(UiLanguage::PrefersEnglish(locale), english);
}

void TestUiLanguage::catalogueIsBuiltIn()
{
    QCOMPARE(FlowMessages::Caption(), QStringLiteral("配置"));
    QTranslator english;
    QVERIFY(english.load(QLocale(QLocale::English), QStringLiteral("kelvane"), QStringLiteral("_"),
                         QStringLiteral(":/i18n")));
    QVERIFY(QCoreApplication::installTranslator(&english));
    QCOMPARE(FlowMessages::Caption(), QStringLiteral("Configuration"));
    QCOMPARE(FlowMessages::PortUnavailable(), QStringLiteral("The serial port is not available!"));
    QVERIFY(QCoreApplication::removeTranslator(&english));
    QCOMPARE(FlowMessages::Caption(), QStringLiteral("配置"));
}

// Qt's buttons and file dialog speak English unless its Chinese catalogue
// (qt6-translations-l10n) is loaded beside the tool's own texts.
void TestUiLanguage::chineseLoadsQtsOwnCatalogue()
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    QCOMPARE(cancel(), QStringLiteral("Cancel"));
    UiLanguage::Install(*QCoreApplication::instance(), QLocale(QStringLiteral("zh_CN")));
    QCOMPARE(cancel(), QStringLiteral("取消"));
    QCOMPARE(FlowMessages::Caption(), QStringLiteral("配置"));
}

QTEST_GUILESS_MAIN(TestUiLanguage)
#include "tst_UiLanguage.moc"
