#include "CBitTimingPanel.h"
#include "CCanPage.h"
#include "CFilterTestPanel.h"
#include "WidgetLookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "CBitTiming.h"

namespace {

QLineEdit* Edit(const CCanPage& page, const char* name)
{
    return Control<QLineEdit>(page, name);
}

QComboBox* List(const CCanPage& page, const char* name)
{
    return Control<QComboBox>(page, name);
}

// The page as the sheet leaves it once a converter is connected.
void Connect(CCanPage& page)
{
    page.OnInitDialog();
    page.setEnabled(true);
    page.OnEnable(true);
}

void Retype(QLineEdit* edit, const char* text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestCCanPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshPage();
    void dataExchange();
    void longTextsFromTheProgramStayWhole();
    void presets_data();
    void presets();
    void customBitRate();
    void noBitRateSelectedLeavesBtrAlone();
    void filterModeSwitchesFieldSets();
    void customMaskRule();
    void ruleChangesResetTypedMask_data();
    void ruleChangesResetTypedMask();
    void enableRules_data();
    void enableRules();
    void tabOrderAndMnemonics();
    void bitTimingFollowsTheTypedPair();
    void filterTesterFollowsTheFilterFields();
};

void TestCCanPage::freshPage()
{
    CCanPage page;
    page.OnInitDialog();

    QCOMPARE(Items(List(page, "baudrateList")),
             QStringList({"自定义", "5 K", "10 K", "20 K", "40 K", "50 K", "80 K", "100 K", "125 K",
                          "200 K", "250 K", "400 K", "500 K", "666 K", "800 K", "1000 K"}));
    QCOMPARE(List(page, "baudrateList")->currentText(), QStringLiteral("250 K"));
    QCOMPARE(Edit(page, "btr0Edit")->text(), QStringLiteral("01"));
    QCOMPARE(Edit(page, "btr1Edit")->text(), QStringLiteral("1C"));
    QVERIFY(!EnabledOnPage(Edit(page, "btr0Edit")));
    QVERIFY(!EnabledOnPage(Edit(page, "btr1Edit")));
    QCOMPARE(List(page, "frameTypeList")->currentText(), QStringLiteral("标准帧"));
    QCOMPARE(List(page, "filterModeList")->currentText(), QStringLiteral("单滤波"));
    QVERIFY(VisibleOnPage(Edit(page, "acptCodeEdit")));
    QVERIFY(!VisibleOnPage(Edit(page, "acptCodeDual1Edit")));
    QCOMPARE(Edit(page, "sendIdEdit")->text(), QStringLiteral("00 00 00 00"));
    QCOMPARE(Edit(page, "acptCodeEdit")->text(), QStringLiteral("00 00 00 00"));
    QVERIFY(!Control<QCheckBox>(page, "customMaskCheck")->isChecked());
    QCOMPARE(Edit(page, "acptMaskEdit")->text(), QStringLiteral("00 00 00 00"));
    QVERIFY(!EnabledOnPage(Edit(page, "acptMaskEdit")));

    const QList<QPair<const char*, int>> limits{
        {"btr0Edit", 2},          {"btr1Edit", 2},          {"sendIdEdit", 11},
        {"acptCodeEdit", 11},     {"acptMaskEdit", 11},     {"acptCodeDual1Edit", 5},
        {"acptCodeDual2Edit", 5}, {"acptMaskDual1Edit", 5}, {"acptMaskDual2Edit", 5}};
    for (const auto& [name, length] : limits)
        QCOMPARE(Edit(page, name)->maxLength(), length);
}

void TestCCanPage::dataExchange()
{
    CCanPage page;
    page.OnInitDialog();
    page.m_nBaudrate = 3;
    page.m_strBTR = {QStringLiteral("A1"), QStringLiteral("B2")};
    page.m_nFrameType = 1;
    page.m_nFilterMode = 0;
    page.m_bCustomMask = 1;
    page.m_strSendID = QStringLiteral("00 00 07 FF");
    page.m_strAcptCode = QStringLiteral("11 22 33 44");
    page.m_strAcptCodeDual = {QStringLiteral("01 02"), QStringLiteral("03 04")};
    page.m_strAcptMask = QStringLiteral("55 66 77 88");
    page.m_strAcptMaskDual = {QStringLiteral("05 06"), QStringLiteral("07 08")};
    const CanFields pushed = page;
    page.UpdateData(false);

    // Pushing values in applies no rule: the texts arrive as given.
    QCOMPARE(Edit(page, "btr1Edit")->text(), QStringLiteral("B2"));
    QCOMPARE(Edit(page, "acptCodeDual2Edit")->text(), QStringLiteral("03 04"));
    QCOMPARE(Edit(page, "acptMaskEdit")->text(), QStringLiteral("55 66 77 88"));
    QCOMPARE(Edit(page, "acptMaskDual1Edit")->text(), QStringLiteral("05 06"));

    static_cast<CanFields&>(page) = CanFields{};
    page.UpdateData(true);
    QCOMPARE(page.m_nBaudrate, pushed.m_nBaudrate);
    QCOMPARE(page.m_strBTR, pushed.m_strBTR);
    QCOMPARE(page.m_nFrameType, pushed.m_nFrameType);
    QCOMPARE(page.m_nFilterMode, pushed.m_nFilterMode);
    QCOMPARE(page.m_bCustomMask, pushed.m_bCustomMask);
    QCOMPARE(page.m_strSendID, pushed.m_strSendID);
    QCOMPARE(page.m_strAcptCode, pushed.m_strAcptCode);
    QCOMPARE(page.m_strAcptCodeDual, pushed.m_strAcptCodeDual);
    QCOMPARE(page.m_strAcptMask, pushed.m_strAcptMask);
    QCOMPARE(page.m_strAcptMaskDual, pushed.m_strAcptMaskDual);

    page.m_nFrameType = 7;
    page.UpdateData(false);
    page.UpdateData(true);
    QCOMPARE(page.m_nFrameType, -1);
}

// A hand-edited profile may hold a text longer than its field's limit; it
// must come back from the page as it went in, or a save would store it cut
// (and "00  00  01  23" cut to eleven characters means another identifier).
void TestCCanPage::longTextsFromTheProgramStayWhole()
{
    CCanPage page;
    const QString spaced = QStringLiteral("00  00  01  23");
    page.m_strSendID = spaced;
    page.OnInitDialog();
    page.OnEnable(true);
    QLineEdit* edit = Edit(page, "sendIdEdit");
    QCOMPARE(edit->text(), spaced);
    page.UpdateData(true);
    QCOMPARE(page.m_strSendID, spaced);

    edit->setFocus();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text(), spaced);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text(), QStringLiteral("00  00  01  2"));
    while (edit->text().size() > 11)
        QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text().size(), 11);
}

