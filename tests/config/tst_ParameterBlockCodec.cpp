#include "BlockSizes.h"
#include "CFrameProtocol.h"
#include "CanIdCheck.h"
#include "CanPageRules.h"
#include "Configuration.h"
#include "HexText.h"
#include "ModelRows.h"
#include "ParameterBlockCodec.h"
#include "ParameterDefaults.h"

#include <QtTest>

namespace {

// A configuration coded as the model the row names.
struct Fields : Configuration
{
    ParameterBlockEncoding Encode(int deviceType) const
    {
        Configuration config = *this;
        config.model = ModelAt(deviceType);
        return EncodeParameterBlock(config);
    }
    bool Decode(int deviceType, const QByteArray& block)
    {
        model = ModelAt(deviceType);
        return DecodeParameterBlock(block, *this);
    }
};

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Offsets below count from the frame's first header byte, as the converter's
// documentation does.
QByteArray Frame(const QByteArray& block)
{
    return CFrameProtocol::BuildFrame(0x01, block);
}

// Every field holds a value none of the others holds, so a byte written at
// the wrong offset shows.
Fields DistinctFields()
{
    Fields f;
    f.serial.m_nBaudrate = 2;
    f.serial.m_nDataBit = 1;
    f.serial.m_nStopBit = 1;
    f.serial.m_nParity = 3;
    f.serial.m_nLineMode = 2;
    f.can.m_nBaudrate = 0;
    f.can.m_strBTR = {QStringLiteral("5a"), QStringLiteral("C3")};
    f.can.m_nFrameType = 0;
    f.can.m_nFilterMode = 1;
    f.can.m_strSendID = QStringLiteral("00 00 01 02");
    f.can.m_strAcptCode = QStringLiteral("00 00 00 04");
    f.can.m_strAcptMask = QStringLiteral("00 00 00 00");
    f.tran.m_nMode = 2;
    f.tran.m_nDirection = 1;
    f.tran.m_nFrameSpace = 9;
    f.tran.m_bForwardInfo = 1;
    f.tran.m_bForwardID = 0;
    f.tran.m_nIdLength = 4;
    f.tran.m_nIdOffset = 7;
    f.armCan.m_strCanID = QStringLiteral("0000071a");
    f.armCan.m_nFrameTypeSel = 0;
    return f;
}

} // namespace

class TestParameterBlockCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseHexText_data();
    void parseHexText();
    void formatHexText();

    void defaultsFrame();
    void encodeWholeBlock_data();
    void encodeWholeBlock();
    void singleByteCodes_data();
    void singleByteCodes();

    void acceptanceAndIdentifier_data();
    void acceptanceAndIdentifier();

    void armIdentifier_data();
    void armIdentifier();
    void checkCanId_data();
    void checkCanId();

    void decodeLeavesForeignFields_data();
    void decodeLeavesForeignFields();
    void decodeOutOfRangeCodes();
    void decodeRefusesWrongSize();

    void canPageRules();
};

void TestParameterBlockCodec::parseHexText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("groups");
    QTest::addColumn<quint32>("value");

    QTest::newRow("four groups") << "00 00 07 FF" << 4 << 0x7FFu;
    QTest::newRow("lower case") << "1f ff ff ff" << 4 << 0x1FFFFFFFu;
    QTest::newRow("extra blanks and tabs") << "  12\t 34   56 78 " << 4 << 0x12345678u;
    QTest::newRow("no separators") << "12345678" << 4 << 0x12345678u;
    QTest::newRow("odd digit count") << "123" << 4 << 0x12030000u;
    QTest::newRow("missing groups") << "12 34" << 4 << 0x12340000u;
    QTest::newRow("empty") << "" << 4 << 0u;
    QTest::newRow("no digits") << "zz" << 4 << 0u;
    QTest::newRow("junk after a group") << "12 zz 34 56" << 4 << 0x12000000u;
    QTest::newRow("pasted prefix") << "0x12" << 4 << 0u;
    QTest::newRow("non-ASCII") << "１２ 34" << 4 << 0u;
    QTest::newRow("groups beyond the form") << "11 22 33 44 55" << 4 << 0x11223344u;
    QTest::newRow("two groups") << "07 ff" << 2 << 0x07FFu;
    QTest::newRow("one group") << "1c" << 1 << 0x1Cu;
}

