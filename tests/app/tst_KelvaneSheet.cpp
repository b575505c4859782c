#include "CEnglishTexts.h"
#include "CFakePortDetector.h"
#include "CFieldMarks.h"
#include "CKelvaneSheet.h"
#include "CPortAssignDialog.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CSheetProbe.h"
#include "FlowMessages.h"
#include "ModelRows.h"
#include "PortNames.h"
#include "ResourcePicture.h"
#include "SheetLookup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <iterator>

namespace {

QTabWidget* Tabs(CKelvaneSheet& sheet)
{
    return Control<QTabWidget>(sheet, "tabs");
}

// The size of a shown sheet once its first frame and what follows it are done.
QSize SettledSize(CKelvaneSheet& sheet)
{
    QCoreApplication::processEvents();
    sheet.layout()->activate();
    return sheet.size();
}

// Which page each control the Tab key visits lies on, in the order it visits
// them: 0 to 3 for the pages in tab order, -1 for the rest of the window.
QList<int> FocusPages(CKelvaneSheet& sheet)
{
    const QWidget* const pages[] = {&CSheetProbe::TranPage(sheet), &CSheetProbe::SerialPage(sheet),
                                    &CSheetProbe::CanPage(sheet),
                                    &CSheetProbe::CanConfigPage(sheet)};
    QList<int> order;
    for (QWidget* widget = sheet.nextInFocusChain(); widget != &sheet;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        const auto on =
            std::find_if(std::begin(pages), std::end(pages),
                         [widget](const QWidget* page) { return page->isAncestorOf(widget); });
        order.append(on == std::end(pages) ? -1 : int(on - std::begin(pages)));
    }
    return order;
}

} // namespace

class TestKelvaneSheet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsFromProfile_data();
    void startsFromProfile();
    void showsProfileValuesOnPages();
    void startsDisconnectedAndDisabled();
    void showsPictures();
    void switchesPages_data();
    void switchesPages();
    void keepsRemovedPageFields();
    void ignoresEnterAndEscape();
    void closeButtonEndsTheRun();
    void mnemonicsReachTheirControls();
    void assigningAPortWritesOnlyItsEntry();
    void failedPortSaveIsToldAndUndone();
    void sheetFitsTheScreen_data();
    void sheetFitsTheScreen();
    void keepsOneSizeForEveryModel_data();
    void keepsOneSizeForEveryModel();
    void remembersTheTabsSize();
    void marksFollowTheBlocksAWriteSends_data();
    void marksFollowTheBlocksAWriteSends();
};

void TestKelvaneSheet::startsFromProfile_data()
{
    QTest::addColumn<QVariantMap>("profile");
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("portIndex");

    QTest::newRow("empty profile") << QVariantMap{} << 2 << 0;
    QTest::newRow("model A") << QVariantMap{{"Kelvane/DeviceType", 0}} << 0 << 0;
    QTest::newRow("model B on COM8")
        << QVariantMap{{"Kelvane/DeviceType", 1}, {"Kelvane/ConfigPort", 7}} << 1 << 7;
    QTest::newRow("model X on COM3")
        << QVariantMap{{"Kelvane/DeviceType", 2}, {"Kelvane/ConfigPort", 2}} << 2 << 2;
    QTest::newRow("type past the list")
        << QVariantMap{{"Kelvane/DeviceType", 7}, {"Kelvane/ConfigPort", 1}} << 0 << 1;
    QTest::newRow("negative type") << QVariantMap{{"Kelvane/DeviceType", -1}} << 0 << 0;
    QTest::newRow("port past the list")
        << QVariantMap{{"Kelvane/DeviceType", 1}, {"Kelvane/ConfigPort", 12}} << 1 << 0;
    QTest::newRow("no integer") << QVariantMap{{"Kelvane/DeviceType", "X"},
                                               {"Kelvane/ConfigPort", "COM2"}}
                                << 2 << 0;
}

