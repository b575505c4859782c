#include "ArmCanFields.h"
#include "CArmCanConfig.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CProfileSaver.h"
#include "CanFields.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QtTest>

#include <chrono>
#include <csignal>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fields
{
    TranFields tran;
    SerialFields serial;
    CanFields can;
    ArmCanFields arm;
    ProfileSelection selection;

    void Load(const CProfile& profile)
    {
        selection = profile.Load(can, serial, tran);
        profile.LoadArmCan(arm);
    }
    bool Save(CProfile& profile) const
    {
        const bool saved = profile.Save(can, serial, tran, selection);
        return profile.SaveArmCan(arm) && saved;
    }
    // Every kept value by its key.
    QVariantMap Values() const
    {
        return {{"CanBaudrate", can.m_nBaudrate},
                {"CanBTR0", can.m_strBTR[0]},
                {"CanBTR1", can.m_strBTR[1]},
                {"CanFrameType", can.m_nFrameType},
                {"CanFiterMode", can.m_nFilterMode},
                {"CanID", can.m_strSendID},
                {"CanAcptCode", can.m_strAcptCode},
                {"CanAcptMask", can.m_strAcptMask},
                {"SerialBaudrate", serial.m_nBaudrate},
                {"SerialParity", serial.m_nParity},
                {"SerialDataBit", serial.m_nDataBit},
                {"SerialStopBit", serial.m_nStopBit},
                {"SerialFlowCtrl", serial.m_nFlowCtrl},
                {"SerialMode", serial.m_nLineMode},
                {"TranMode", tran.m_nMode},
                {"TranDir", tran.m_nDirection},
                {"TranSpace", tran.m_nFrameSpace},
                {"TranID", tran.m_bForwardID},
                {"TranInfo", tran.m_bForwardInfo},
                {"TranIdBase", tran.m_nIdOffset},
                {"TranLength", tran.m_nIdLength},
                {"DeviceType", ConverterModels::DeviceTypeOf(selection.model)},
                {"ConfigPort", selection.configPort},
                {"ArmCanBaud", arm.m_dwBtr}};
    }
};

Fields Sentinels()
{
    Fields f;
    f.can.m_nBaudrate = f.can.m_nFrameType = f.can.m_nFilterMode = -99;
    f.can.m_strBTR = {QStringLiteral("x"), QStringLiteral("y")};
    f.can.m_strSendID = f.can.m_strAcptCode = f.can.m_strAcptMask = QStringLiteral("x");
    f.serial = {-99, -99, -99, -99, -99, -99};
    f.tran = {-99, -99, -99, -99, -99, -99, -99};
    f.arm.m_dwBtr = 1;
    f.selection = {ConverterModel::OstrelB, -99};
    return f;
}

QString WriteProfileFile(const QString& name, const QByteArray& contents)
{
    const QString path = CProfile(name).FileName();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return QString();
    return path;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes every write beyond a few bytes fail as on a full disk, for as long as
// it lives.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool IsActive() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void firstStart();
    void roundTrip();
    void restartKeepsTheWholeCanConfiguration();
    void damagedFilterListLoadsEmpty_data();
    void damagedFilterListLoadsEmpty();
    void damagedValues_data();
    void damagedValues();
    void confineSelection();
    void saveKeepsOtherSections();
    void saveBesideOrganizationWideFile();
    void failedSaveKeepsPreviousProfile_data();
    void failedSaveKeepsPreviousProfile();
    void handEditedFileIsSavedClean_data();
    void handEditedFileIsSavedClean();
    void profileThatIsNoFileIsLeftAlone();
    void profileTheToolCannotKeepIsLeftUntouched_data();
    void profileTheToolCannotKeepIsLeftUntouched();
    void saveRemovesWhatAKilledSaveLeft();
    void saverWritesInTheOrderHandedOver();

private:
    std::unique_ptr<CProfileSandbox> m_sandbox;
};

void TestProfile::initTestCase()
{
    m_sandbox = std::make_unique<CProfileSandbox>();
    QVERIFY(m_sandbox->IsValid());
}