void TestParameterBlockCodec::parseHexText()
{
    QFETCH(QString, text);
    QFETCH(int, groups);
    QFETCH(quint32, value);
    QCOMPARE(HexText::Parse(text, groups), value);
}

void TestParameterBlockCodec::formatHexText()
{
    QCOMPARE(HexText::Format(0x7FF, 4), QStringLiteral("00 00 07 FF"));
    QCOMPARE(HexText::Format(0xABCD, 2), QStringLiteral("AB CD"));
    QCOMPARE(HexText::Format(0x0C, 1), QStringLiteral("0C"));
    QCOMPARE(HexText::FormatCompact(0x1FFFFFFF, 4), QStringLiteral("1FFFFFFF"));
}

void TestParameterBlockCodec::defaultsFrame()
{
    Fields f;
    f.can.m_nBaudrate = 3;
    f.can.m_strAcptCodeDual = {QStringLiteral("12 34"), QStringLiteral("56 78")};
    ApplyParameterDefaults(f.tran, f.serial, f.can);
    CanPageRules::RefreshFields(f.can);

    const ParameterBlockEncoding encoding = f.Encode(0);
    QVERIFY(encoding.Accepted());
    QVERIFY(encoding.canIdCheck.messages.isEmpty());
    QCOMPARE(CFrameProtocol::BuildFrame(0x01, encoding.block),
             Hex("F7 F8 01 1C 06 08 01 00 0A 01 1C 01 00 00 00 00 FF FF FF FF 01 00 02 00 00 00 "
                 "00 00 00 00 01 00 09"));
    QCOMPARE(f.can.m_strAcptCodeDual[0], QStringLiteral("12 34"));
}

void TestParameterBlockCodec::encodeWholeBlock_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QByteArray>("block");

    // Types 0 and 1 send fixed data and stop bits and the filter mode at 11;
    // type 2 sends the list indices, the line mode and the raw identifier.
    const QByteArray typesAB = Hex("08 08 01 03 00 5A C3 01 00 80 00 00 00 1F FF FF 03 01 09 01 "
                                   "00 00 20 40 00 00 04 07");
    QTest::newRow("type 0") << 0 << typesAB;
    QTest::newRow("type 1") << 1 << typesAB;
    QTest::newRow("type 2") << 2
                            << Hex("03 01 01 03 00 5A C3 03 00 80 00 00 00 1F FF FF 03 01 09 01 "
                                   "00 00 1A 07 00 00 04 07");
}

void TestParameterBlockCodec::encodeWholeBlock()
{
    QFETCH(int, deviceType);
    QFETCH(QByteArray, block);

    Fields f = DistinctFields();
    const ParameterBlockEncoding encoding = f.Encode(deviceType);
    QVERIFY(encoding.Accepted());
    QCOMPARE(encoding.block.toHex(' '), block.toHex(' '));

    Fields back;
    back.can.m_nFilterMode = 1;
    QVERIFY(back.Decode(deviceType, encoding.block));
    QCOMPARE(back.Encode(deviceType).block.toHex(' '), block.toHex(' '));
    QCOMPARE(back.can.m_strBTR[0], QStringLiteral("5A"));
    QCOMPARE(back.tran.m_nMode, 2);
    QCOMPARE(back.tran.m_nFrameSpace, 9);
    QCOMPARE(back.tran.m_bForwardInfo, 1);
    QCOMPARE(back.tran.m_nIdLength, 4);
    QCOMPARE(back.tran.m_nIdOffset, 7);
    QCOMPARE(back.serial.m_nBaudrate, 2);
    QCOMPARE(back.serial.m_nParity, 3);
}