void TestKelvaneSheet::startsFromProfile()
{
    QFETCH(QVariantMap, profile);
    QFETCH(int, deviceType);
    QFETCH(int, portIndex);
    CProfileSandbox::Write(profile);

    CRecordingSink messages;
    CKelvaneSheet sheet(messages);

    QCOMPARE(ConverterModels::DeviceTypeOf(CSheetProbe::Selector(sheet).Model()), deviceType);
    QCOMPARE(CSheetProbe::Selector(sheet).PortIndex(), portIndex);
    QCOMPARE(Control<QComboBox>(sheet, "deviceList")->currentIndex(), deviceType);
    QCOMPARE(Control<QComboBox>(sheet, "portList")->currentIndex(), portIndex);

    QTabWidget* tabs = Tabs(sheet);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(0), &CSheetProbe::TranPage(sheet));
    QCOMPARE(tabs->widget(1), &CSheetProbe::SerialPage(sheet));
    QCOMPARE(tabs->widget(2), CanPageOf(sheet, deviceType));
    QCOMPARE(tabs->tabText(0), QStringLiteral("转换参数"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("串口参数"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("CAN参数"));
    QCOMPARE(tabs->currentIndex(), 0);

    // Every page in the sheet has its window from the start, the CAN page the
    // profile swapped in included; the one swapped out has none.
    QVERIFY(sheet.IsPageOpen(CSheetProbe::TranPage(sheet)));
    QVERIFY(sheet.IsPageOpen(CSheetProbe::SerialPage(sheet)));
    QCOMPARE(sheet.IsPageOpen(CSheetProbe::CanPage(sheet)), deviceType != 2);
    QCOMPARE(sheet.IsPageOpen(CSheetProbe::CanConfigPage(sheet)), deviceType == 2);

    QCOMPARE(CSheetProbe::CanConfigPage(sheet).m_strCanID, QStringLiteral("00000000"));
    QVERIFY(messages.m_messages.isEmpty());
}

void TestKelvaneSheet::showsProfileValuesOnPages()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0},
                            {"Kelvane/TranMode", 1},
                            {"Kelvane/TranSpace", 5},
                            {"Kelvane/SerialBaudrate", 6},
                            {"Kelvane/CanID", "00 00 07 FF"}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);

    QCOMPARE(Control<QComboBox>(CSheetProbe::TranPage(sheet), "modeList")->currentIndex(), 1);
    QCOMPARE(Control<QLineEdit>(CSheetProbe::TranPage(sheet), "frameSpaceEdit")->text(),
             QStringLiteral("5"));
    QCOMPARE(Control<QComboBox>(CSheetProbe::SerialPage(sheet), "baudrateList")->currentIndex(), 6);
    QCOMPARE(Control<QLineEdit>(CSheetProbe::CanPage(sheet), "sendIdEdit")->text(),
             QStringLiteral("00 00 07 FF"));
}

void TestKelvaneSheet::startsDisconnectedAndDisabled()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}, {"Ports/COM2", "/tmp/converter"}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);

    QCOMPARE(sheet.windowTitle(), QStringLiteral("Ostrel-X配置工具V1.01"));
    QVERIFY(sheet.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!sheet.IsConnected());

    const QList<QPair<const char*, QString>> commands{
        {"defaultsButton", QStringLiteral("默认值(&D)")},
        {"readButton", QStringLiteral("读配置(&R)")},
        {"writeButton", QStringLiteral("写配置(&W)")},
        {"exportButton", QStringLiteral("导出(&E)…")},
        {"importButton", QStringLiteral("导入(&O)…")},
    };
    for (const auto& [name, text] : commands) {
        auto* button = Control<QAbstractButton>(sheet, name);
        QCOMPARE(button->text(), text);
        QVERIFY2(!button->isEnabled(), name);
    }
    QCOMPARE(Control<QPushButton>(sheet, "connectButton")->text(), QStringLiteral("连接设备(&C)"));
    QVERIFY(Control<QComboBox>(sheet, "deviceList")->isEnabled());
    QVERIFY(Control<QComboBox>(sheet, "portList")->isEnabled());

    const QStringList models{"Ostrel-A", "Ostrel-B", "Ostrel-X"};
    auto* deviceList = Control<QComboBox>(sheet, "deviceList");
    QCOMPARE(deviceList->count(), models.size());
    for (int index = 0; index < models.size(); ++index)
        QCOMPARE(deviceList->itemText(index), models.at(index));
    auto* portList = Control<QComboBox>(sheet, "portList");
    QCOMPARE(portList->count(), 8);
    for (int index = 0; index < 8; ++index)
        QCOMPARE(portList->itemText(index), QStringLiteral("COM%1").arg(index + 1));
