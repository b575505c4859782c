#include "CRecordingSink.h"
#include "CTranPage.h"
#include "WidgetLookup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

const char* const kNumberEdits[] = {"frameSpaceEdit", "idOffsetEdit", "idLengthEdit"};
const char* const kChecks[] = {"forwardIdCheck", "forwardInfoCheck"};
const char* const kModeLabels[] = {"idPositionLabel", "idOffsetLabel", "idLengthLabel",
                                   "frameSpaceLabel", "frameSpaceUnitLabel"};

// The sheet's start-up with the constructor's values standing in for the
// profile, then a successful connection.
void StartUp(CTranPage& page, bool ostrelX = false)
{
    const TranFields loaded = page;
    page.OnInitDialog();
    page.UpdateData(true);
    static_cast<TranFields&>(page) = loaded;
    page.ConfigureForDevice(ostrelX ? ConverterModel::OstrelX : ConverterModel::OstrelA);
    page.UpdateData(false);
    page.setEnabled(true);
    page.OnEnable(true);
}

bool Enabled(const CTranPage& page, const char* name)
{
    return EnabledOnPage(Control<QWidget>(page, name));
}

} // namespace

class TestCTranPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshPage();
    void modeRules_data();
    void modeRules();
    void thirdModeWording_data();
    void thirdModeWording();
    void upDownArrowsStopAtBounds_data();
    void upDownArrowsStopAtBounds();
    void typedValuesAreNotBounded();
    void missingIntegerIsPrompted_data();
    void missingIntegerIsPrompted();
    void tabOrderAndMnemonics();

private:
    CRecordingSink m_sink;
};

void TestCTranPage::freshPage()
{
    CTranPage page(m_sink);
    page.OnInitDialog();
    QCOMPARE(page.ModeList(), Control<QComboBox>(page, "modeList"));
    QCOMPARE(page.ModeList()->currentIndex(), -1);
    QCOMPARE(page.m_nMode, -1);

    page.m_nMode = 0;
    StartUp(page);

    QCOMPARE(page.ModeList()->currentText(), QStringLiteral("透明转换"));
    QCOMPARE(Control<QComboBox>(page, "directionList")->currentText(), QStringLiteral("双向"));
    QCOMPARE(Control<QLineEdit>(page, "frameSpaceEdit")->text(), QStringLiteral("2"));
    QCOMPARE(Control<QLineEdit>(page, "idOffsetEdit")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(page, "idLengthEdit")->text(), QStringLiteral("1"));
    for (const char* name : kChecks) {
        QVERIFY2(!Control<QCheckBox>(page, name)->isChecked(), name);
        QVERIFY2(Enabled(page, name), name);
    }
    for (const char* name : kNumberEdits)
        QVERIFY2(!Enabled(page, name), name);
    QVERIFY(m_sink.m_messages.isEmpty());
}

void TestCTranPage::modeRules_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<bool>("checks");
    QTest::addColumn<bool>("labels");

    QTest::newRow("transparent") << 0 << false << true << true;
    QTest::newRow("transparent with identifier") << 1 << true << false << true;
    QTest::newRow("third mode") << 2 << false << false << false;
}