void TestParameterBlockCodec::singleByteCodes_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("serialBaud");
    QTest::addColumn<int>("lineMode");
    QTest::addColumn<int>("idLength");
    QTest::addColumn<int>("frameSpace");
    QTest::addColumn<QByteArray>("expected"); // frame offsets 4, 11, 30, 22

    QTest::newRow("type 0, 9600") << 0 << 4 << 0 << 1 << 2 << Hex("06 01 01 02");
    QTest::newRow("type 1, 115200") << 1 << 9 << 0 << 1 << 2 << Hex("01 01 01 02");
    QTest::newRow("type 0, 600") << 0 << 0 << 0 << 1 << 2 << Hex("0A 01 01 02");
    QTest::newRow("type 2, 9600, RS-485") << 2 << 4 << 1 << 1 << 2 << Hex("05 02 01 02");
    QTest::newRow("type 2, 921600, RS-422") << 2 << 12 << 2 << 1 << 2 << Hex("0D 03 01 02");
    QTest::newRow("type 2, no selections") << 2 << -1 << -1 << 1 << 2 << Hex("00 00 01 02");
    QTest::newRow("type 0, no selection") << 0 << -1 << 0 << 1 << 2 << Hex("0B 01 01 02");
    QTest::newRow("low eight bits") << 2 << 4 << 0 << 300 << -2 << Hex("05 01 2C FE");
}

void TestParameterBlockCodec::singleByteCodes()
{
    QFETCH(int, deviceType);
    QFETCH(int, serialBaud);
    QFETCH(int, lineMode);
    QFETCH(int, idLength);
    QFETCH(int, frameSpace);
    QFETCH(QByteArray, expected);

    Fields f;
    f.armCan.m_strCanID = QStringLiteral("00000000");
    f.serial.m_nBaudrate = serialBaud;
    f.serial.m_nLineMode = lineMode;
    f.tran.m_nIdLength = idLength;
    f.tran.m_nFrameSpace = frameSpace;
    const QByteArray block = f.Encode(deviceType).block;
    QCOMPARE(block.size(), BlockSizes::kParameterBlock);
    const QByteArray frame = Frame(block);
    QByteArray picked;
    for (const int offset : {4, 11, 30, 22})
        picked.append(frame.at(offset));
    QCOMPARE(picked.toHex(' '), expected.toHex(' '));
}

