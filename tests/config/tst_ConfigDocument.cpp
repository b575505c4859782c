#include "CConfigComparison.h"
#include "CConfigDocument.h"
#include "CEncodedConfig.h"
#include "CanConfigBlock.h"
#include "ConfigKeys.h"
#include "Configuration.h"
#include "ModelRows.h"
#include "UiLanguage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonObject Object(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

const QStringList kAllKeys{"ArmCanBaud",      "ArmCanID",    "ArmFrameType",    "CanAcptCode",
                           "CanAcptCodeDual", "CanAcptMask", "CanAcptMaskDual", "CanBTR0",
                           "CanBTR1",         "CanBaudrate", "CanFiterMode",    "CanFrameType",
                           "CanID",           "CustomMask",  "DeviceType",      "Filtering",
                           "Filters",         "Format",      "SerialBaudrate",  "SerialDataBit",
                           "SerialFlowCtrl",  "SerialMode",  "SerialParity",    "SerialStopBit",
                           "TranDir",         "TranID",      "TranIdBase",      "TranInfo",
                           "TranLength",      "TranMode",    "TranSpace"};

// Empty when the document was taken.
QString RefusalOf(const QJsonObject& document, Configuration& pages)
{
    return CConfigDocument::Apply(document, pages).value_or(QString());
}

// An untouched configuration of the model the row names.
Configuration Of(int deviceType)
{
    Configuration config;
    config.model = ModelAt(deviceType);
    return config;
}

} // namespace

class TestConfigDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void refusesWhatTheFieldsCannotHold_data();
    void refusesWhatTheFieldsCannotHold();
    void takesValuesInsideTheirKindAsGiven();
    void takesListValuesByTheirTexts_data();
    void takesListValuesByTheirTexts();
    void serialRateListFollowsTheModel();
    void repeatedKeysAreFound_data();
    void repeatedKeysAreFound();
    void documentSurvivesItsOwnOutput_data();
    void documentSurvivesItsOwnOutput();
    void verificationGoesByTheBlocksSent_data();
    void verificationGoesByTheBlocksSent();
    void entriesTheTableLeftOutAreADifference();
};

