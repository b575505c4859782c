#include "PortNames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPortNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portsMapThroughProfile_data();
    void portsMapThroughProfile();
    void namesAreResolved_data();
    void namesAreResolved();
    void slotsTakeProfileThenAdaptersThenOthers();
    void linksShareTheirDevicesKey();
    void slotsStayPut_data();
    void slotsStayPut();
    void slotNamedAsItsDeviceShowsItOnce();
    void searchTriesAssignedSlotsFirst();

private:
    static PortMap OpenProfile();
};

// The user named devices for COM1 and COM8 (with blanks around it) and
// cleared COM3.
PortMap TestPortNames::OpenProfile()
{
    PortMap portMap;
    portMap.paths[0] = QStringLiteral("/dev/ttyUSB0");
    portMap.paths[7] = QStringLiteral(" /dev/ttyACM1 ");
    return portMap;
}

void TestPortNames::portsMapThroughProfile_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("withProfile");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("path");
    QTest::newRow("mapped") << 0 << true << "COM1"
                            << "/dev/ttyUSB0";
    QTest::newRow("mapped, blanks trimmed") << 7 << true << "COM8"
                                            << "/dev/ttyACM1";
    QTest::newRow("not mapped") << 1 << true << "COM2"
                                << "/dev/ttyS1";
    QTest::newRow("mapped to nothing") << 2 << true << "COM3"
                                       << "/dev/ttyS2";
    QTest::newRow("no profile") << 0 << false << "COM1"
                                << "/dev/ttyS0";
    QTest::newRow("no profile, last") << 7 << false << "COM8"
                                      << "/dev/ttyS7";
    QTest::newRow("below range") << -1 << true << "COM0" << QString();
    QTest::newRow("above range") << 8 << true << "COM9" << QString();
}

void TestPortNames::portsMapThroughProfile()
{
    QFETCH(int, index);
    QFETCH(bool, withProfile);
    QFETCH(QString, display);
    QFETCH(QString, path);
    const auto profile = OpenProfile();
    QCOMPARE(PortNames::DisplayName(index), display);
    QCOMPARE(PortNames::DevicePath(index, withProfile ? profile : PortMap()), path);
}

void TestPortNames::namesAreResolved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("mapped") << "COM1"
                            << "/dev/ttyUSB0";
    QTest::newRow("lower case") << "com1"
                                << "/dev/ttyUSB0";
    QTest::newRow("fallback") << "Com5"
                              << "/dev/ttyS4";
    QTest::newRow("device path") << "/dev/pts/7"
                                 << "/dev/pts/7";
    QTest::newRow("COM0") << "COM0" << QString();
    QTest::newRow("COM9") << "COM9" << QString();
    QTest::newRow("COM10") << "COM10" << QString();
    QTest::newRow("COM") << "COM" << QString();
    QTest::newRow("relative path") << "ttyS0" << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestPortNames::namesAreResolved()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    const auto profile = OpenProfile();
    QCOMPARE(PortNames::ResolvePort(name, profile), path);
}

// Profile entries keep their slots and their devices are not offered twice;
// adapters come first in the order of their by-id names, other ports in
// natural order, the port whose slot is named elsewhere takes the first one
// left, and only the slots left over fall back to /dev/ttyS{n-1}.
void TestPortNames::slotsTakeProfileThenAdaptersThenOthers()
{
    const QList<DetectedPort> detected{
        {"/dev/ttyS10", {}, {}, {}, {}, false},
        {"/dev/ttyS2", {}, {}, {}, {}, false},
        {"/dev/ttyUSB0", "Mapped", {}, {}, {}, true},
        {"/dev/ttyUSB1", "Second", "Maker", "B2", "/dev/serial/by-id/usb-B", true},
        {"/dev/ttyACM0", {}, "Maker", "A1", "/dev/serial/by-id/usb-A", true},
    };
    const auto profile = OpenProfile();
    const QList<PortSlot> portSlots = PortNames::ResolveSlots(profile, detected);

    QStringList paths;
    for (const PortSlot& slot : portSlots)
        paths << slot.path;
    QCOMPARE(paths, (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS2",
                                 "/dev/ttyS10", "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyACM1"}));
    QCOMPARE(portSlots.at(0).source, PortSlot::Source::Profile);
    QCOMPARE(portSlots.at(0).Summary(), QStringLiteral("/dev/ttyUSB0  Mapped"));
    QCOMPARE(portSlots.at(2).Summary(), QStringLiteral("/dev/ttyACM0  Maker"));
    QCOMPARE(portSlots.at(1).Details(),
             QStringLiteral("/dev/ttyUSB1  Second\nB2\n/dev/serial/by-id/usb-B"));
    QCOMPARE(portSlots.at(5).source, PortSlot::Source::Fallback);
    QList<bool> present;
    for (const PortSlot& slot : portSlots)
        present << slot.IsPresent();
    QCOMPARE(present, (QList<bool>{true, true, true, true, true, false, false, false}));
    QCOMPARE(PortNames::ResolvePort(QStringLiteral("COM2"), profile, detected),
             QStringLiteral("/dev/ttyUSB1"));
}