void TestCCanPage::presets_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("btr0");
    QTest::addColumn<QString>("btr1");

    QTest::newRow("5 K") << 1 << "BF"
                         << "FF";
    QTest::newRow("666 K") << 13 << "80"
                           << "B6";
    QTest::newRow("1000 K") << 15 << "00"
                            << "14";
}

void TestCCanPage::presets()
{
    QFETCH(int, index);
    QFETCH(QString, btr0);
    QFETCH(QString, btr1);

    CCanPage page;
    Connect(page);
    QVERIFY(Choose(List(page, "baudrateList"), index));
    QCOMPARE(Edit(page, "btr0Edit")->text(), btr0);
    QCOMPARE(Edit(page, "btr1Edit")->text(), btr1);
    QVERIFY(!EnabledOnPage(Edit(page, "btr0Edit")));
    QCOMPARE(page.m_nBaudrate, index);
    QCOMPARE(CCanPage::PresetBtr0(index), btr0);
    QCOMPARE(CCanPage::PresetBtr1(index), btr1);
}

void TestCCanPage::customBitRate()
{
    CCanPage page;
    Connect(page);
    QLineEdit* btr0 = Edit(page, "btr0Edit");
    QLineEdit* btr1 = Edit(page, "btr1Edit");

    QVERIFY(Choose(List(page, "baudrateList"), 0));
    QCOMPARE(btr0->text(), QStringLiteral("01"));
    QCOMPARE(btr1->text(), QStringLiteral("1C"));
    QVERIFY(EnabledOnPage(btr0));
    QVERIFY(EnabledOnPage(btr1));

    Retype(btr0, "3f");
    page.UpdateData(true);
    QCOMPARE(page.m_strBTR[0], QStringLiteral("3f"));

    QVERIFY(Choose(List(page, "baudrateList"), 15));
    QCOMPARE(btr0->text(), QStringLiteral("00"));
    QCOMPARE(btr1->text(), QStringLiteral("14"));
    QVERIFY(!EnabledOnPage(btr0));
    QVERIFY(!EnabledOnPage(btr1));
}

void TestCCanPage::noBitRateSelectedLeavesBtrAlone()
{
    CCanPage page;
    Connect(page);
    page.m_nBaudrate = 16;
    page.m_strBTR = {QStringLiteral("12"), QStringLiteral("34")};
    page.UpdateData(false);

    page.RefreshControls();
    QCOMPARE(page.m_nBaudrate, -1);
    QCOMPARE(Edit(page, "btr0Edit")->text(), QStringLiteral("12"));
    QCOMPARE(Edit(page, "btr1Edit")->text(), QStringLiteral("34"));
    QVERIFY(!EnabledOnPage(Edit(page, "btr0Edit")));
    for (int outside : {-1, 0, 16})
        QVERIFY(CCanPage::PresetBtr0(outside).isEmpty());
}