void TestProfile::firstStart()
{
    const CProfile named(QStringLiteral("kelvane"));
    QCOMPARE(named.FileName(),
             m_sandbox->Path() + QStringLiteral("/应用程序向导生成的本地应用程序/kelvane.conf"));
    const CProfile byExecutable;
    QCOMPARE(QFileInfo(byExecutable.FileName()).fileName(),
             QCoreApplication::applicationName() + QStringLiteral(".conf"));

    const CProfile profile(CProfileSandbox::UniqueName());
    Fields f = Sentinels();
    f.Load(profile);
    Fields defaults;
    defaults.can.m_strBTR = {QStringLiteral("00"), QStringLiteral("14")};
    QCOMPARE(f.Values(), defaults.Values());
    QCOMPARE(f.selection.model, ConverterModel::OstrelX);
    QCOMPARE(f.arm.m_dwBtr, 0x003AC00Bu);
    QVERIFY(!QFileInfo::exists(profile.FileName()));
}

void TestProfile::roundTrip()
{
    const QString name = CProfileSandbox::UniqueName();
    Fields saved;
    saved.can.m_nBaudrate = 0;
    saved.can.m_strBTR = {QStringLiteral("ab"), QString()};
    saved.can.m_nFrameType = 1;
    saved.can.m_nFilterMode = 0;
    saved.can.m_strSendID = QStringLiteral("1f ff  ff ff");
    saved.can.m_strAcptCode = QStringLiteral("zz, \"quoted\"");
    saved.can.m_strAcptMask = QStringLiteral("@Variant(x)");
    saved.can.m_strAcptCodeDual = {QStringLiteral("12 34"), QStringLiteral("56 78")};
    saved.can.m_bCustomMask = 0;
    saved.serial = {12, 4, 0, 1, 0, -1};
    saved.tran = {2, 2, 10, 1, 1, 7, 4};
    saved.selection = {ConverterModel::OstrelB, 7};
    saved.arm.m_dwBtr = 0xFFFFFFFF;
    {
        CProfile profile(name);
        QVERIFY(saved.Save(profile));
    }

    CProfile profile(name);
    Fields loaded = Sentinels();
    loaded.can.m_strAcptCodeDual = {QStringLiteral("kept"), QStringLiteral("kept")};
    loaded.can.m_bCustomMask = 5;
    loaded.Load(profile);
    QCOMPARE(loaded.Values(), saved.Values());
    QCOMPARE(loaded.can.m_strAcptCodeDual[0], QStringLiteral("kept"));
    QCOMPARE(loaded.can.m_bCustomMask, 5);

    const QByteArray text = ReadFile(profile.FileName());
    QVERIFY(text.startsWith("[Kelvane]\n"));
    QVERIFY(text.contains("\nSerialMode=-1\n"));
    QVERIFY(text.contains("\nConfigPort=7\n"));
    QVERIFY(text.contains("\nArmCanBaud=4294967295\n"));
    QVERIFY(text.contains("\nCanBTR0=ab\n"));
}