#ifndef Q_OS_WIN
    // Filled once the window's first frame is up, so that asking the system
    // for its ports does not hold the window's first appearance.
    QVERIFY(portList->itemData(1, Qt::ToolTipRole).toString().isEmpty());
    sheet.show();
    QTRY_COMPARE(portList->itemData(0, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyS0"));
    // Named in the profile but not there: the tooltip says why.
    QVERIFY(portList->itemData(1, Qt::ToolTipRole).toString().startsWith("/tmp/converter\n"));
#endif

    for (QWidget* page : {static_cast<QWidget*>(&CSheetProbe::TranPage(sheet)),
                          static_cast<QWidget*>(&CSheetProbe::SerialPage(sheet)),
                          static_cast<QWidget*>(&CSheetProbe::CanPage(sheet))}) {
        QVERIFY(sheet.IsPageOpen(*page));
        QVERIFY2(!page->isEnabled(), qPrintable(page->objectName()));
    }
}

void TestKelvaneSheet::showsPictures()
{
    CProfileSandbox::Write({});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);

    // Given after the first frame.
    sheet.show();
    QTRY_VERIFY(!sheet.windowIcon().isNull());
    const QLabel* banner = Control<QLabel>(sheet, "banner");
    QVERIFY(!banner->pixmap().isNull());
    for (const QLabel* pageIcon : sheet.findChildren<QLabel*>(QStringLiteral("iconLabel")))
        QVERIFY(!pageIcon->pixmap().isNull());
    // A high-density screen gets the banner drawn at twice the size, not the
    // ordinary one scaled up.
    const QString bannerPath = QStringLiteral(":/images/banner.png");
    QCOMPARE(ResourcePicture::Pixmap(bannerPath, 2.0).size(),
             ResourcePicture::Pixmap(bannerPath, 1.0).size() * 2);
    QCOMPARE(ResourcePicture::Pixmap(QStringLiteral(":/icons/page.png"), 2.0).size(),
             QSize(64, 64));
}

void TestKelvaneSheet::switchesPages_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("activeTab");

    QTest::newRow("A to B, first tab") << 0 << 1 << 0;
    QTest::newRow("A to B, CAN tab") << 0 << 1 << 2;
    QTest::newRow("B to X, first tab") << 1 << 2 << 0;
    QTest::newRow("B to X, serial tab") << 1 << 2 << 1;
    QTest::newRow("B to X, CAN tab") << 1 << 2 << 2;
    QTest::newRow("X to A, first tab") << 2 << 0 << 0;
    QTest::newRow("X to A, CAN tab") << 2 << 0 << 2;
    QTest::newRow("X to X") << 2 << 2 << 2;
}

void TestKelvaneSheet::switchesPages()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, activeTab);
    CProfileSandbox::Write({{"Kelvane/DeviceType", from}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    QTabWidget* tabs = Tabs(sheet);
    tabs->setCurrentIndex(activeTab);
    const bool swapped = (from == 2) != (to == 2);

    ChooseDevice(sheet, to);

    QCOMPARE(ConverterModels::DeviceTypeOf(CSheetProbe::Selector(sheet).Model()), to);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), activeTab);
    QCOMPARE(tabs->widget(2), CanPageOf(sheet, to));
    QCOMPARE(tabs->tabText(2), QStringLiteral("CAN参数"));
    QWidget* shownCanPage = CanPageOf(sheet, to);
    QVERIFY(sheet.IsPageOpen(*shownCanPage));
    if (swapped)
        QVERIFY(!sheet.IsPageOpen(*CanPageOf(sheet, from)));
    // Disconnected, so whatever page has a window stays disabled.
    for (int index = 0; index < tabs->count(); ++index) {
        QWidget* page = tabs->widget(index);
        QVERIFY(!sheet.IsPageOpen(*page) || !page->isEnabled());
    }
    QVERIFY(messages.m_messages.isEmpty());
}

void TestKelvaneSheet::keepsRemovedPageFields()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    Tabs(sheet)->setCurrentIndex(2);
    CSheetProbe::CanPage(sheet).m_strSendID = QStringLiteral("00 00 07 FF");
    CSheetProbe::CanPage(sheet).UpdateData(false);

    ChooseDevice(sheet, 2);
    QVERIFY(sheet.IsPageOpen(CSheetProbe::CanConfigPage(sheet)));
    CSheetProbe::CanConfigPage(sheet).m_strCanID = QStringLiteral("1234ABCD");
    CSheetProbe::CanConfigPage(sheet).UpdateData(false);
    ChooseDevice(sheet, 1);

    QVERIFY(sheet.IsPageOpen(CSheetProbe::CanPage(sheet)));
    QCOMPARE(CSheetProbe::CanPage(sheet).m_strSendID, QStringLiteral("00 00 07 FF"));
    QCOMPARE(Control<QLineEdit>(CSheetProbe::CanPage(sheet), "sendIdEdit")->text(),
             QStringLiteral("00 00 07 FF"));
    QCOMPARE(CSheetProbe::CanConfigPage(sheet).m_strCanID, QStringLiteral("1234ABCD"));
}

