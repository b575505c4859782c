#include "CSerialPage.h"
#include "WidgetLookup.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

namespace {

const QStringList kCommonRates{"600",   "1200",  "2400",  "4800",  "9600",
                               "14400", "19200", "38400", "57600", "115200"};

// The sheet's start-up: window created, lists filled for the device type,
// the loaded fields shown.
void StartUp(CSerialPage& page, bool ostrelX)
{
    page.OnInitDialog();
    page.ConfigureForDevice(ostrelX ? ConverterModel::OstrelX : ConverterModel::OstrelA);
    page.UpdateData(false);
}

QString Shown(const CSerialPage& page, const char* list)
{
    return Control<QComboBox>(page, list)->currentText();
}

} // namespace

class TestCSerialPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshPageAndLists();
    void configureKeepsOrReplacesSelection_data();
    void configureKeepsOrReplacesSelection();
    void enableRules_data();
    void enableRules();
    void lineModeFollowsTheList();
    void tabOrderAndMnemonics();
};

void TestCSerialPage::freshPageAndLists()
{
    CSerialPage page;
    QCOMPARE(page.BaudrateList()->count(), 0);
    StartUp(page, false);

    QCOMPARE(Items(page.BaudrateList()), kCommonRates);
    QCOMPARE(Shown(page, "baudrateList"), QStringLiteral("9600"));
    QCOMPARE(Shown(page, "parityList"), QStringLiteral("无校验"));
    QCOMPARE(Shown(page, "dataBitsList"), QStringLiteral("8"));
    QCOMPARE(Shown(page, "stopBitsList"), QStringLiteral("1"));
    QCOMPARE(Shown(page, "flowControlList"), QStringLiteral("无"));
    QVERIFY(!VisibleOnPage(page.ModeList()));
    QVERIFY(!VisibleOnPage(Control<QWidget>(page, "lineModeGroup")));
    for (const char* name : {"dataBitsList", "stopBitsList", "flowControlList"})
        QVERIFY2(!EnabledOnPage(Control<QWidget>(page, name)), name);

    page.ConfigureForDevice(ConverterModel::OstrelX);
    QCOMPARE(Items(page.BaudrateList()), QStringList(kCommonRates) << "230400"
                                                                   << "460800"
                                                                   << "921600");
    QVERIFY(VisibleOnPage(page.ModeList()));
    QCOMPARE(Items(page.ModeList()), QStringList({"RS232模式", "RS485模式", "RS-422模式"}));
}

void TestCSerialPage::configureKeepsOrReplacesSelection_data()
{
    QTest::addColumn<bool>("fromOstrelX");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("expected");

    QTest::newRow("115200 kept in the longer list") << false << 9 << 9;
    QTest::newRow("460800 falls back to 9600") << true << 11 << 4;
    QTest::newRow("115200 kept in the shorter list") << true << 9 << 9;
    QTest::newRow("none stays none, to type 2") << false << -1 << -1;
    QTest::newRow("none stays none, to type 0") << true << -1 << -1;
}

void TestCSerialPage::configureKeepsOrReplacesSelection()
{
    QFETCH(bool, fromOstrelX);
    QFETCH(int, selected);
    QFETCH(int, expected);

    CSerialPage page;
    StartUp(page, fromOstrelX);
    page.BaudrateList()->setCurrentIndex(selected);

    page.m_nBaudrate = 5;
    page.ConfigureForDevice(fromOstrelX ? ConverterModel::OstrelA : ConverterModel::OstrelX);
    QCOMPARE(page.BaudrateList()->currentIndex(), expected);
    QCOMPARE(page.m_nBaudrate, 5);
    page.UpdateData(true);
    QCOMPARE(page.m_nBaudrate, expected);
}

void TestCSerialPage::enableRules_data()
{
    QTest::addColumn<bool>("ostrelX");
    QTest::newRow("type 0") << false;
    QTest::newRow("type 2") << true;
}

void TestCSerialPage::enableRules()
{
    QFETCH(bool, ostrelX);

    CSerialPage page;
    StartUp(page, ostrelX);
    const auto enabled = [&page](const char* name) {
        return EnabledOnPage(Control<QWidget>(page, name));
    };

    page.OnEnable(true);
    QVERIFY(enabled("baudrateList"));
    QVERIFY(enabled("parityList"));
    QVERIFY(enabled("lineModeList"));
    QCOMPARE(enabled("dataBitsList"), ostrelX);
    QCOMPARE(enabled("stopBitsList"), ostrelX);
    QVERIFY(!enabled("flowControlList"));

    page.OnEnable(false);
    for (const char* name : {"baudrateList", "parityList", "lineModeList", "dataBitsList",
                             "stopBitsList", "flowControlList"})
        QVERIFY2(!enabled(name), name);
}

void TestCSerialPage::lineModeFollowsTheList()
{
    CSerialPage page;
    StartUp(page, true);

    QTest::keyClick(page.ModeList(), Qt::Key_Down);
    QCOMPARE(page.m_nLineMode, 1);
    page.ModeList()->setCurrentIndex(2);
    QCOMPARE(page.m_nLineMode, 2);

    page.m_nLineMode = 0;
    page.UpdateData(false);
    QCOMPARE(page.ModeList()->currentIndex(), 0);
}

void TestCSerialPage::tabOrderAndMnemonics()
{
    CSerialPage page;
    const QStringList lists{"baudrateList", "dataBitsList",    "parityList",
                            "stopBitsList", "flowControlList", "lineModeList"};
    QCOMPARE(TabStops(page), lists);
    const QStringList labels{"baudrateLabel", "dataBitsLabel",    "parityLabel",
                             "stopBitsLabel", "flowControlLabel", "lineModeLabel"};
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(Control<QLabel>(page, qPrintable(labels[i]))->buddy(),
                 Control<QWidget>(page, qPrintable(lists[i])));
    }
}

QTEST_MAIN(TestCSerialPage)
#include "tst_CSerialPage.moc"