void TestCTranPage::modeRules()
{
    QFETCH(int, mode);
    QFETCH(bool, numbers);
    QFETCH(bool, checks);
    QFETCH(bool, labels);

    CTranPage page(m_sink);
    page.m_nMode = mode == 0 ? 1 : 0;
    StartUp(page);
    Control<QCheckBox>(page, "forwardInfoCheck")->setChecked(true);

    QVERIFY(Choose(page.ModeList(), mode));
    QCOMPARE(page.m_nMode, mode);
    const auto followsMode = [&] {
        for (const char* name : kNumberEdits)
            QCOMPARE(Enabled(page, name), numbers);
        // The arrows go with their edits.
        QCOMPARE(Enabled(page, "frameSpaceUpDown"), numbers);
        for (const char* name : kChecks)
            QCOMPARE(Enabled(page, name), checks);
    };
    followsMode();
    for (const char* name : kModeLabels)
        QCOMPARE(Enabled(page, name), labels);
    QVERIFY(Enabled(page, "directionList"));
    QVERIFY(Control<QCheckBox>(page, "forwardInfoCheck")->isChecked());

    page.OnEnable(false);
    for (const char* name : {"modeList", "directionList", "frameSpaceEdit", "forwardIdCheck",
                             "forwardInfoCheck", "idOffsetEdit", "idLengthEdit"})
        QVERIFY2(!Enabled(page, name), name);
    page.OnEnable(true);
    QVERIFY(Enabled(page, "modeList"));
    followsMode();

    // Leaving the third mode gives the labels back.
    QVERIFY(Choose(page.ModeList(), 1));
    for (const char* name : kModeLabels)
        QVERIFY2(Enabled(page, name), name);
}

void TestCTranPage::thirdModeWording_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("expected");

    QTest::newRow("third mode keeps its place") << 2 << 2;
    QTest::newRow("none selected picks the first") << -1 << 0;
}

void TestCTranPage::thirdModeWording()
{
    QFETCH(int, selected);
    QFETCH(int, expected);

    CTranPage page(m_sink);
    StartUp(page);
    page.ModeList()->setCurrentIndex(selected);
    page.m_nMode = 7;

    page.ConfigureForDevice(ConverterModel::OstrelX);
    QCOMPARE(page.ModeList()->currentIndex(), expected);
    QCOMPARE(page.ModeList()->itemText(2), QStringLiteral("格式转换"));

    page.ConfigureForDevice(ConverterModel::OstrelA);
    QCOMPARE(page.ModeList()->currentIndex(), expected);
    QCOMPARE(page.ModeList()->itemText(2), QStringLiteral("MODBUS转换"));
    QCOMPARE(page.m_nMode, 7);
}

void TestCTranPage::upDownArrowsStopAtBounds_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("expected");

    QTest::newRow("gap up at 10") << "frameSpace"
                                  << "10" << true << "10";
    QTest::newRow("gap down at 2") << "frameSpace"
                                   << "2" << false << "2";
    QTest::newRow("offset up at 7") << "idOffset"
                                    << "7" << true << "7";
    QTest::newRow("length down at 1") << "idLength"
                                      << "1" << false << "1";
    QTest::newRow("length down inside") << "idLength"
                                        << "3" << false << "2";
    QTest::newRow("typed beyond the top") << "frameSpace"
                                          << "40" << true << "10";
    QTest::newRow("empty") << "idLength"
                           << "" << true << "1";
}