void TestKelvaneSheet::ignoresEnterAndEscape()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}, {"Ports/COM1", "/nonexistent/tty"}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));

    for (QPushButton* button : sheet.findChildren<QPushButton*>())
        QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->objectName()));
    const QList<QWidget*> focusTargets{
        Control<QPushButton>(sheet, "connectButton"),
        Control<QComboBox>(sheet, "deviceList"),
        Control<QLineEdit>(CSheetProbe::TranPage(sheet), "frameSpaceEdit"),
        &sheet,
    };
    for (QWidget* target : focusTargets) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            target->setFocus();
            QTest::keyClick(target, key);
            QVERIFY2(sheet.isVisible(), qPrintable(target->objectName()));
        }
    }
    QVERIFY(!sheet.IsConnected());
    QVERIFY(messages.m_messages.isEmpty());
    QCOMPARE(sheet.result(), 0);
}

void TestKelvaneSheet::closeButtonEndsTheRun()
{
    CProfileSandbox::Write({});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));

    QVERIFY(sheet.close());
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.result(), int(QDialog::Rejected));
    QVERIFY(messages.m_messages.isEmpty());
}

void TestKelvaneSheet::mnemonicsReachTheirControls()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}, {"Ports/COM1", "/nonexistent/tty"}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));

    QTest::keyClick(&sheet, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), Control<QComboBox>(sheet, "portList"));
    QTest::keyClick(&sheet, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), Control<QComboBox>(sheet, "deviceList"));

    // Alt+C presses the connect button; the port is missing, which tells.
    QTest::keyClick(&sheet, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.constFirst().text, QStringLiteral("当前串口不可用！"));
}

// The dialog offers the detected ports by their stable names; the choice
// becomes the slot's [Ports] entry, counts at once, and the rest of the
// profile is left as it was.
void TestKelvaneSheet::assigningAPortWritesOnlyItsEntry()
{
    CProfileSandbox::Write({{"Kelvane/TranSpace", 7}, {"Ports/COM1", "/dev/ttyUSB9"}});
    const DetectedPort adapter{
        "/dev/ttyUSB0", "USB Serial", "Maker", "A1", "/dev/serial/by-id/usb-Maker-A1", true};
    CPortAssignDialog dialog(QStringLiteral("COM3"), QString(), {adapter});
    auto* list = Control<QListWidget>(dialog, "portList");
    QCOMPARE(list->count(), 1);
    list->setCurrentRow(0);
    QCOMPARE(dialog.Path(), adapter.byIdPath);

    CFakePortDetector detector;
    detector.m_ports = {adapter};
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, detector);
    QCOMPARE(sheet.ResolvePortSlots().at(1).path, adapter.path);
    sheet.AssignPort(2, dialog.Path());
    // The line beside the buttons says where the adapter went.
    QCOMPARE(Control<QLabel>(sheet, "statusLabel")->text(),
             QStringLiteral("/dev/ttyUSB0 从 COM2 移到了 COM3"));
    sheet.AssignPort(0, QString());
    QCOMPARE(Control<QLabel>(sheet, "statusLabel")->text(), QString());
    sheet.AssignPort(PortNames::kPortCount, QStringLiteral("/dev/ttyUSB7"));

    QCOMPARE(sheet.ResolvePortSlots().at(2).path, adapter.byIdPath);
    QCOMPARE(sheet.ResolvePortSlots().at(0).path, QStringLiteral("/dev/ttyS0"));
    // Written off the window's thread, a moment later.
    const QString file = CSheetProbe::Profile(sheet).FileName();
    QTRY_COMPARE(QSettings(file, QSettings::IniFormat).value("Ports/COM3").toString(),
                 adapter.byIdPath);
    QTRY_VERIFY(!QSettings(file, QSettings::IniFormat).contains("Ports/COM1"));
    const QSettings stored(file, QSettings::IniFormat);
    QCOMPARE(stored.value("Kelvane/TranSpace").toInt(), 7);
    QVERIFY(!stored.contains("Ports/COM9"));
    QVERIFY(messages.m_messages.isEmpty());
}

