// The Windows naming of the ports, built here from its own source: it needs
// nothing of Windows but the names.
#include "PortNames.h"

#include <QTest>

class TestPortNamesWin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesReadAsComNames_data();
    void namesReadAsComNames();
    void slotsShowComNames();
    void namesOfOneDeviceShareAKey_data();
    void namesOfOneDeviceShareAKey();

private:
    static PortMap Assigned();
};

// COM1 and COM2 named in the device namespace, as a hand-edited profile may.
PortMap TestPortNamesWin::Assigned()
{
    PortMap portMap;
    portMap.paths[0] = QStringLiteral("\\\\.\\com12");
    portMap.paths[1] = QStringLiteral(" \\\\.\\CNCA0 ");
    return portMap;
}

void TestPortNamesWin::namesReadAsComNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("port");
    QTest::newRow("slot mapped in the device namespace") << "COM1"
                                                         << "COM12";
    QTest::newRow("slot mapped to another driver's port") << "com2"
                                                          << "CNCA0";
    QTest::newRow("slot of its own number") << "COM5"
                                            << "COM5";
    QTest::newRow("beyond the slots") << "com12"
                                      << "COM12";
    QTest::newRow("device namespace") << "\\\\.\\COM12"
                                      << "COM12";
    QTest::newRow("device namespace, lower case") << "\\\\.\\com3"
                                                  << "COM3";
    QTest::newRow("not a port") << "ttyS0" << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestPortNamesWin::namesReadAsComNames()
{
    QFETCH(QString, name);
    QFETCH(QString, port);
    QCOMPARE(PortNames::ResolvePort(name, Assigned()), port);
    QVERIFY(!PortNames::NeedsDetectedPorts(name, Assigned()));
}

// The ports the system reports take the slots left by the profile, a port
// named twice only once, and the rest fall back to their own COM numbers.
void TestPortNamesWin::slotsShowComNames()
{
    const QList<DetectedPort> detected{
        {"COM1", "Communications Port (COM1)", {}, {}, {}, false},
        {"COM12", "USB Serial Port (COM12)", "FTDI", "A50285BI", {}, true},
        {"COM7", "USB-SERIAL CH340 (COM7)", {}, {}, {}, true},
    };
    const QList<PortSlot> portSlots = PortNames::ResolveSlots(Assigned(), detected);
    QStringList paths;
    for (const PortSlot& slot : portSlots)
        paths << slot.path;
    // COM7 would have been COM1's: COM1 is named for COM12, so COM7 takes the
    // first slot left free, and the built-in COM1 keeps the third.
    QCOMPARE(paths,
             (QStringList{"COM12", "CNCA0", "COM1", "COM7", "COM5", "COM6", "COM7", "COM8"}));
    QCOMPARE(portSlots.at(0).Summary(), QStringLiteral("COM12  USB Serial Port (COM12)"));
    QVERIFY(portSlots.at(0).IsPresent());
    QCOMPARE(portSlots.at(2).Details(), QStringLiteral("COM1  Communications Port (COM1)"));
    QVERIFY(!portSlots.at(4).IsPresent());
    // A slot whose device is its own name shows it once.
    QCOMPARE(portSlots.at(4).Summary(), QString());
}

void TestPortNamesWin::namesOfOneDeviceShareAKey_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("case and device namespace") << "com3"
                                               << "\\\\.\\COM3" << true;
    QTest::newRow("blanks") << " COM3 "
                            << "com3" << true;
    QTest::newRow("other driver's port") << "\\\\.\\cnca0"
                                         << "CNCA0" << true;
    QTest::newRow("other number") << "COM3"
                                  << "COM13" << false;
}

void TestPortNamesWin::namesOfOneDeviceShareAKey()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    QCOMPARE(PortNames::DeviceKey(first) == PortNames::DeviceKey(second), same);
}

QTEST_GUILESS_MAIN(TestPortNamesWin)
#include "tst_PortNamesWin.moc"