// A by-id name is a link to the device: one key for both, and another
// device keeps its own.
void TestPortNames::linksShareTheirDevicesKey()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    const QString other = dir.filePath(QStringLiteral("ttyUSB1"));
    const QString link = dir.filePath(QStringLiteral("usb-Maker_A1-if00"));
    for (const QString& path : {device, other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(device, link));
    QCOMPARE(PortNames::DeviceKey(link), PortNames::DeviceKey(device));
    QVERIFY(PortNames::DeviceKey(other) != PortNames::DeviceKey(device));
    // A device that is not there (yet) still has a key of its own.
    const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
    QCOMPARE(PortNames::DeviceKey(missing), missing);
}

// Five built-in ports; assigning slots moves only the ports whose own slots
// were assigned, and the change names each of them.
void TestPortNames::slotsStayPut_data()
{
    QTest::addColumn<QStringList>("assigned"); // COM1.. in order, empty for none
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("moves");
    QTest::newRow("nothing assigned")
        << QStringList{} << QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3",
                                        "/dev/ttyS4", "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyS7"}
        << QString();
    QTest::newRow("COM1 assigned")
        << QStringList{"/dev/pts/1"}
        << QStringList{"/dev/pts/1", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3",
                       "/dev/ttyS4", "/dev/ttyS0", "/dev/ttyS6", "/dev/ttyS7"}
        << "/dev/ttyS0 从 COM1 移到了 COM6";
    QTest::newRow("COM1 to COM4 assigned")
        << QStringList{"/dev/pts/1", "/dev/pts/2", "/dev/pts/3", "/dev/pts/4"}
        << QStringList{"/dev/pts/1", "/dev/pts/2", "/dev/pts/3", "/dev/pts/4",
                       "/dev/ttyS4", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"}
        << "/dev/ttyS0 从 COM1 移到了 COM6；/dev/ttyS1 从 COM2 移到了 COM7；"
           "/dev/ttyS2 从 COM3 移到了 COM8；/dev/ttyS3 不再在 COM4 中";
    QTest::newRow("a reported port assigned to another slot")
        << QStringList{{}, {}, "/dev/ttyS0"}
        << QStringList{"/dev/ttyS2", "/dev/ttyS1", "/dev/ttyS0", "/dev/ttyS3",
                       "/dev/ttyS4", "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyS7"}
        << "/dev/ttyS0 从 COM1 移到了 COM3；/dev/ttyS2 从 COM3 移到了 COM1";
}

void TestPortNames::slotsStayPut()
{
    QFETCH(QStringList, assigned);
    QFETCH(QStringList, paths);
    QFETCH(QString, moves);
    QList<DetectedPort> detected;
    for (int number = 4; number >= 0; --number)
        detected.append({QStringLiteral("/dev/ttyS%1").arg(number), {}, {}, {}, {}, false});
    PortMap portMap;
    for (int index = 0; index < int(assigned.size()); ++index)
        portMap.paths.at(std::size_t(index)) = assigned.at(index);

    const QList<PortSlot> before = PortNames::ResolveSlots({}, detected);
    const QList<PortSlot> after = PortNames::ResolveSlots(portMap, detected);
    QStringList resolved;
    for (const PortSlot& slot : after)
        resolved << slot.path;
    QCOMPARE(resolved, paths);
    QCOMPARE(PortNames::DescribeMoves(before, after), moves);
}

// Windows' fallback for COM1 is COM1 itself: the slot shows its device once.
void TestPortNames::slotNamedAsItsDeviceShowsItOnce()
{
    PortSlot slot{0, QStringLiteral("COM1"), PortSlot::Source::Fallback, {}};
    QCOMPARE(slot.ShownDevice(), QString());
    QCOMPARE(slot.Summary(), QString());
    QCOMPARE(slot.Details(), QString());
    slot.device.description = QStringLiteral("USB Serial");
    QCOMPARE(slot.Summary(), slot.device.Label());
    slot.path = QStringLiteral("COM12");
    QCOMPARE(slot.Summary(), "COM12  " + slot.device.Label());
}

// A converter on a slot's named device is found without -p even where the
// system does not report that device; a device both named and reported is
// tried once, under its slot.
void TestPortNames::searchTriesAssignedSlotsFirst()
{
    const QList<DetectedPort> detected{
        {"/dev/ttyS0", {}, {}, {}, {}, false},
        {"/dev/ttyUSB0", {}, {}, {}, "/dev/serial/by-id/usb-A", true},
        {"/dev/ttyS1", {}, {}, {}, {}, false},
    };
    PortMap portMap;
    portMap.paths[4] = QStringLiteral("/dev/pts/3");
    portMap.paths[1] = QStringLiteral("/dev/serial/by-id/usb-A");
    QCOMPARE(PortNames::SearchOrder(portMap, detected),
             (QStringList{"COM2", "COM5", "/dev/ttyS0", "/dev/ttyS1"}));
    QCOMPARE(PortNames::SearchOrder({}, detected),
             (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS1"}));
}

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_PortNames.moc"