// What the X page holds after a read comes back after a restart, shown as
// the page shows a read: filtering ticked, the list, frame type, CAN ID.
void TestProfile::restartKeepsTheWholeCanConfiguration()
{
    const QString name = CProfileSandbox::UniqueName();
    ArmCanFields saved;
    saved.m_strRegister = QStringLiteral("003ac005");
    saved.m_nFrameTypeSel = 1;
    saved.m_strCanID = QStringLiteral("1234abcd");
    saved.m_bFilterEnabled = true;
    saved.m_filters = {
        {0, 0x10, 0x10}, {0, 0x100, 0x2FF}, {1, 0x12345, 0x12345}, {1, 0x20000, 0x2FFFF}};
    CArmCanConfig::CollectIntoBlock(saved);
    CArmCanConfig::FillFromBlock(saved);
    {
        CProfile profile(name);
        QVERIFY(profile.SaveArmCan(saved));
    }

    ArmCanFields loaded;
    CProfile(name).LoadArmCan(loaded);
    const CArmCanConfig::Display display = CArmCanConfig::FillFromBlock(loaded);
    QCOMPARE(loaded.m_dwBtr, 0x3AC005u);
    QCOMPARE(display.registerText, QStringLiteral("003ac005"));
    QCOMPARE(loaded.m_nFrameType, 1);
    QCOMPARE(display.frameTypeSel, 1);
    QCOMPARE(loaded.m_strCanID, QStringLiteral("1234abcd"));
    QVERIFY(display.filterEnabled);
    QCOMPARE(loaded.m_filters, saved.m_filters);
    QCOMPARE(loaded.m_acceptance, saved.m_acceptance);

    // A profile of an earlier version has none of the new keys.
    const QString older = CProfileSandbox::UniqueName();
    QVERIFY(!WriteProfileFile(older, "[Kelvane]\nArmCanBaud=3850242\n").isEmpty());
    ArmCanFields fresh;
    CProfile(older).LoadArmCan(fresh);
    QCOMPARE(fresh.m_dwBtr, 0x3AC002u);
    QCOMPARE(fresh.m_strCanID, QStringLiteral("00000000"));
    QVERIFY(!fresh.m_bFilterEnabled);
    QVERIFY(fresh.m_filters.isEmpty());
    QCOMPARE(fresh.m_acceptance.filterMode, CanAcceptance::kFilteringOff);
}

void TestProfile::damagedFilterListLoadsEmpty_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("no JSON") << QByteArray("Filters=[{");
    QTest::newRow("no array") << QByteArray("Filters=7");
    QTest::newRow("bad kind") << QByteArray(
        R"(Filters="[{\"kind\":9,\"start\":\"0x1\",\"end\":\"0x1\"}]")");
}

void TestProfile::damagedFilterListLoadsEmpty()
{
    QFETCH(QByteArray, line);
    const QString name = CProfileSandbox::UniqueName();
    QVERIFY(!WriteProfileFile(name, "[Kelvane]\nFiltering=1\n" + line + "\n").isEmpty());
    ArmCanFields loaded;
    loaded.m_filters = {{0, 5, 5}};
    CProfile(name).LoadArmCan(loaded);
    QVERIFY(loaded.m_filters.isEmpty());
    QVERIFY(loaded.m_bFilterEnabled);
}

void TestProfile::damagedValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("text for an integer")
        << QByteArray("CanBaudrate=abc") << "CanBaudrate" << QVariant(10);
    QTest::newRow("beyond 32 bits")
        << QByteArray("SerialBaudrate=4294967296") << "SerialBaudrate" << QVariant(4);
    QTest::newRow("list for an integer")
        << QByteArray("TranMode=1, 2") << "TranMode" << QVariant(0);
    QTest::newRow("index out of range kept")
        << QByteArray("CanBaudrate=99") << "CanBaudrate" << QVariant(99);
    QTest::newRow("unsigned view of -1")
        << QByteArray("TranDir=4294967295") << "TranDir" << QVariant(-1);
    QTest::newRow("device type out of range: the first model")
        << QByteArray("DeviceType=7") << "DeviceType" << QVariant(0);
    QTest::newRow("list for a text")
        << QByteArray("CanID=00, 11") << "CanID" << QVariant(QStringLiteral("00 00 00 00"));
    QTest::newRow("bytes for a text") << QByteArray("CanAcptMask=@ByteArray(FF)") << "CanAcptMask"
                                      << QVariant(QStringLiteral("FF FF FF FF"));
    QTest::newRow("register as -1")
        << QByteArray("ArmCanBaud=-1") << "ArmCanBaud" << QVariant(0xFFFFFFFFu);
    QTest::newRow("register junk")
        << QByteArray("ArmCanBaud=0x3ac002") << "ArmCanBaud" << QVariant(0x003AC00Bu);
    QTest::newRow("binary junk") << QByteArray("\x01\xff\xfe=\x80\x00zz\n[\n=\n\\") << "CanBaudrate"
                                 << QVariant(10);
}

void TestProfile::damagedValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, key);
    QFETCH(QVariant, expected);

    const QString name = CProfileSandbox::UniqueName();
    QVERIFY(!WriteProfileFile(name, "[Kelvane]\n" + line + "\n").isEmpty());
    Fields f = Sentinels();
    f.Load(CProfile(name));
    QCOMPARE(f.Values().value(key).toString(), expected.toString());
}

