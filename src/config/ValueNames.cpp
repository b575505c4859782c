#include "ValueNames.h"

#include <QCoreApplication>

#include <array>

namespace {

// Source texts and the context the pages translate them in; a text marked
// kAsIs is not translated.
struct ListTexts
{
    const char* key;
    const char* context;
    QStringList (*sources)(ConverterModel model);
};

const char* const kAsIs = nullptr;

QStringList Texts(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

QStringList SerialRates(ConverterModel model)
{
    QStringList rates = Texts(
        {"600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"});
    if (model == ConverterModel::OstrelX)
        rates << Texts({"230400", "460800", "921600"});
    return rates;
}

const std::array<ListTexts, 11> kLists{{
    {"CanBaudrate", "CCanPage",
     [](ConverterModel) {
         return Texts({"自定义", "5 K", "10 K", "20 K", "40 K", "50 K", "80 K", "100 K", "125 K",
                       "200 K", "250 K", "400 K", "500 K", "666 K", "800 K", "1000 K"});
     }},
    {"CanFrameType", "CCanPage",
     [](ConverterModel) {
         return Texts({"标准帧", "扩展帧"});
     }},
    {"CanFiterMode", "CCanPage",
     [](ConverterModel) {
         return Texts({"双滤波", "单滤波"});
     }},
    {"SerialBaudrate", kAsIs, SerialRates},
    {"SerialParity", "CSerialPage",
     [](ConverterModel) {
         return Texts({"无校验", "奇校验", "偶校验", "强制为0", "强制为1"});
     }},
    {"SerialDataBit", kAsIs,
     [](ConverterModel) {
         return Texts({"5", "6", "7", "8"});
     }},
    {"SerialStopBit", kAsIs,
     [](ConverterModel) {
         return Texts({"1", "2"});
     }},
    {"SerialFlowCtrl", "CSerialPage",
     [](ConverterModel) {
         return Texts({"Xon/Xoff", "硬件", "无"});
     }},
    {"SerialMode", "CSerialPage",
     [](ConverterModel) {
         return Texts({"RS232模式", "RS485模式", "RS-422模式"});
     }},
    {"TranMode", "CTranPage",
     [](ConverterModel model) {
         return Texts({"透明转换", "透明带标识转换",
                       model == ConverterModel::OstrelX ? "格式转换" : "MODBUS转换"});
     }},
    {"TranDir", "CTranPage",
     [](ConverterModel) {
         return Texts({"双向", "仅 串口 → CAN", "仅 串口 ← CAN"});
     }},
}};

const ListTexts* Find(const QString& key)
{
    for (const ListTexts& list : kLists)
        if (key == QLatin1String(list.key))
            return &list;
    return nullptr;
}

QString Translated(const ListTexts& list, const QString& source)
{
    if (list.context == kAsIs)
        return source;
    return QCoreApplication::translate(list.context, source.toUtf8().constData());
}

QString Folded(const QString& text)
{
    QString folded;
    for (const QChar c : text)
        if (!c.isSpace())
            folded += c.toCaseFolded();
    return folded;
}

} // namespace

namespace ValueNames {

QStringList Of(const QString& key, ConverterModel model)
{
    const ListTexts* list = Find(key);
    if (list == nullptr)
        return {};
    QStringList texts;
    for (const QString& source : list->sources(model))
        texts << Translated(*list, source);
    return texts;
}

std::optional<int> PositionOf(const QString& key, const QString& text, ConverterModel model)
{
    const ListTexts* list = Find(key);
    if (list == nullptr)
        return std::nullopt;
    const QString wanted = Folded(text);
    const QStringList sources = list->sources(model);
    for (int position = 0; position < sources.size(); ++position)
        if (Folded(sources.at(position)) == wanted ||
            Folded(Translated(*list, sources.at(position))) == wanted)
            return position;
    return std::nullopt;
}

QString Described(const QString& key, int position, ConverterModel model)
{
    const QStringList texts = Of(key, model);
    if (position < 0 || position >= texts.size())
        return QString::number(position);
    return QStringLiteral("%1 (%2)").arg(position).arg(texts.at(position));
}

} // namespace ValueNames