void TestConfigDocument::refusesWhatTheFieldsCannotHold_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refusal");

    const auto range = [](int min, int max) {
        return QStringLiteral("must be an integer from %1 to %2").arg(min).arg(max);
    };
    const QString fourBytes = QStringLiteral(
        "must be at most 4 hexadecimal byte(s) of one or two digits, separated by blanks");
    const QString idForm = QStringLiteral("must be \"0x\" and 1 to 8 hexadecimal digits");
    QTest::newRow("unknown key") << QByteArray(R"({"CanBaudRate": 10})")
                                 << "unknown key \"CanBaudRate\"";
    QTest::newRow("integer as text")
        << QByteArray(R"({"SerialParity": "0"})")
        << "\"SerialParity\" " + range(0, 4) + ", or one of: None, Odd, Even, Space (0), Mark (1)";
    QTest::newRow("text of another list")
        << QByteArray(R"({"SerialBaudrate": "250 K"})")
        << "\"SerialBaudrate\" " + range(0, 12) +
               ", or one of: 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, "
               "230400, 460800, 921600";
    QTest::newRow("fraction") << QByteArray(R"({"TranSpace": 2.5})")
                              << "\"TranSpace\" " + range(0, 255);
    QTest::newRow("beyond 32 bits")
        << QByteArray(R"({"CanBaudrate": 2147483648})") << "\"CanBaudrate\" " + range(0, 15);
    QTest::newRow("list index past its list")
        << QByteArray(R"({"CanBaudrate": 99})") << "\"CanBaudrate\" " + range(0, 15);
    QTest::newRow("no selection") << QByteArray(R"({"SerialMode": -1})")
                                  << "\"SerialMode\" " + range(0, 2);
    QTest::newRow("byte above 255")
        << QByteArray(R"({"TranSpace": 300})") << "\"TranSpace\" " + range(0, 255);
    QTest::newRow("negative byte")
        << QByteArray(R"({"TranLength": -5})") << "\"TranLength\" " + range(0, 255);
    QTest::newRow("frame type 5") << QByteArray(R"({"CanFrameType": 5})")
                                  << "\"CanFrameType\" " + range(0, 1);
    QTest::newRow("Ostrel-X frame type 5")
        << QByteArray(R"({"ArmFrameType": 5})") << "\"ArmFrameType\" " + range(0, 1);
    QTest::newRow("check box 2") << QByteArray(R"({"TranID": 2})") << "\"TranID\" " + range(0, 1);
    QTest::newRow("not hex") << QByteArray(R"({"CanID": "zz"})") << "\"CanID\" " + fourBytes;
    QTest::newRow("words") << QByteArray(R"({"CanAcptMask": "hello world"})")
                           << "\"CanAcptMask\" " + fourBytes;
    QTest::newRow("three digits in a byte")
        << QByteArray(R"({"CanAcptCode": "1FF"})") << "\"CanAcptCode\" " + fourBytes;
    QTest::newRow("seven groups") << QByteArray(R"({"CanID": "1 2 3 4 5 6 7"})")
                                  << "\"CanID\" " + fourBytes;
    QTest::newRow("two bytes in a register")
        << QByteArray(R"({"CanBTR1": "1C 00"})")
        << "\"CanBTR1\" must be at most 1 hexadecimal byte(s) of one or two digits, separated "
           "by blanks";
    QTest::newRow("dual half of three bytes")
        << QByteArray(R"({"CanAcptMaskDual": ["FF FF", "FF FF FF"]})")
        << "\"CanAcptMaskDual[1]\" must be at most 2 hexadecimal byte(s) of one or two digits, "
           "separated by blanks";
    QTest::newRow("range ending below its start")
        << QByteArray(R"({"Filters": [{"kind": 1, "start": "0x300", "end": "0x200"}]})")
        << "\"Filters[0].end\" must be above \"start\" for a range";
    // The filter editor refuses it too: "起始ID必须小于结束ID！".
    QTest::newRow("range of one identifier")
        << QByteArray(R"({"Filters": [{"kind": 3, "start": "0x300", "end": "0x300"}]})")
        << "\"Filters[0].end\" must be above \"start\" for a range";
    QTest::newRow("text as number")
        << QByteArray(R"({"CanBTR0": 1})") << "\"CanBTR0\" must be a text";
    QTest::newRow("one dual half") << QByteArray(R"({"CanAcptCodeDual": ["00 00"]})")
                                   << "\"CanAcptCodeDual\" must be an array of two texts";
    QTest::newRow("custom mask 2")
        << QByteArray(R"({"CustomMask": 2})") << "\"CustomMask\" must be an integer from 0 to 1";
    QTest::newRow("negative register") << QByteArray(R"({"ArmCanBaud": -1})")
                                       << "\"ArmCanBaud\" must be an integer from 0 to 4294967295";
    QTest::newRow("filtering as integer")
        << QByteArray(R"({"Filtering": 1})") << "\"Filtering\" must be true or false";
    QTest::newRow("filters not a list")
        << QByteArray(R"({"Filters": {}})") << "\"Filters\" must be an array";
    QTest::newRow("filter not an object")
        << QByteArray(R"({"Filters": [[0, "0x1", "0x1"]]})")
        << "\"Filters[0]\" must be an object with \"kind\", \"start\" and \"end\"";
    QTest::newRow("kind 4") << QByteArray(
                                   R"({"Filters": [{"kind": 0, "start": "0x1", "end": "0x1"},
                        {"kind": 4, "start": "0x1", "end": "0x1"}]})")
                            << "\"Filters[1].kind\" must be an integer from 0 to 3";
    QTest::newRow("single kind with two ids")
        << QByteArray(R"({"Filters": [{"kind": 2, "start": "0x10", "end": "0x11"}]})")
        << "\"Filters[0].end\" must equal \"start\" for a single identifier";
    QTest::newRow("missing end") << QByteArray(R"({"Filters": [{"kind": 1, "start": "0x10"}]})")
                                 << "\"Filters[0].end\" " + idForm;
    QTest::newRow("no prefix") << QByteArray(
                                      R"({"Filters": [{"kind": 0, "start": "10", "end": "10"}]})")
                               << "\"Filters[0].start\" " + idForm;
    QTest::newRow("nine digits")
        << QByteArray(R"({"Filters": [{"kind": 3, "start": "0x1", "end": "0x100000000"}]})")
        << "\"Filters[0].end\" " + idForm;
    QTest::newRow("sign") << QByteArray(
                                 R"({"Filters": [{"kind": 0, "start": "0x-1", "end": "0x-1"}]})")
                          << "\"Filters[0].start\" " + idForm;
    QTest::newRow("not hex")
        << QByteArray(R"({"Filters": [{"kind": 0, "start": "0x12g", "end": "0x12g"}]})")
        << "\"Filters[0].start\" " + idForm;
    QTest::newRow("unknown filter key")
        << QByteArray(R"({"Filters": [{"kind": 0, "start": "0x1", "end": "0x1", "note": ""}]})")
        << "unknown key \"Filters[0].note\"";
    QTest::newRow("other device type")
        << QByteArray(R"({"DeviceType": 0})")
        << "\"DeviceType\" is 0 (Ostrel-A), but the device given is Ostrel-X";
    QTest::newRow("later format") << QByteArray(R"({"Format": "kelvane-config/2"})")
                                  << "\"Format\" must be \"kelvane-config/1\"";
    QTest::newRow("format as number")
        << QByteArray(R"({"Format": 1})") << "\"Format\" must be \"kelvane-config/1\"";
    QTest::newRow("no such device type")
        << QByteArray(R"({"DeviceType": 3})") << "\"DeviceType\" must be an integer from 0 to 2";
}