void TestParameterBlockCodec::acceptanceAndIdentifier_data()
{
    QTest::addColumn<int>("frameType");
    QTest::addColumn<int>("filterMode");
    QTest::addColumn<QString>("sendId");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("codeHalves");
    QTest::addColumn<QStringList>("maskHalves");
    QTest::addColumn<QByteArray>("acceptance"); // offsets 12 to 19
    QTest::addColumn<QByteArray>("identifier"); // offsets 26 to 29
    // What reading those bytes back gives.
    QTest::addColumn<QString>("readSendId");
    QTest::addColumn<QString>("readCode");
    QTest::addColumn<QString>("readMask");
    QTest::addColumn<QStringList>("readCodeHalves");
    QTest::addColumn<QStringList>("readMaskHalves");
    QTest::addColumn<int>("readCustomMask");

    const QStringList ffHalves{"FF FF", "FF FF"};
    const QStringList untouched{"AA AA", "BB BB"};
    QTest::newRow("standard identifier 7FF")
        << 0 << 1 << "00 00 07 FF"
        << "00 00 00 00"
        << "FF FF FF FF" << ffHalves << ffHalves << Hex("00000000 FFFFFFFF") << Hex("FFE00000")
        << "00 00 07 FF"
        << "00 00 00 00"
        << "00 00 07 FF" << untouched << untouched << 1;
    QTest::newRow("extended identifier 1FFFFFFF")
        << 1 << 1 << "1F FF FF FF"
        << "00 00 00 00"
        << "FF FF FF FF" << ffHalves << ffHalves << Hex("00000000 FFFFFFFF") << Hex("FFFFFFF8")
        << "1F FF FF FF"
        << "00 00 00 00"
        << "1F FF FF FF" << untouched << untouched << 1;
    QTest::newRow("standard identifier above 11 bits")
        << 0 << 1 << "00 00 08 00"
        << "00 00 00 00"
        << "FF FF FF FF" << ffHalves << ffHalves << Hex("00000000 FFFFFFFF") << Hex("00000000")
        << "00 00 00 00"
        << "00 00 00 00"
        << "00 00 07 FF" << untouched << untouched << 1;
    QTest::newRow("lower-case identifier")
        << 0 << 1 << "00 00 07 ff"
        << "00 00 01 23"
        << "FF FF FF FF" << ffHalves << ffHalves << Hex("24600000 FFFFFFFF") << Hex("FFE00000")
        << "00 00 07 FF"
        << "00 00 01 23"
        << "00 00 07 FF" << untouched << untouched << 1;
    QTest::newRow("standard zero mask")
        << 0 << 1 << "00 00 00 00"
        << "00 00 00 00"
        << "00 00 00 00" << ffHalves << ffHalves << Hex("00000000 001FFFFF") << Hex("00000000")
        << "00 00 00 00"
        << "00 00 00 00"
        << "00 00 00 00" << untouched << untouched << 0;
    QTest::newRow("extended zero mask")
        << 1 << 1 << "00 00 00 00"
        << "00 00 00 00"
        << "00 00 00 00" << ffHalves << ffHalves << Hex("00000000 00000007") << Hex("00000000")
        << "00 00 00 00"
        << "00 00 00 00"
        << "00 00 00 00" << untouched << untouched << 0;
    QTest::newRow("dual standard")
        << 0 << 0 << "00 00 00 00"
        << "99 99 99 99"
        << "00 00 00 00" << QStringList{"00 7F", "01 23"} << ffHalves << Hex("24600FE0 FFFFFFFF")
        << Hex("00000000") << "00 00 00 00"
        << "00 7F 01 23"
        << "07 FF 07 FF" << QStringList{"00 7F", "01 23"} << QStringList{"07 FF", "07 FF"} << 1;
    QTest::newRow("dual extended")
        << 1 << 0 << "00 00 00 00"
        << "99 99 99 99"
        << "00 00 00 00" << QStringList{"12 34", "ab cd"} << QStringList{"00 0F", "F0 00"}
        << Hex("ABCD1234 F000000F") << Hex("00000000") << "00 00 00 00"
        << "12 34 AB CD"
        << "00 0F F0 00" << QStringList{"12 34", "AB CD"} << QStringList{"00 0F", "F0 00"} << 1;
    QTest::newRow("dual standard, missing groups")
        << 0 << 0 << ""
        << ""
        << "" << QStringList{"", "zz"} << QStringList{"7", ""} << Hex("00000000 001F E01F")
        << Hex("00000000") << "00 00 00 00"
        << "00 00 00 00"
        << "07 00 00 00" << QStringList{"00 00", "00 00"} << QStringList{"07 00", "00 00"} << 1;
}