// A port the profile cannot keep is said so, and the list goes back to what
// the profile holds.
void TestKelvaneSheet::failedPortSaveIsToldAndUndone()
{
    CProfileSandbox::Write({{"Ports/COM1", "/dev/ttyUSB9"}});
    const QString path = CProfile().FileName();
    QFile file(path);
    // Every control character is written back as three, past what a start
    // reads: the profile refuses to save it.
    QVERIFY(file.open(QIODevice::Append));
    file.write("[Junk]\nk=" + QByteArray(100 * 1024, '\x01') + "\n");
    file.close();
    CFakePortDetector detector;
    CRecordingSink messages;
    CKelvaneSheet sheet(messages, detector);

    sheet.AssignPort(0, QStringLiteral("/dev/ttyUSB4"));

    QCOMPARE(sheet.ResolvePortSlots().at(0).path, QStringLiteral("/dev/ttyUSB4"));
    QTRY_COMPARE(messages.m_messages.size(), 1);
    QCOMPARE(messages.m_messages.constFirst().text, FlowMessages::PortsNotSaved());
    QCOMPARE(sheet.ResolvePortSlots().at(0).path, QStringLiteral("/dev/ttyUSB9"));
}

void TestKelvaneSheet::sheetFitsTheScreen_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<bool>("english");
    QTest::newRow("Ostrel-A") << 0 << false;
    QTest::newRow("Ostrel-X") << 2 << false;
    QTest::newRow("Ostrel-X, English") << 2 << true;
}

// The test also runs on a 1280x1024 screen at QT_SCALE_FACTOR=2 and 3 and at
// QT_FONT_DPI=400, where the sheet's page is far larger than the screen:
// every button must stay on it.
void TestKelvaneSheet::sheetFitsTheScreen()
{
    QFETCH(int, deviceType);
    QFETCH(bool, english);
    const CEnglishTexts texts(english);
    CProfileSandbox::Write({{"Kelvane/DeviceType", deviceType}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    const QRect screen = sheet.screen()->availableGeometry();
    QVERIFY2(sheet.width() <= screen.width() && sheet.height() <= screen.height(),
             qPrintable(QStringLiteral("%1x%2 on %3x%4")
                            .arg(sheet.width())
                            .arg(sheet.height())
                            .arg(screen.width())
                            .arg(screen.height())));
    // The band and the pages scroll; every button of the command row must be
    // on the window itself.
    QStringList checked;
    for (const QAbstractButton* button : sheet.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&sheet) || button->window() != &sheet ||
            Control<QScrollArea>(sheet, "sheetScroll")->isAncestorOf(button))
            continue;
        const QRect onSheet(button->mapTo(&sheet, QPoint(0, 0)), button->size());
        QVERIFY2(sheet.rect().contains(onSheet), qPrintable(button->objectName()));
        checked << button->objectName();
    }
    checked.sort();
    QCOMPARE(checked, (QStringList{"batchButton", "defaultsButton", "exportButton", "importButton",
                                   "readButton", "verifyButton", "writeButton"}));
}

void TestKelvaneSheet::keepsOneSizeForEveryModel_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

// A window that grew after its first frame, or followed the model's pages,
// would move the buttons under the pointer between two clicks.
void TestKelvaneSheet::keepsOneSizeForEveryModel()
{
    QFETCH(bool, english);
    const CEnglishTexts texts(english);
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}});
    CRecordingSink messages;
    CKelvaneSheet sheet(messages);
    sheet.show();
    // The size the window opens at, before any event: its first frame.
    const QSize opened = sheet.size();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QCoreApplication::processEvents();
    sheet.layout()->activate();
    const auto* read = Control<QPushButton>(sheet, "readButton");
    const QSize size = sheet.size();
    QCOMPARE(size, opened);
    const QPoint place = read->mapTo(&sheet, QPoint());

    for (const int tab : {2, 1, 0}) {
        Tabs(sheet)->setCurrentIndex(tab);
        for (const int deviceType : {2, 1, 0}) {
            ChooseDevice(sheet, deviceType);
            QCoreApplication::processEvents();
            sheet.layout()->activate();
            const QString where = QStringLiteral("tab %1, model %2").arg(tab).arg(deviceType);
            QCOMPARE(sheet.size(), size);
            QVERIFY2(read->mapTo(&sheet, QPoint()) == place, qPrintable(where));
        }
    }
}