void TestCCanPage::filterModeSwitchesFieldSets()
{
    CCanPage page;
    Connect(page);
    const auto showsDual = [&page](bool dual) {
        for (const char* half :
             {"acptCodeDual1Edit", "acptCodeDual2Edit", "acptMaskDual1Edit", "acptMaskDual2Edit"})
            if (VisibleOnPage(Edit(page, half)) != dual)
                return false;
        return VisibleOnPage(Edit(page, "acptCodeEdit")) != dual &&
               VisibleOnPage(Edit(page, "acptMaskEdit")) != dual;
    };

    Retype(Edit(page, "acptCodeEdit"), "12 34 56 78");
    QVERIFY(Choose(List(page, "filterModeList"), 0));
    QVERIFY(showsDual(true));
    Retype(Edit(page, "acptCodeDual1Edit"), "AB CD");
    Retype(Edit(page, "acptCodeDual2Edit"), "EF 01");

    QVERIFY(Choose(List(page, "filterModeList"), 1));
    QVERIFY(showsDual(false));
    QVERIFY(Choose(List(page, "filterModeList"), 0));
    QVERIFY(showsDual(true));

    page.UpdateData(true);
    QCOMPARE(page.m_strAcptCode, QStringLiteral("12 34 56 78"));
    QCOMPARE(page.m_strAcptCodeDual[0], QStringLiteral("AB CD"));
    QCOMPARE(page.m_strAcptCodeDual[1], QStringLiteral("EF 01"));
}

void TestCCanPage::customMaskRule()
{
    CCanPage page;
    Connect(page);
    auto* box = Control<QCheckBox>(page, "customMaskCheck");
    const char* const masks[] = {"acptMaskEdit", "acptMaskDual1Edit", "acptMaskDual2Edit"};

    for (const bool ticked : {true, false}) {
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(box->isChecked(), ticked);
        QCOMPARE(page.m_bCustomMask, ticked ? 1 : 0);
        QCOMPARE(Edit(page, "acptMaskEdit")->text(), ticked ? "FF FF FF FF" : "00 00 00 00");
        QCOMPARE(Edit(page, "acptMaskDual1Edit")->text(), ticked ? "FF FF" : "00 00");
        QCOMPARE(Edit(page, "acptMaskDual2Edit")->text(), ticked ? "FF FF" : "00 00");
        for (const char* mask : masks)
            QCOMPARE(EnabledOnPage(Edit(page, mask)), ticked);
    }
}

void TestCCanPage::ruleChangesResetTypedMask_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<int>("index");

    QTest::newRow("frame type") << "frameTypeList" << 1;
    QTest::newRow("bit rate") << "baudrateList" << 12;
}

void TestCCanPage::ruleChangesResetTypedMask()
{
    QFETCH(QString, listName);
    QFETCH(int, index);

    CCanPage page;
    Connect(page);
    QTest::mouseClick(Control<QCheckBox>(page, "customMaskCheck"), Qt::LeftButton);
    Retype(Edit(page, "acptMaskEdit"), "12 34 56 78");
    Retype(Edit(page, "acptCodeEdit"), "0A 0B 0C 0D");
    Retype(Edit(page, "sendIdEdit"), "00 00 01 23");

    QVERIFY(Choose(List(page, qPrintable(listName)), index));
    QCOMPARE(Edit(page, "acptMaskEdit")->text(), QStringLiteral("FF FF FF FF"));
    QCOMPARE(Edit(page, "acptCodeEdit")->text(), QStringLiteral("0A 0B 0C 0D"));
    QCOMPARE(Edit(page, "sendIdEdit")->text(), QStringLiteral("00 00 01 23"));
}

void TestCCanPage::enableRules_data()
{
    QTest::addColumn<int>("bitRate");
    QTest::addColumn<bool>("customMask");

    QTest::newRow("preset, no custom mask") << 10 << false;
    QTest::newRow("custom bit rate, custom mask") << 0 << true;
}

