#include "ConfigKeys.h"

#include "CArmCanConfig.h"
#include "CanAcceptance.h"
#include "Configuration.h"
#include "FilterListJson.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <limits>

namespace {

using Config = Configuration;
using Value = QJsonValue;

constexpr int kByteMax = 255;
constexpr int kPortMax = 7;

// Texts that read the same in every language.
ListTexts AsIs(std::initializer_list<const char*> texts)
{
    ListTexts list;
    for (const char* text : texts)
        list.push_back({text, nullptr});
    return list;
}

ListTexts SerialRates(ConverterModel model)
{
    ListTexts rates =
        AsIs({"600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"});
    if (model == ConverterModel::OstrelX)
        for (const char* rate : {"230400", "460800", "921600"})
            rates.push_back({rate, nullptr});
    return rates;
}

// The rates the X page names; its last entry, "自定义", names no register.
ListTexts ArmRates(ConverterModel)
{
    ListTexts rates;
    for (int index = 0; index < CArmCanConfig::kCustomBaudIndex; ++index)
        rates.push_back({CArmCanConfig::kBaudTexts.at(std::size_t(index)), nullptr});
    return rates;
}

ListTexts FrameTypes(ConverterModel)
{
    return {{"标准帧", "Standard frame"}, {"扩展帧", "Extended frame"}};
}

QStringList TextPair(const std::array<QString, 2>& pair)
{
    return {pair[0], pair[1]};
}

std::array<QString, 2> PairOf(const Value& value)
{
    const QJsonArray array = value.toArray();
    return {array.at(0).toString(), array.at(1).toString()};
}

Value ModelValue(const Config& c)
{
    return ConverterModels::DeviceTypeOf(c.model);
}

// Shorthands for the table: where a key is shown, and whether the profile
// keeps it beside the document.
constexpr bool kClassic = true;
constexpr bool kNotClassic = false;
constexpr bool kX = true;
constexpr bool kNotX = false;
constexpr bool kDocument = true;
constexpr bool kNoDocument = false;
constexpr bool kProfile = true;
constexpr bool kNoProfile = false;

// Factory for a key whose field is an int; set keeps the profile's value as
// it finds it (an index outside the list included).
#define KELVANE_INT_KEY(field)                                                                     \
    [](const Config& c) -> Value { return c.field; },                                              \
        [](Config& c, const Value& v) { c.field = v.toInt(); }
#define KELVANE_TEXT_KEY(field)                                                                    \
    [](const Config& c) -> Value { return c.field; },                                              \
        [](Config& c, const Value& v) { c.field = v.toString(); }
#define KELVANE_PAIR_KEY(field)                                                                    \
    [](const Config& c) -> Value { return QJsonArray::fromStringList(TextPair(c.field)); },        \
        [](Config& c, const Value& v) { c.field = PairOf(v); }

const std::vector<ConfigKey> kKeys{
    {"CanBaudrate", KeyPage::Can, KeyKind::List, 0, "CCanPage",
     [](ConverterModel) {
         ListTexts rates{{"自定义", "Custom"}};
         for (const char* rate : {"5 K", "10 K", "20 K", "40 K", "50 K", "80 K", "100 K", "125 K",
                                  "200 K", "250 K", "400 K", "500 K", "666 K", "800 K", "1000 K"})
             rates.push_back({rate, nullptr});
         return rates;
     },
     kClassic, kNotX, kDocument, kProfile, ConfigKeys::kArmCanBaud,
     KELVANE_INT_KEY(can.m_nBaudrate)},
    {"CanBTR0", KeyPage::Can, KeyKind::HexText, 1, nullptr, nullptr, kClassic, kNotX, kDocument,
     kProfile, ConfigKeys::kArmCanBaud, KELVANE_TEXT_KEY(can.m_strBTR[0])},
    {"CanBTR1", KeyPage::Can, KeyKind::HexText, 1, nullptr, nullptr, kClassic, kNotX, kDocument,
     kProfile, ConfigKeys::kArmCanBaud, KELVANE_TEXT_KEY(can.m_strBTR[1])},
    {"CanFrameType", KeyPage::Can, KeyKind::List, 0, "CCanPage", FrameTypes, kClassic, kNotX,
     kDocument, kProfile, "ArmFrameType", KELVANE_INT_KEY(can.m_nFrameType)},
    {"CanFiterMode", KeyPage::Can, KeyKind::List, 0, "CCanPage",
     [](ConverterModel) -> ListTexts {
         return {{"双滤波", "Dual filter"}, {"单滤波", "Single filter"}};
     },
     kClassic, kNotX, kDocument, kProfile, ConfigKeys::kFilters,
     KELVANE_INT_KEY(can.m_nFilterMode)},
    {"CanID", KeyPage::Can, KeyKind::HexText, 4, nullptr, nullptr, kClassic, kNotX, kDocument,
     kProfile, "ArmCanID", KELVANE_TEXT_KEY(can.m_strSendID)},
    {"CanAcptCode", KeyPage::Can, KeyKind::HexText, 4, nullptr, nullptr, kClassic, kNotX, kDocument,
     kProfile, ConfigKeys::kFilters, KELVANE_TEXT_KEY(can.m_strAcptCode)},
    {"CanAcptMask", KeyPage::Can, KeyKind::HexText, 4, nullptr, nullptr, kClassic, kNotX, kDocument,
     kProfile, ConfigKeys::kFilters, KELVANE_TEXT_KEY(can.m_strAcptMask)},

    {"SerialBaudrate", KeyPage::Serial, KeyKind::List, 0, nullptr, SerialRates, kClassic, kX,
     kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nBaudrate)},
    {"SerialParity", KeyPage::Serial, KeyKind::List, 0, "CSerialPage",
     [](ConverterModel) -> ListTexts {
         return {{"无校验", "None"},
                 {"奇校验", "Odd"},
                 {"偶校验", "Even"},
                 {"强制为0", "Space (0)"},
                 {"强制为1", "Mark (1)"}};
     },
     kClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nParity)},
    // The Ostrel-A and -B are sent fixed data and stop bits and have no line
    // mode: their pages leave these lists disabled or hidden.
    {"SerialDataBit", KeyPage::Serial, KeyKind::List, 0, nullptr,
     [](ConverterModel) {
         return AsIs({"5", "6", "7", "8"});
     },
     kNotClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nDataBit)},
    {"SerialStopBit", KeyPage::Serial, KeyKind::List, 0, nullptr,
     [](ConverterModel) {
         return AsIs({"1", "2"});
     },
     kNotClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nStopBit)},
    {"SerialFlowCtrl", KeyPage::Serial, KeyKind::List, 0, "CSerialPage",
     [](ConverterModel) -> ListTexts {
         return {{"Xon/Xoff", "Xon/Xoff"}, {"硬件", "Hardware"}, {"无", "None"}};
     },
     kClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nFlowCtrl)},
    {"SerialMode", KeyPage::Serial, KeyKind::List, 0, "CSerialPage",
     [](ConverterModel) -> ListTexts {
         return {{"RS232模式", "RS-232"}, {"RS485模式", "RS-485"}, {"RS-422模式", "RS-422"}};
     },
     kNotClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(serial.m_nLineMode)},

    {"TranMode", KeyPage::Tran, KeyKind::List, 0, "CTranPage",
     [](ConverterModel model) -> ListTexts {
         return {{"透明转换", "Transparent"},
                 {"透明带标识转换", "Transparent with identifier"},
                 model == ConverterModel::OstrelX ? ListText{"格式转换", "Formatted"}
                                                  : ListText{"MODBUS转换", "MODBUS"}};
     },
     kClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(tran.m_nMode)},
    {"TranDir", KeyPage::Tran, KeyKind::List, 0, "CTranPage",
     [](ConverterModel) -> ListTexts {
         return {{"双向", "Both ways"},
                 {"仅 串口 → CAN", "Serial → CAN only"},
                 {"仅 串口 ← CAN", "Serial ← CAN only"}};
     },
     kClassic, kX, kDocument, kProfile, nullptr, KELVANE_INT_KEY(tran.m_nDirection)},
    {"TranSpace", KeyPage::Tran, KeyKind::Byte, 0, nullptr, nullptr, kClassic, kX, kDocument,
     kProfile, nullptr, KELVANE_INT_KEY(tran.m_nFrameSpace)},
    {"TranID", KeyPage::Tran, KeyKind::Box, 0, nullptr, nullptr, kClassic, kX, kDocument, kProfile,
     nullptr, KELVANE_INT_KEY(tran.m_bForwardID)},
    {"TranInfo", KeyPage::Tran, KeyKind::Box, 0, nullptr, nullptr, kClassic, kX, kDocument,
     kProfile, nullptr, KELVANE_INT_KEY(tran.m_bForwardInfo)},
    {"TranIdBase", KeyPage::Tran, KeyKind::Byte, 0, nullptr, nullptr, kClassic, kX, kDocument,
     kProfile, nullptr, KELVANE_INT_KEY(tran.m_nIdOffset)},
    {"TranLength", KeyPage::Tran, KeyKind::Byte, 0, nullptr, nullptr, kClassic, kX, kDocument,
     kProfile, nullptr, KELVANE_INT_KEY(tran.m_nIdLength)},

    {ConfigKeys::kDeviceType, KeyPage::None, KeyKind::Model, 0, nullptr, nullptr, kClassic, kX,
     kDocument, kProfile, nullptr, ModelValue, nullptr},
    {ConfigKeys::kConfigPort, KeyPage::None, KeyKind::PortIndex, 0, nullptr, nullptr, kClassic, kX,
     kNoDocument, kProfile, nullptr, nullptr, nullptr},
    {ConfigKeys::kFormat, KeyPage::None, KeyKind::Marker, 0, nullptr, nullptr, kClassic, kX,
     kDocument, kNoProfile, nullptr, nullptr, nullptr},

    {"CanAcptCodeDual", KeyPage::Can, KeyKind::HexPair, 2, nullptr, nullptr, kClassic, kNotX,
     kDocument, kNoProfile, ConfigKeys::kFilters, KELVANE_PAIR_KEY(can.m_strAcptCodeDual)},
    {"CanAcptMaskDual", KeyPage::Can, KeyKind::HexPair, 2, nullptr, nullptr, kClassic, kNotX,
     kDocument, kNoProfile, ConfigKeys::kFilters, KELVANE_PAIR_KEY(can.m_strAcptMaskDual)},
    {"CustomMask", KeyPage::Can, KeyKind::Box, 0, nullptr, nullptr, kClassic, kNotX, kDocument,
     kNoProfile, ConfigKeys::kFilters, KELVANE_INT_KEY(can.m_bCustomMask)},

    // The profile keeps the CAN configuration page's keys apart from the
    // parameter keys: they are loaded once the sheet has its pages for the
    // model.
    {ConfigKeys::kArmCanBaud, KeyPage::ArmCan, KeyKind::Register, 0, nullptr, ArmRates, kNotClassic,
     kX, kDocument, kProfile, "CanBaudrate",
     [](const Config& c) -> Value { return qint64(c.armCan.m_dwBtr); },
     // The register edit shows the value as the page would, so that
     // collecting the block takes exactly this value.
     [](Config& c, const Value& v) {
         c.armCan.m_dwBtr = quint32(qint64(v.toDouble()));
         c.armCan.m_strRegister = CArmCanConfig::FormatRegister(c.armCan.m_dwBtr);
     }},
    {"ArmCanID", KeyPage::ArmCan, KeyKind::Text, 0, nullptr, nullptr, kNotClassic, kX, kDocument,
     kProfile, "CanID", KELVANE_TEXT_KEY(armCan.m_strCanID)},
    // The frame type list's selection, which offset 25, the CAN ID check and
    // the collected block all take.
    {"ArmFrameType", KeyPage::ArmCan, KeyKind::List, 0, "CPageArmCfgCan", FrameTypes, kNotClassic,
     kX, kDocument, kProfile, "CanFrameType",
     [](const Config& c) -> Value { return c.armCan.m_nFrameType; },
     [](Config& c, const Value& v) {
         c.armCan.m_nFrameType = v.toInt();
         c.armCan.m_nFrameTypeSel = v.toInt();
     }},
    {"Filtering", KeyPage::ArmCan, KeyKind::Flag, 0, nullptr, nullptr, kNotClassic, kX, kDocument,
     kProfile, "CanAcptCode", [](const Config& c) -> Value { return c.armCan.m_bFilterEnabled; },
     [](Config& c, const Value& v) { c.armCan.m_bFilterEnabled = v.toBool(); }},
    {ConfigKeys::kFilters, KeyPage::ArmCan, KeyKind::FilterList, 0, nullptr, nullptr, kNotClassic,
     kX, kDocument, kProfile, "CanAcptCode",
     [](const Config& c) -> Value { return FilterListJson::ToJson(c.armCan.m_filters); },
     [](Config& c, const Value& v) { c.armCan.m_filters = FilterListJson::FromJson(v); }},
};