void TestProfile::confineSelection()
{
    QCOMPARE(CProfile::ConfinePortIndex(-1), 0);
    QCOMPARE(CProfile::ConfinePortIndex(7), 7);
    QCOMPARE(CProfile::ConfinePortIndex(8), 0);
}

void TestProfile::saveKeepsOtherSections()
{
    const QString name = CProfileSandbox::UniqueName();
    const QString path = WriteProfileFile(name, "[Ports]\nCOM1=/dev/ttyUSB0\nCOM8=/dev/pts/9\n"
                                                "[Kelvane]\nCanBaudrate=3\nNotOurs=kept\n"
                                                "[Other]\nlist=a, b\n"
                                                "quoted=\"x, y\"\nodd=@Variant(junk)\n");
    QVERIFY(!path.isEmpty());
    CProfile profile(name);
    Fields f;
    f.Load(profile);
    QCOMPARE(f.can.m_nBaudrate, 3);
    f.can.m_nBaudrate = 12;
    QVERIFY(f.Save(profile));

    const QSettings reread(path, QSettings::IniFormat);
    QCOMPARE(reread.value("Ports/COM1").toString(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(reread.value("Ports/COM8").toString(), QStringLiteral("/dev/pts/9"));
    QCOMPARE(reread.value("Kelvane/NotOurs").toString(), QStringLiteral("kept"));
    QCOMPARE(reread.value("Kelvane/CanBaudrate").toInt(), 12);
    QCOMPARE(reread.value("Other/list").toStringList(), QStringList({"a", "b"}));
    QCOMPARE(reread.value("Other/quoted").toString(), QStringLiteral("x, y"));
    QCOMPARE(reread.childGroups(), QStringList({"Kelvane", "Other", "Ports"}));
}

// The store also reads an organisation-wide file beside the application's
// own; its keys never reach the application's file and must not make a
// sound save look incomplete.
void TestProfile::saveBesideOrganizationWideFile()
{
    const QString shared = m_sandbox->Path() + QLatin1Char('/') + CProfile::OrganizationName() +
                           QStringLiteral(".conf");
    {
        QFile file(shared);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("[Shared]\nsetting=1\n") > 0);
    }
    const auto removeShared = qScopeGuard([&shared] { QFile::remove(shared); });
    const QString name = CProfileSandbox::UniqueName();
    Fields saved;
    saved.tran.m_nFrameSpace = 8;
    {
        CProfile profile(name);
        QVERIFY(saved.Save(profile));
    }
    saved.tran.m_nFrameSpace = 9;
    {
        CProfile profile(name);
        QVERIFY(saved.Save(profile));
    }

    Fields loaded;
    loaded.Load(CProfile(name));
    QCOMPARE(loaded.tran.m_nFrameSpace, 9);
}

void TestProfile::failedSaveKeepsPreviousProfile_data()
{
    QTest::addColumn<bool>("readOnlyDirectory");
    QTest::addColumn<bool>("noRoomForABackup");
    QTest::newRow("full disk") << false << false;
    QTest::newRow("full disk, backup name taken") << false << true;
    QTest::newRow("read-only directory") << true << false;
}

void TestProfile::failedSaveKeepsPreviousProfile()
{
    QFETCH(bool, readOnlyDirectory);
    QFETCH(bool, noRoomForABackup);
    if (readOnlyDirectory && ::geteuid() == 0)
        QSKIP("permissions do not bind the super-user");

    const QString name = CProfileSandbox::UniqueName();
    Fields first;
    first.can.m_strSendID = QStringLiteral("00 00 01 23");
    {
        CProfile profile(name);
        QVERIFY(first.Save(profile));
    }
    const QString path = CProfile(name).FileName();
    const QByteArray before = ReadFile(path);
    const QString directory = QFileInfo(path).path();
    const QString backup = path + QStringLiteral(".bak");
    if (noRoomForABackup)
        QVERIFY(QDir().mkdir(backup));
    const auto removeBackup = qScopeGuard([&] {
        if (noRoomForABackup)
            QDir().rmdir(backup);
    });

    Fields second = first;
    second.can.m_strSendID = QString(4000, QLatin1Char('7'));
    {
        CProfile profile(name);
        bool saved = true;
        if (readOnlyDirectory) {
            QVERIFY(QFile::setPermissions(directory, QFile::ReadOwner | QFile::ExeOwner));
            saved = second.Save(profile);
            QFile::setPermissions(directory,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            const CFileSizeLimit limit(before.size() + 100);
            QVERIFY(limit.IsActive());
            saved = second.Save(profile);
        }
        QVERIFY(!saved);
        QCOMPARE(ReadFile(path), before);
        const QString fileName = QFileInfo(path).fileName();
        QCOMPARE(QDir(directory).entryList({fileName + QLatin1Char('*')}, QDir::Files),
                 QStringList{fileName});
        QCOMPARE(QFileInfo(backup).isDir(), noRoomForABackup);

        // Once there is room again the pending values get through.
        QVERIFY(second.Save(profile));
    }
    Fields loaded;
    loaded.Load(CProfile(name));
    QCOMPARE(loaded.can.m_strSendID, second.can.m_strSendID);
}

void TestProfile::handEditedFileIsSavedClean_data()
{
    QTest::addColumn<QByteArray>("damage");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("comment line") << QByteArray("# COM1 is the USB adapter\n");
    QTest::newRow("line without =") << QByteArray("[Ports]\nCOM2\n");
    QTest::newRow("unclosed section header") << QByteArray("[Ports\n");
    QTest::newRow("stray binary bytes") << QByteArray("\x01\xff\xfe\x80\x00zz\n", 8);
}

// The window reads such a file; a save must then give a clean file with the
// new values and the port map, not be refused for ever by its check.
void TestProfile::handEditedFileIsSavedClean()
{
    QFETCH(QByteArray, damage);
    const QString name = CProfileSandbox::UniqueName();
    const QString path = WriteProfileFile(name, damage + "\n[Ports]\nCOM1=/dev/ttyUSB0\n"
                                                         "COM3=/dev/pts/7\n"
                                                         "[Kelvane]\nTranSpace=5\n");
    QVERIFY(!path.isEmpty());
    CProfile profile(name);
    Fields f;
    f.Load(profile);
    QCOMPARE(f.tran.m_nFrameSpace, 5);
    f.tran.m_nFrameSpace = 9;
    f.selection.configPort = 2;
    QVERIFY(f.Save(profile));

    const QSettings reread(path, QSettings::IniFormat);
    QCOMPARE(reread.status(), QSettings::NoError);
    QCOMPARE(reread.value("Ports/COM1").toString(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(reread.value("Ports/COM3").toString(), QStringLiteral("/dev/pts/7"));
    Fields loaded;
    loaded.Load(CProfile(name));
    QCOMPARE(loaded.Values(), f.Values());

    f.tran.m_nFrameSpace = 10;
    QVERIFY(f.Save(profile));
    loaded.Load(CProfile(name));
    QCOMPARE(loaded.tran.m_nFrameSpace, 10);
}

// Opening a FIFO for reading waits for a writer: the window would never appear.
void TestProfile::profileThatIsNoFileIsLeftAlone()
{
    const QString name = CProfileSandbox::UniqueName();
    const QString path = CProfile(name).FileName();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    CProfile profile(name);
    Fields f = Sentinels();
    f.Load(profile);
    Fields defaults;
    defaults.can.m_strBTR = {QStringLiteral("00"), QStringLiteral("14")};
    QCOMPARE(f.Values(), defaults.Values());
    QVERIFY(!f.Save(profile));
    QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
}

void TestProfile::profileTheToolCannotKeepIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("seenAtLoad"); // else only once a save is tried
    // A parse of this would hold the window for seconds, of 50 MB for minutes.
    QTest::newRow("larger than any profile")
        << "[Kelvane]\nTranSpace=9\n[Junk]\n" + QByteArray(2 * 1024 * 1024, 'x') + "=1\n"
        << false << true;
    // Saved back it would name another path.
    QTest::newRow("port entry that is not UTF-8")
        << QByteArray("[Kelvane]\nTranSpace=9\n[Ports]\nCOM1=/dev/serial/by-id/usb-\xe9t\xe9\n")
        << true << true;
    // Every control character is written back as three: the clean file would
    // be one the next start refuses, port map and all.
    QTest::newRow("larger once saved")
        << "[Kelvane]\nTranSpace=9\n[Junk]\nk=" + QByteArray(100 * 1024, '\x01') + "\n"
        << true << false;
}

// Never written, and its values taken only when reading it is cheap.
void TestProfile::profileTheToolCannotKeepIsLeftUntouched()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, read);
    QFETCH(bool, seenAtLoad);
    const QString name = CProfileSandbox::UniqueName();
    const QString path = CProfile(name).FileName();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    file.close();

    CProfile profile(name);
    QCOMPARE(profile.LeftUntouched().has_value(), seenAtLoad);
    Fields f = Sentinels();
    f.Load(profile);
    QCOMPARE(f.tran.m_nFrameSpace, read ? 9 : 2);
    QVERIFY(!f.Save(profile));
    QVERIFY(profile.LeftUntouched().has_value());
    QCOMPARE(profile.LeftUntouched()->unread, !read);
    QVERIFY2(profile.SaveFailure().contains(path), qPrintable(profile.SaveFailure()));
    QVERIFY(!profile.SavePortPath(1, QStringLiteral("/dev/ttyUSB1")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
}

// kill -9 during a save leaves the temporary files beside the profile; the
// next save removes them, and only them.
void TestProfile::saveRemovesWhatAKilledSaveLeft()
{
    const QString name = CProfileSandbox::UniqueName();
    const QString path = CProfile(name).FileName();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    const QStringList left{path + ".Ab3xYz", path + ".Ab3xYz.lock", path + ".Q1w2E3.r4T5y6"};
    const QStringList kept{path + ".bak", path + ".Ab3xY", path + "-old.Ab3xYz"};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    for (const QString& other : left + kept) {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setFileTime(before, QFileDevice::FileModificationTime));
    }

    CProfile profile(name);
    Fields f;
    f.Load(profile);
    QVERIFY(f.Save(profile));
    for (const QString& other : left)
        QVERIFY2(!QFile::exists(other), qPrintable(other));
    for (const QString& other : kept)
        QVERIFY2(QFile::exists(other), qPrintable(other));
}

// Saves handed to the saver land one after another in their order, and the
// one whose end is asked for is told once it is written after all before
// it: none is lost to another writer's view of the file.
void TestProfile::saverWritesInTheOrderHandedOver()
{
    const QString name = CProfileSandbox::UniqueName();
    const QString path = WriteProfileFile(name, "[Kelvane]\nNotOurs=kept\n");
    QVERIFY(!path.isEmpty());
    CProfileSaver saver(name);
    for (int value = 1; value <= 20; ++value) {
        CProfile held = CProfile::Deferred(name);
        Fields f;
        f.Load(held);
        f.tran.m_nFrameSpace = value;
        QVERIFY(f.Save(held));
        saver.Commit(held);
    }
    CProfile port = CProfile::Deferred(name);
    QVERIFY(port.SavePortPath(2, QStringLiteral("/dev/ttyUSB3")));

    std::promise<bool> portLanded;
    saver.Commit(port,
                 [&portLanded](bool written, const QString&) { portLanded.set_value(written); });

    std::future<bool> landed = portLanded.get_future();
    QCOMPARE(landed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    QVERIFY(landed.get());
    QTRY_VERIFY(saver.IsIdle());
    const QSettings reread(path, QSettings::IniFormat);
    QCOMPARE(reread.value("Kelvane/TranSpace").toInt(), 20);
    QCOMPARE(reread.value("Ports/COM3").toString(), QStringLiteral("/dev/ttyUSB3"));
    QCOMPARE(reread.value("Kelvane/NotOurs").toString(), QStringLiteral("kept"));
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_Profile.moc"