void TestCTranPage::upDownArrowsStopAtBounds()
{
    QFETCH(QString, field);
    QFETCH(QString, start);
    QFETCH(bool, up);
    QFETCH(QString, expected);

    CTranPage page(m_sink);
    page.m_nMode = 1;
    StartUp(page);
    auto* edit = Control<QLineEdit>(page, qPrintable(field + "Edit"));
    auto* arrows = Control<QWidget>(page, qPrintable(field + "UpDown"));
    auto* button = arrows->findChild<QToolButton*>(up ? "upButton" : "downButton");
    QVERIFY(button);

    edit->setText(start);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(edit->text(), expected);

    edit->setText(start);
    QTest::keyClick(edit, up ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(edit->text(), expected);
}

void TestCTranPage::typedValuesAreNotBounded()
{
    CTranPage page(m_sink);
    page.m_nMode = 1;
    StartUp(page);
    const auto retype = [&page](const char* name, const QString& text) {
        auto* edit = Control<QLineEdit>(page, name);
        edit->clear();
        for (const QChar typed : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed, Qt::NoModifier);
    };

    retype("frameSpaceEdit", "25");
    retype("idOffsetEdit", "x-9");
    // Full-width and other scripts' digits are no integers to toInt.
    retype("idLengthEdit", QStringLiteral("\uFF13"
                                          "300\u0663"));
    QVERIFY(page.UpdateData(true));
    QCOMPARE(page.m_nFrameSpace, 25);
    QCOMPARE(page.m_nIdOffset, 9);
    QCOMPARE(page.m_nIdLength, 300);
    QVERIFY(m_sink.m_messages.isEmpty());
}

void TestCTranPage::missingIntegerIsPrompted_data()
{
    QTest::addColumn<QString>("emptied");
    QTest::addColumn<int>("mode");

    QTest::newRow("gap, mode picked again") << "frameSpaceEdit" << 1;
    QTest::newRow("length, mode picked again") << "idLengthEdit" << 1;
    QTest::newRow("gap, to a mode that disables it") << "frameSpaceEdit" << 2;
}

void TestCTranPage::missingIntegerIsPrompted()
{
    QFETCH(QString, emptied);
    QFETCH(int, mode);

    CTranPage page(m_sink);
    page.m_nMode = 1;
    page.m_nFrameSpace = 4;
    page.m_nIdOffset = 3;
    page.m_nIdLength = 2;
    StartUp(page);
    page.show();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    page.ModeList()->setFocus();

    // Everything before the empty edit is taken; it and everything after it
    // keep their previous values, which are written back.
    Control<QLineEdit>(page, "frameSpaceEdit")->setText(QStringLiteral("8"));
    Control<QLineEdit>(page, "idOffsetEdit")->setText(QStringLiteral("6"));
    Control<QLineEdit>(page, "idLengthEdit")->setText(QStringLiteral("1"));
    Control<QCheckBox>(page, "forwardIdCheck")->setChecked(true);
    auto* empty = Control<QLineEdit>(page, qPrintable(emptied));
    empty->clear();
    m_sink.m_messages.clear();

    QVERIFY(Choose(page.ModeList(), mode));
    QCOMPARE(m_sink.m_messages.size(), 1);
    QCOMPARE(m_sink.m_messages.front().caption, QCoreApplication::applicationName());
    QCOMPARE(m_sink.m_messages.front().text, QStringLiteral("Please enter an integer."));
    QCOMPARE(page.m_nMode, mode);
    QCOMPARE(Enabled(page, "frameSpaceEdit"), mode == 1);

    const bool gapFailed = emptied == QLatin1String("frameSpaceEdit");
    QCOMPARE(page.m_nFrameSpace, gapFailed ? 4 : 8);
    QCOMPARE(page.m_bForwardID, gapFailed ? 0 : 1);
    QCOMPARE(page.m_nIdOffset, gapFailed ? 3 : 6);
    QCOMPARE(page.m_nIdLength, 2);
    QCOMPARE(Control<QLineEdit>(page, "frameSpaceEdit")->text(), gapFailed ? "4" : "8");
    QCOMPARE(Control<QLineEdit>(page, "idOffsetEdit")->text(), gapFailed ? "3" : "6");
    QCOMPARE(Control<QLineEdit>(page, "idLengthEdit")->text(), QStringLiteral("2"));

    if (mode == 1) {
        QCOMPARE(QApplication::focusWidget(), empty);
        QCOMPARE(empty->selectedText(), empty->text());
    } else {
        QCOMPARE(QApplication::focusWidget(), page.ModeList());
    }

    empty->clear();
    m_sink.m_messages.clear();
    QVERIFY(!page.UpdateData(true));
    QCOMPARE(m_sink.m_messages.size(), 1);
}

void TestCTranPage::tabOrderAndMnemonics()
{
    CTranPage page(m_sink);
    QCOMPARE(TabStops(page),
             QStringList({"modeList", "directionList", "forwardIdCheck", "forwardInfoCheck",
                          "idOffsetEdit", "idLengthEdit", "frameSpaceEdit"}));
    QCOMPARE(Control<QLabel>(page, "modeLabel")->buddy(), page.ModeList());
    QCOMPARE(Control<QLabel>(page, "directionLabel")->buddy(),
             Control<QWidget>(page, "directionList"));
}

QTEST_MAIN(TestCTranPage)
#include "tst_CTranPage.moc"