#undef KELVANE_INT_KEY
#undef KELVANE_TEXT_KEY
#undef KELVANE_PAIR_KEY

} // namespace

bool ConfigKey::IsShownOn(ConverterModel model) const
{
    return ConverterModels::Facts(model).hasCanConfigPage ? shownOnX : shownOnClassic;
}

QStringList ConfigKey::Texts(ConverterModel model) const
{
    QStringList translated;
    if (texts != nullptr)
        for (const ListText& text : texts(model))
            translated << (context == nullptr || text.english == nullptr
                               ? QString::fromUtf8(text.source)
                               : QCoreApplication::translate(context, text.source));
    return translated;
}

QStringList ConfigKey::EnglishTexts(ConverterModel model) const
{
    QStringList english;
    if (texts != nullptr)
        for (const ListText& text : texts(model))
            english << text.English();
    return english;
}

QStringList ConfigKey::SourceTexts(ConverterModel model) const
{
    QStringList sources;
    if (texts != nullptr)
        for (const ListText& text : texts(model))
            sources << QString::fromUtf8(text.source);
    return sources;
}

std::pair<qint64, qint64> ConfigKey::Range(ConverterModel model) const
{
    switch (kind) {
    case KeyKind::List:
        return {0, qint64(texts(model).size()) - 1};
    case KeyKind::Box:
        return {0, 1};
    case KeyKind::Byte:
        return {0, kByteMax};
    case KeyKind::Register:
        return {0, std::numeric_limits<quint32>::max()};
    case KeyKind::FilterList:
        return {0, CanAcceptance::kTableSize};
    case KeyKind::Model:
        return {0, ConverterModels::kCount - 1};
    case KeyKind::PortIndex:
        return {0, kPortMax};
    case KeyKind::HexText:
    case KeyKind::HexPair:
    case KeyKind::Text:
    case KeyKind::Flag:
    case KeyKind::Marker:
        break;
    }
    return {0, 0};
}

namespace ConfigKeys {

const std::vector<ConfigKey>& All()
{
    return kKeys;
}

const ConfigKey* Find(const QString& name)
{
    for (const ConfigKey& key : kKeys)
        if (name == QLatin1String(key.name))
            return &key;
    return nullptr;
}

const ConfigKey& Get(const char* name)
{
    const ConfigKey* key = Find(QLatin1String(name));
    Q_ASSERT(key != nullptr);
    return key != nullptr ? *key : kKeys.front();
}

QString BaseName(const QString& name)
{
    qsizetype end = 0;
    while (end < name.size() && name.at(end) != QLatin1Char('[') &&
           name.at(end) != QLatin1Char('.'))
        ++end;
    return name.left(end);
}

} // namespace ConfigKeys