// The tabs' size measured at the first start is kept when the window closes;
// a later start takes it and makes only the first page before its first
// frame. A kept size that no longer fits is put right after that frame.
void TestKelvaneSheet::remembersTheTabsSize()
{
    CProfileSandbox::Write({{"Kelvane/DeviceType", 0}});
    CRecordingSink messages;
    QSize fitted;
    QSize window;
    QString fittedFor;
    {
        CKelvaneSheet first(messages);
        fitted = Tabs(first)->minimumSize();
        fittedFor = CSheetProbe::TabsFittedFor(first);
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        window = SettledSize(first);
        QVERIFY(!CProfile().TabsSize(fittedFor).isValid());
        QVERIFY(first.close());
    }
    QCOMPARE(CProfile().TabsSize(fittedFor), fitted);
    {
        CKelvaneSheet later(messages);
        QCOMPARE(Tabs(later)->minimumSize(), fitted);
        QVERIFY(!CSheetProbe::PagesBuilt(later));
        later.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later));
        QTRY_VERIFY(CSheetProbe::PagesBuilt(later));
        QCOMPARE(SettledSize(later), window);
        // Made after the others, the pages' controls still come in tab order,
        // before the tabs and the buttons.
        const QList<int> order = FocusPages(later);
        const QList<int> pages(order.begin() + order.indexOf(0),
                               order.begin() + order.lastIndexOf(3) + 1);
        QVERIFY(std::is_sorted(pages.begin(), pages.end()));
        QVERIFY(!pages.contains(-1));
    }
    {
        CProfile().SaveTabsSize(fitted / 2, fittedFor);
        CKelvaneSheet wrongly(messages);
        QCOMPARE(Tabs(wrongly)->minimumSize(), fitted / 2);
        wrongly.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wrongly));
        QTRY_COMPARE(Tabs(wrongly)->minimumSize(), fitted);
        QTRY_COMPARE(SettledSize(wrongly), window);
    }
    // Another language lays the pages out anew.
    const CEnglishTexts english(true);
    CKelvaneSheet translated(messages);
    QVERIFY(CSheetProbe::TabsFittedFor(translated) != fittedFor);
}

// Changes made to the pages, not the converter.
enum class PageChange
{
    HexWithoutLeadingZero,
    LowerCaseHex,
    FilterOrder,
    FrameSpace,
};

void TestKelvaneSheet::marksFollowTheBlocksAWriteSends_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("change");
    QTest::addColumn<QStringList>("keys");
    // The verify of the command line and the batch sees no difference here.
    QTest::newRow("hex 1 against 01")
        << 0 << int(PageChange::HexWithoutLeadingZero) << QStringList();
    QTest::newRow("lower-case hex") << 0 << int(PageChange::LowerCaseHex) << QStringList();
    QTest::newRow("filter order") << 2 << int(PageChange::FilterOrder) << QStringList();
    QTest::newRow("a gap the converter does not hold")
        << 2 << int(PageChange::FrameSpace) << QStringList{QStringLiteral("TranSpace")};
}

// The marks say what a write would change, found as a verify finds it.
void TestKelvaneSheet::marksFollowTheBlocksAWriteSends()
{
    QFETCH(int, deviceType);
    QFETCH(int, change);
    QFETCH(QStringList, keys);
    Configuration held = Configuration::Defaults(ModelAt(deviceType));
    held.can.m_strBTR[0] = QStringLiteral("01");
    held.armCan.m_filters = {{0, 0x10, 0x10}, {0, 0x100, 0x1FF}};
    Configuration shown = held;
    switch (PageChange(change)) {
    case PageChange::HexWithoutLeadingZero:
        shown.can.m_strBTR[0] = QStringLiteral("1");
        break;
    case PageChange::LowerCaseHex:
        shown.can.m_strAcptMask = QStringLiteral("ff ff ff ff");
        break;
    case PageChange::FilterOrder:
        std::reverse(shown.armCan.m_filters.begin(), shown.armCan.m_filters.end());
        break;
    case PageChange::FrameSpace:
        shown.tran.m_nFrameSpace = 9;
        break;
    }

    QCOMPARE(CFieldMarks::DifferingKeys(shown, held), keys);
}

KELVANE_SANDBOXED_TEST_MAIN(TestKelvaneSheet)
#include "tst_KelvaneSheet.moc"