void TestParameterBlockCodec::acceptanceAndIdentifier()
{
    QFETCH(int, frameType);
    QFETCH(int, filterMode);
    QFETCH(QString, sendId);
    QFETCH(QString, code);
    QFETCH(QString, mask);
    QFETCH(QStringList, codeHalves);
    QFETCH(QStringList, maskHalves);
    QFETCH(QByteArray, acceptance);
    QFETCH(QByteArray, identifier);

    for (const int deviceType : {0, 1}) {
        Fields f;
        f.can.m_nFrameType = frameType;
        f.can.m_nFilterMode = filterMode;
        f.can.m_strSendID = sendId;
        f.can.m_strAcptCode = code;
        f.can.m_strAcptMask = mask;
        f.can.m_strAcptCodeDual = {codeHalves[0], codeHalves[1]};
        f.can.m_strAcptMaskDual = {maskHalves[0], maskHalves[1]};
        const QByteArray block = f.Encode(deviceType).block;
        const QByteArray frame = Frame(block);
        QCOMPARE(frame.mid(12, 8).toHex(' '), acceptance.toHex(' '));
        QCOMPARE(frame.mid(26, 4).toHex(' '), identifier.toHex(' '));
        QCOMPARE(quint8(frame.at(25)), quint8(frameType));
        QCOMPARE(quint8(frame.at(11)), quint8(filterMode));

        Fields back;
        back.can.m_nFrameType = 1 - frameType;
        back.can.m_nFilterMode = 1 - filterMode;
        back.can.m_strAcptCodeDual = {QStringLiteral("AA AA"), QStringLiteral("BB BB")};
        back.can.m_strAcptMaskDual = back.can.m_strAcptCodeDual;
        back.can.m_bCustomMask = -1;
        QVERIFY(back.Decode(deviceType, block));
        QCOMPARE(back.can.m_nFrameType, frameType);
        QCOMPARE(back.can.m_nFilterMode, filterMode);
        QTEST(back.can.m_strSendID, "readSendId");
        QTEST(back.can.m_strAcptCode, "readCode");
        QTEST(back.can.m_strAcptMask, "readMask");
        QTEST(QStringList(back.can.m_strAcptCodeDual.begin(), back.can.m_strAcptCodeDual.end()),
              "readCodeHalves");
        QTEST(QStringList(back.can.m_strAcptMaskDual.begin(), back.can.m_strAcptMaskDual.end()),
              "readMaskHalves");
        QTEST(back.can.m_bCustomMask, "readCustomMask");
    }
}

void TestParameterBlockCodec::armIdentifier_data()
{
    QTest::addColumn<QString>("canId");
    QTest::addColumn<int>("frameTypeSel");
    QTest::addColumn<QByteArray>("identifier"); // offsets 26 to 29
    QTest::addColumn<int>("frameTypeByte");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("standard") << "000007ff" << 0 << Hex("FF 07 00 00") << 0 << 0 << "000007FF";
    QTest::newRow("little-endian, unshifted")
        << "12345678" << 1 << Hex("78 56 34 12") << 1 << 0 << "12345678";
    QTest::newRow("extended lower case")
        << "1fffffff" << 1 << Hex("FF FF FF 1F") << 1 << 0 << "1FFFFFFF";
    QTest::newRow("extended clamped")
        << "20000000" << 1 << Hex("FF FF FF 1F") << 1 << 1 << "1FFFFFFF";
    QTest::newRow("no frame type selection counts as extended")
        << "1FFFFFFF" << -1 << Hex("FF FF FF 1F") << 0xFF << 0 << "1FFFFFFF";
}

void TestParameterBlockCodec::armIdentifier()
{
    QFETCH(QString, canId);
    QFETCH(int, frameTypeSel);
    QFETCH(QByteArray, identifier);
    QFETCH(int, frameTypeByte);
    QFETCH(int, warnings);
    QFETCH(QString, readBack);

    Fields f;
    f.armCan.m_strCanID = canId;
    f.armCan.m_nFrameTypeSel = frameTypeSel;
    f.can.m_nFrameType = 1 - qBound(0, frameTypeSel, 1);
    const ParameterBlockEncoding encoding = f.Encode(2);
    QVERIFY(encoding.Accepted());
    QCOMPARE(encoding.canIdCheck.messages.size(), warnings);
    const QByteArray frame = Frame(encoding.block);
    QCOMPARE(frame.mid(26, 4).toHex(' '), identifier.toHex(' '));
    QCOMPARE(int(quint8(frame.at(25))), frameTypeByte);

    Fields back;
    QVERIFY(back.Decode(2, encoding.block));
    QCOMPARE(back.armCan.m_strCanID, readBack);
    QCOMPARE(back.can.m_nFrameType, frameTypeByte != 0 ? 1 : 0);
}