void TestConfigDocument::refusesWhatTheFieldsCannotHold()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, refusal);
    QJsonParseError error{};
    const QJsonObject document = QJsonDocument::fromJson(json, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    Configuration pages = Of(2);
    QCOMPARE(RefusalOf(document, pages), refusal);
}

void TestConfigDocument::takesValuesInsideTheirKindAsGiven()
{
    Configuration pages = Of(2);
    pages.tran.m_nFrameSpace = 7;
    const QJsonObject document = Object(R"({
        "Format": "kelvane-config/1", "DeviceType": 2, "CanBaudrate": 15, "SerialMode": 2,
        "CanBTR0": "f", "CanID": "", "CanAcptCode": "1 02  3 ff", "TranIdBase": 255,
        "ArmFrameType": 1, "ArmCanBaud": 4294967295, "CustomMask": 0, "Filtering": true,
        "Filters": [{"kind": 2, "start": "0x1ABCDEF0", "end": "0x1abcdef0"},
                    {"kind": 0, "start": "0x300", "end": "0x300"},
                    {"kind": 3, "start": "0x0", "end": "0xFFFFFFFF"},
                    {"kind": 2, "start": "0x1abcdef0", "end": "0x1abcdef0"}]})");

    QCOMPARE(RefusalOf(document, pages), QString());

    QCOMPARE(pages.can.m_nBaudrate, 15);
    QCOMPARE(pages.serial.m_nLineMode, 2);
    QCOMPARE(pages.can.m_strBTR[0], QStringLiteral("f"));
    QCOMPARE(pages.can.m_strSendID, QString());
    QCOMPARE(pages.can.m_strAcptCode, QStringLiteral("1 02  3 ff"));
    QCOMPARE(pages.tran.m_nIdOffset, 255);
    QCOMPARE(pages.can.m_bCustomMask, 0);
    QCOMPARE(pages.tran.m_nFrameSpace, 7);
    const ArmCanFields& arm = pages.armCan;
    QCOMPARE(arm.m_nFrameTypeSel, 1);
    QCOMPARE(arm.m_dwBtr, 0xFFFFFFFFu);
    QCOMPARE(arm.m_strRegister, QStringLiteral("ffffffff"));
    QVERIFY(arm.m_bFilterEnabled);
    const QList<FilterEntry> entries{
        {1, 0x1ABCDEF0, 0x1ABCDEF0}, {0, 0x300, 0x300}, {1, 0, 0xFFFFFFFF}};
    QCOMPARE(arm.m_filters, entries);
}