void TestCCanPage::enableRules()
{
    QFETCH(int, bitRate);
    QFETCH(bool, customMask);

    CCanPage page;
    page.m_nBaudrate = bitRate;
    page.m_bCustomMask = customMask ? 1 : 0;
    page.OnInitDialog();
    const char* const alwaysOn[] = {"baudrateList",      "frameTypeList",    "filterModeList",
                                    "customMaskCheck",   "sendIdEdit",       "acptCodeEdit",
                                    "acptCodeDual1Edit", "acptCodeDual2Edit"};
    const char* const ruled[] = {"btr0Edit", "btr1Edit", "acptMaskEdit", "acptMaskDual1Edit",
                                 "acptMaskDual2Edit"};

    page.setEnabled(false);
    page.OnEnable(false);
    for (const char* name : alwaysOn)
        QVERIFY2(!EnabledOnPage(Control<QWidget>(page, name)), name);
    for (const char* name : ruled)
        QVERIFY2(!EnabledOnPage(Control<QWidget>(page, name)), name);

    page.setEnabled(true);
    page.OnEnable(true);
    for (const char* name : alwaysOn)
        QVERIFY2(EnabledOnPage(Control<QWidget>(page, name)), name);
    QCOMPARE(EnabledOnPage(Edit(page, "btr0Edit")), bitRate == 0);
    QCOMPARE(EnabledOnPage(Edit(page, "btr1Edit")), bitRate == 0);
    QCOMPARE(EnabledOnPage(Edit(page, "acptMaskEdit")), customMask);
    QCOMPARE(EnabledOnPage(Edit(page, "acptMaskDual2Edit")), customMask);
}

void TestCCanPage::tabOrderAndMnemonics()
{
    CCanPage page;
    Connect(page);
    QCOMPARE(TabStops(page),
             QStringList({"baudrateList", "btr0Edit", "btr1Edit", "frameTypeList",
                          "calculatorButton", "sendIdEdit", "filterModeList", "customMaskCheck",
                          "acptCodeEdit", "acptMaskEdit", "acptCodeDual1Edit", "acptCodeDual2Edit",
                          "acptMaskDual1Edit", "acptMaskDual2Edit", "idEdit", "extendedCheck"}));

    // A hidden field cannot take the focus, so the labels follow the set shown.
    QCOMPARE(Control<QLabel>(page, "acptCodeLabel")->buddy(), Edit(page, "acptCodeEdit"));
    QVERIFY(Choose(List(page, "filterModeList"), 0));
    QCOMPARE(Control<QLabel>(page, "acptCodeLabel")->buddy(), Edit(page, "acptCodeDual1Edit"));
    QCOMPARE(Control<QLabel>(page, "acptMaskLabel")->buddy(), Edit(page, "acptMaskDual1Edit"));
}

void TestCCanPage::bitTimingFollowsTheTypedPair()
{
    CCanPage page;
    Connect(page);
    const CBitTimingPanel* panel = page.TimingPanel();
    QVERIFY(panel->Text().startsWith(QStringLiteral("250K，采样点 87.5%")));
    QVERIFY(Choose(List(page, "baudrateList"), 0));
    Retype(Edit(page, "btr0Edit"), "05");
    QVERIFY2(panel->Text().startsWith(QStringLiteral("83.333K，采样点 87.5%")),
             qPrintable(panel->Text()));
    QCOMPARE(panel->Timing()->Quanta(), 16);
    Retype(Edit(page, "btr1Edit"), "");
    QVERIFY(!panel->Timing());

    // The calculator's choice goes on the page as a custom pair.
    QVERIFY(Choose(List(page, "baudrateList"), 10));
    page.PutTiming(CBitTiming::ExplainClassic(0x07, 0x18));
    QCOMPARE(List(page, "baudrateList")->currentIndex(), 0);
    QCOMPARE(page.m_strBTR[0] + page.m_strBTR[1], QStringLiteral("0718"));
    QVERIFY(Edit(page, "btr0Edit")->isEnabled());
    QVERIFY(panel->Text().startsWith(QStringLiteral("83.333K，采样点 83.3%")));
}

void TestCCanPage::filterTesterFollowsTheFilterFields()
{
    CCanPage page;
    Connect(page);
    Control<QCheckBox>(page, "customMaskCheck")->click();
    Retype(Edit(page, "acptCodeEdit"), "00 00 01 23");
    Retype(Edit(page, "acptMaskEdit"), "00 00 00 00");
    const CFilterTestPanel* tester = page.FilterTestPanel();
    QLineEdit* id = ::Control<QLineEdit>(*tester, "idEdit");
    Retype(id, "123");
    QVERIFY2(tester->Answer().startsWith(QStringLiteral("接收")), qPrintable(tester->Answer()));
    Retype(id, "122");
    QVERIFY2(tester->Answer().contains(QLatin1String("ID.0")), qPrintable(tester->Answer()));
    // A mask bit typed afterwards is followed at once.
    Retype(Edit(page, "acptMaskEdit"), "00 00 00 01");
    QVERIFY(tester->Answer().startsWith(QStringLiteral("接收")));
    Retype(id, "zz");
    QVERIFY(!tester->Answer().startsWith(QStringLiteral("接收")));
}

QTEST_MAIN(TestCCanPage)
#include "tst_CCanPage.moc"