void TestParameterBlockCodec::checkCanId_data()
{
    QTest::addColumn<QString>("canId");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("messages"); // caption, text, caption, text...

    const QString length = QStringLiteral("CAN ID长度错误，必须为8位十六进制数！");
    const QString format = QStringLiteral("CAN ID格式错误，输入必须为0~F！");
    const QString standard =
        QStringLiteral("标准帧不能大于000007FF，如果大于则会被默认为000007FF！");
    const QString extended =
        QStringLiteral("扩展帧不能大于1FFFFFFF，如果大于则会被默认为1FFFFFFF！");

    QTest::newRow("seven characters")
        << "0000080" << false << false << "0000080" << QStringList{"错误", length};
    QTest::newRow("empty") << "" << true << false << "" << QStringList{"错误", length};
    QTest::newRow("letter beyond F")
        << "0000080G" << false << false << "0000080G" << QStringList{"错误", format};
    QTest::newRow("standard 800") << "00000800" << false << true << "000007FF"
                                  << QStringList{"警告", standard};
    QTest::newRow("standard 10000000 warns once")
        << "10000000" << false << true << "000007FF" << QStringList{"警告", standard};
    QTest::newRow("standard lower-case a00")
        << "00000a00" << false << true << "000007FF" << QStringList{"警告", standard};
    QTest::newRow("standard limit") << "000007FF" << false << true << "000007FF" << QStringList{};
    QTest::newRow("standard lower case in range")
        << "000007ff" << false << true << "000007ff" << QStringList{};
    QTest::newRow("extended 20000000")
        << "20000000" << true << true << "1FFFFFFF" << QStringList{"警告", extended};
    QTest::newRow("extended a0000000")
        << "a0000000" << true << true << "1FFFFFFF" << QStringList{"警告", extended};
    QTest::newRow("extended lower case")
        << "1fffffff" << true << true << "1fffffff" << QStringList{};
}

void TestParameterBlockCodec::checkCanId()
{
    QFETCH(QString, canId);
    QFETCH(bool, extended);
    QFETCH(bool, accepted);
    QFETCH(QString, result);
    QFETCH(QStringList, messages);

    const CanIdCheckResult check = CanIdCheck::CheckCanId(canId, extended);
    QCOMPARE(check.accepted, accepted);
    QCOMPARE(check.canId, result);
    QCOMPARE(check.replaced, result != canId);
    QStringList shown;
    for (const UserMessage& message : check.messages)
        shown << message.caption << message.text;
    QCOMPARE(shown, messages);
}

void TestParameterBlockCodec::decodeLeavesForeignFields_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::newRow("type 0") << 0;
    QTest::newRow("type 1") << 1;
    QTest::newRow("type 2") << 2;
}

void TestParameterBlockCodec::decodeLeavesForeignFields()
{
    QFETCH(int, deviceType);

    Fields f;
    f.serial.m_nDataBit = -7;
    f.serial.m_nStopBit = -8;
    f.serial.m_nLineMode = -9;
    f.serial.m_nFlowCtrl = -10;
    f.can.m_nFilterMode = 0;
    f.can.m_strSendID = QStringLiteral("untouched");
    f.armCan.m_strCanID = QStringLiteral("untouched");
    f.armCan.m_nFrameTypeSel = -11;
    const QByteArray block = Hex("05 02 01 00 0A 01 1C 01 00 00 00 00 FF FF FF FF 01 00 02 00 "
                                 "00 01 78 56 34 12 01 00");
    QVERIFY(f.Decode(deviceType, block));

    QCOMPARE(f.serial.m_nFlowCtrl, -10);
    QCOMPARE(f.armCan.m_nFrameTypeSel, -11);
    QCOMPARE(f.can.m_nFrameType, 1);
    if (deviceType == 2) {
        QCOMPARE(f.serial.m_nDataBit, 2);
        QCOMPARE(f.serial.m_nStopBit, 1);
        QCOMPARE(f.serial.m_nLineMode, 0);
        QCOMPARE(f.serial.m_nBaudrate, 4);
        QCOMPARE(f.can.m_nFilterMode, 0);
        QCOMPARE(f.can.m_strSendID, QStringLiteral("untouched"));
        QCOMPARE(f.armCan.m_strCanID, QStringLiteral("12345678"));
    } else {
        QCOMPARE(f.serial.m_nDataBit, -7);
        QCOMPARE(f.serial.m_nStopBit, -8);
        QCOMPARE(f.serial.m_nLineMode, -9);
        QCOMPARE(f.serial.m_nBaudrate, 5);
        QCOMPARE(f.can.m_nFilterMode, 1);
        QCOMPARE(f.can.m_strSendID, QStringLiteral("0F 0A C6 82"));
        QCOMPARE(f.armCan.m_strCanID, QStringLiteral("untouched"));
    }
}