void TestConfigDocument::takesListValuesByTheirTexts_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("position"); // -1: refused
    QTest::newRow("bit rate") << 0 << QByteArray(R"({"SerialBaudrate": "115200"})")
                              << "SerialBaudrate" << 9;
    QTest::newRow("Ostrel-X's own bit rate")
        << 2 << QByteArray(R"({"SerialBaudrate": "921600"})") << "SerialBaudrate" << 12;
    QTest::newRow("Ostrel-X's bit rate elsewhere")
        << 1 << QByteArray(R"({"SerialBaudrate": "921600"})") << "SerialBaudrate" << -1;
    QTest::newRow("CAN rate as shown")
        << 0 << QByteArray(R"({"CanBaudrate": "250 K"})") << "CanBaudrate" << 10;
    QTest::newRow("CAN rate without the blank")
        << 0 << QByteArray(R"({"CanBaudrate": "250k"})") << "CanBaudrate" << 10;
    QTest::newRow("the user's language")
        << 0 << QByteArray(R"({"SerialParity": "Even"})") << "SerialParity" << 2;
    QTest::newRow("the tool's own language")
        << 0 << QByteArray(R"({"SerialParity": "偶校验"})") << "SerialParity" << 2;
    QTest::newRow("third mode of the classic models")
        << 1 << QByteArray(R"({"TranMode": "MODBUS转换"})") << "TranMode" << 2;
    QTest::newRow("no list") << 0 << QByteArray(R"({"TranSpace": "5"})") << "TranSpace" << -1;
}

// A list's value may be named as the window's list shows it, in either
// language, blanks and letter case aside.
void TestConfigDocument::takesListValuesByTheirTexts()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, json);
    QFETCH(QString, key);
    QFETCH(int, position);
    Configuration pages = Of(deviceType);

    const QString refusal = RefusalOf(Object(json), pages);

    QCOMPARE(refusal.isEmpty(), position >= 0);
    if (position >= 0) {
        const ConfigKey* entry = ConfigKeys::Find(key);
        QVERIFY(entry != nullptr);
        QCOMPARE(entry->get(pages).toInt(), position);
    }
}

// Thirteen serial bit rates for the Ostrel-X, ten for the others.
void TestConfigDocument::serialRateListFollowsTheModel()
{
    const QJsonObject document = Object(R"({"SerialBaudrate": 12})");
    Configuration ostrelX = Of(2);
    QCOMPARE(RefusalOf(document, ostrelX), QString());
    Configuration ostrelB = Of(1);
    QCOMPARE(RefusalOf(document, ostrelB),
             QStringLiteral("\"SerialBaudrate\" must be an integer from 0 to 9"));
}

void TestConfigDocument::repeatedKeysAreFound_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refusal");

    const QString twice = QStringLiteral(" appears more than once in one object");
    QTest::newRow("top level") << QByteArray(R"({"TranMode": 1, "TranDir": 0, "TranMode": 2})")
                               << "\"TranMode\"" + twice;
    QTest::newRow("spelt with an escape")
        << QByteArray(R"({"TranMode": 1, "Tran\u004dode": 2})") << "\"TranMode\"" + twice;
    QTest::newRow("inside a filter entry")
        << QByteArray(R"({"Filters": [{"kind": 0, "start": "0x1", "kind": 0}]})")
        << "\"kind\"" + twice;
    QTest::newRow("same key in two entries")
        << QByteArray(R"({"Filters": [{"kind": 0}, {"kind": 1}], "x": {"kind": "kind"}})")
        << QString();
    QTest::newRow("key text in a value")
        << QByteArray(R"({"CanID": "CanID", "a\"b": ["CanID", {"CanID": 1}]})") << QString();
}

void TestConfigDocument::repeatedKeysAreFound()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, refusal);
    QVERIFY(!QJsonDocument::fromJson(json).isNull());
    QCOMPARE(CConfigDocument::FindRepeatedKey(json).value_or(QString()), refusal);
}

void TestConfigDocument::documentSurvivesItsOwnOutput_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("A") << 0;
    QTest::newRow("X") << 2;
}

void TestConfigDocument::documentSurvivesItsOwnOutput()
{
    QFETCH(int, deviceType);
    Configuration pages = Of(deviceType);
    pages.tran = {1, 2, 5, 1, 0, 3, 2};
    pages.serial = {9, 2, 2, 1, 0, 1};
    CanFields& can = pages.can;
    can.m_strBTR = {QStringLiteral("04"), QStringLiteral("1c")};
    can.m_strAcptCodeDual = {QStringLiteral("12 34"), QStringLiteral("56 78")};
    can.m_bCustomMask = 1;
    ArmCanFields& arm = pages.armCan;
    arm.m_strCanID = QStringLiteral("0000012a");
    arm.m_dwBtr = 0x80000001;
    arm.m_nFrameType = 1;
    arm.m_bFilterEnabled = true;
    arm.m_filters = {{0, 0x10, 0x10}, {0, 0x100, 0x1FF}, {1, 0x12345, 0x12345}, {1, 5, 9}};

    const QJsonObject json = CConfigDocument::ToJson(pages);
    QCOMPARE(json.keys(), kAllKeys);
    const QJsonArray filters = json.value(QLatin1String("Filters")).toArray();
    QCOMPARE(filters.size(), 4);
    QCOMPARE(filters.at(1).toObject(), Object(R"({"kind": 1, "start": "0x00000100",
                                                  "end": "0x000001ff"})"));
    QCOMPARE(filters.at(2).toObject().value(QLatin1String("kind")).toInt(), 2);

    Configuration copy = Of(deviceType);
    QCOMPARE(RefusalOf(json, copy), QString());
    QCOMPARE(CConfigDocument::ToJson(copy), json);
}

void TestConfigDocument::verificationGoesByTheBlocksSent_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("parameterByte"); // -1: the parameter block as sent
    QTest::addColumn<int>("canConfigByte"); // -1: the CAN configuration block as sent
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("A: the CAN configuration block is never sent") << 0 << -1 << 0 << QStringList();
    QTest::newRow("A: data bits, which no key holds")
        << 0 << 1 << -1 << QStringList{"parameter block byte 1: expected \"0x08\" got \"0x09\""};
    QTest::newRow("X: the gap") << 2 << 18 << -1 << QStringList{"TranSpace: expected 2 got 3"};
    QTest::newRow("X: the register")
        << 2 << -1 << 0
        << QStringList{"ArmCanBaud: expected 3850251 (125K, 75%) got 3850252 (115.385K, 75%)"};
}

void TestConfigDocument::verificationGoesByTheBlocksSent()
{
    QFETCH(int, deviceType);
    QFETCH(int, parameterByte);
    QFETCH(int, canConfigByte);
    QFETCH(QStringList, lines);
    Configuration pages = Configuration::Defaults(ModelAt(deviceType));
    const CEncodedConfig sent = CEncodedConfig::From(pages);
    QByteArray parameterBlock = sent.ParameterBlock();
    QByteArray canConfigBlock =
        deviceType == 2 ? sent.CanConfigBlock() : CanConfigBlock().toBytes();
    if (parameterByte >= 0)
        parameterBlock[parameterByte] = char(parameterBlock.at(parameterByte) + 1);
    if (canConfigByte >= 0)
        canConfigBlock[canConfigByte] = char(canConfigBlock.at(canConfigByte) + 1);

    QStringList found;
    for (const KeyDifference& difference :
         CConfigComparison::Compare(ModelAt(deviceType), sent, parameterBlock, canConfigBlock))
        found.append(difference.Line());
    QCOMPARE(found, lines);
}

// The refusals are read in English here, as a script in English reads them;
// the Chinese texts are the window's and the command line's tests'.
// Pages holding more entries than the table (a damaged profile's) send a
// table without some of them: a verify of the blocks sent says so, though
// the converter holds exactly those blocks.
void TestConfigDocument::entriesTheTableLeftOutAreADifference()
{
    Configuration pages = Configuration::Defaults(ConverterModel::OstrelX);
    pages.armCan.m_bFilterEnabled = true;
    for (quint32 id = 0; id < 1024; ++id)
        pages.armCan.m_filters.append(FilterEntry{1, 0x10000 + id, 0x10000 + id});
    const CEncodedConfig encoded = CEncodedConfig::From(pages);

    const QList<KeyDifference> differences = CConfigComparison::Compare(
        ConverterModel::OstrelX, encoded, encoded.ParameterBlock(), encoded.CanConfigBlock());

    QCOMPARE(differences.size(), 1);
    QCOMPARE(differences.constFirst().Line(), QStringLiteral("Filters: expected 1024 got 512"));
}

void TestConfigDocument::initTestCase()
{
    UiLanguage::Install(*QCoreApplication::instance(), QLocale(QStringLiteral("en_US")));
}

QTEST_GUILESS_MAIN(TestConfigDocument)
#include "tst_ConfigDocument.moc"