void TestParameterBlockCodec::decodeOutOfRangeCodes()
{
    const QByteArray zeros(28, '\0');
    Fields arm;
    QVERIFY(arm.Decode(2, zeros));
    QCOMPARE(arm.serial.m_nBaudrate, -1);
    QCOMPARE(arm.serial.m_nLineMode, -1);
    QCOMPARE(arm.tran.m_nMode, -1);

    Fields ab;
    QVERIFY(ab.Decode(0, zeros));
    QCOMPARE(ab.serial.m_nBaudrate, 10);
    QCOMPARE(ab.can.m_nFilterMode, 0);

    Fields high;
    QVERIFY(high.Decode(1, QByteArray(28, char(0xFF))));
    QCOMPARE(high.serial.m_nBaudrate, 10 - 255);
    QCOMPARE(high.can.m_nBaudrate, 255);
    QCOMPARE(high.can.m_nFilterMode, 255);
    QCOMPARE(high.tran.m_nMode, 254);
    QCOMPARE(high.can.m_strBTR[1], QStringLiteral("FF"));
}

void TestParameterBlockCodec::decodeRefusesWrongSize()
{
    for (const int size : {0, 27, 29, 33}) {
        Fields f;
        f.can.m_strSendID = QStringLiteral("kept");
        f.tran.m_nMode = 42;
        QVERIFY(!f.Decode(0, QByteArray(size, '\x01')));
        QCOMPARE(f.can.m_strSendID, QStringLiteral("kept"));
        QCOMPARE(f.tran.m_nMode, 42);
    }
}

void TestParameterBlockCodec::canPageRules()
{
    CanFields can;
    can.m_strBTR = {QStringLiteral("12"), QStringLiteral("34")};
    can.m_strAcptMask = QStringLiteral("12 34 56 78");
    can.m_bCustomMask = 0;
    for (const int customOrUnknown : {0, -1, 16}) {
        can.m_nBaudrate = customOrUnknown;
        CanPageRules::RefreshFields(can);
        QCOMPARE(can.m_strBTR[0] + can.m_strBTR[1], QStringLiteral("1234"));
    }
    QCOMPARE(can.m_strAcptMask, QStringLiteral("00 00 00 00"));
    QCOMPARE(can.m_strAcptMaskDual[1], QStringLiteral("00 00"));

    can.m_nBaudrate = 15;
    can.m_bCustomMask = 1;
    CanPageRules::RefreshFields(can);
    QCOMPARE(can.m_strBTR[0] + can.m_strBTR[1], QStringLiteral("0014"));
    QCOMPARE(can.m_strAcptMask, QStringLiteral("FF FF FF FF"));
    QCOMPARE(can.m_strAcptMaskDual[0], QStringLiteral("FF FF"));
}

QTEST_GUILESS_MAIN(TestParameterBlockCodec)
#include "tst_ParameterBlockCodec.moc"
