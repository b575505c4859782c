#include "CCanPage.h"
#include "CConfigDocument.h"
#include "CEnglishTexts.h"
#include "CPageArmCfgCan.h"
#include "CProfile.h"
#include "CProfileSandbox.h"
#include "CRecordingSink.h"
#include "CSerialPage.h"
#include "CTranPage.h"
#include "ConfigKeys.h"
#include "Configuration.h"
#include "ModelRows.h"
#include "WidgetLookup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <map>
#include <memory>

namespace {

// A value the key can hold that differs from the model's factory value, as
// the document writes it back.
QJsonValue Sample(const ConfigKey& key, ConverterModel model)
{
    const QJsonValue factory = key.get(Configuration::Defaults(model));
    const auto [min, max] = key.Range(model);
    switch (key.kind) {
    case KeyKind::List:
        return (factory.toInt() + 1) % int(max + 1);
    case KeyKind::Box:
        return 1 - factory.toInt();
    case KeyKind::Byte:
        return 200;
    case KeyKind::HexText:
        return key.bytes == 1 ? QStringLiteral("AB") : QStringLiteral("12 34 56 78");
    case KeyKind::HexPair:
        return QJsonArray{QStringLiteral("12 34"), QStringLiteral("56 78")};
    case KeyKind::Register:
        return qint64(0x12345678);
    case KeyKind::Text:
        return QStringLiteral("0000012A");
    case KeyKind::Flag:
        return !factory.toBool();
    case KeyKind::FilterList:
        return QJsonArray{QJsonObject{{QStringLiteral("kind"), 1},
                                      {QStringLiteral("start"), QStringLiteral("0x00000100")},
                                      {QStringLiteral("end"), QStringLiteral("0x000001ff")}}};
    case KeyKind::Model:
        return ConverterModels::DeviceTypeOf(model);
    case KeyKind::Marker:
    case KeyKind::PortIndex:
        break;
    }
    return {};
}

// The pages of every model, made as the sheet makes them, by the key page
// each shows.
struct Pages
{
    CRecordingSink messages;
    CTranPage tran{messages};
    CSerialPage serial;
    CCanPage can;
    CPageArmCfgCan armCan{messages};

    explicit Pages(ConverterModel model)
    {
        for (CSheetPage* page : std::initializer_list<CSheetPage*>{&tran, &serial, &can, &armCan})
            page->OnInitDialog();
        tran.ConfigureForDevice(model);
        serial.ConfigureForDevice(model);
    }

    QWidget* Of(KeyPage page)
    {
        const std::map<KeyPage, QWidget*> pages{{KeyPage::Tran, &tran},
                                                {KeyPage::Serial, &serial},
                                                {KeyPage::Can, &can},
                                                {KeyPage::ArmCan, &armCan}};
        const auto found = pages.find(page);
        return found == pages.end() ? nullptr : found->second;
    }
};

QList<QWidget*> ControlsOf(QWidget& page, const QString& key)
{
    QList<QWidget*> controls;
    for (QWidget* child : page.findChildren<QWidget*>())
        if (child->property("configKey").toString() == key)
            controls << child;
    return controls;
}

} // namespace

class TestConfigKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKeyRoundTripsThroughTheDocument_data() { AddModelRows(); }
    void everyKeyRoundTripsThroughTheDocument();
    void everyKeptKeyRoundTripsThroughTheProfile_data() { AddModelRows(); }
    void everyKeptKeyRoundTripsThroughTheProfile();
    void everyShownKeyHasItsControl_data();
    void everyShownKeyHasItsControl();
    void everyBoundControlNamesAKeyOfItsPage();
    void valuesAreNamedInEitherLanguage_data();
    void valuesAreNamedInEitherLanguage();
    void keysWithoutEffectAreNotTakenInSilence_data();
    void keysWithoutEffectAreNotTakenInSilence();
    void filterListIsBoundByTheTableBytes_data();
    void filterListIsBoundByTheTableBytes();
    void manualNamesEveryKey();
};

void TestConfigKeys::everyKeyRoundTripsThroughTheDocument()
{
    QFETCH(ConverterModel, model);
    for (const ConfigKey& key : ConfigKeys::All()) {
        if (!key.inDocument || key.get == nullptr)
            continue;
        const QJsonValue sample = Sample(key, model);
        Configuration config = Configuration::Defaults(model);
        const QJsonObject document{{key.Name(), sample}};
        QVERIFY2(!CConfigDocument::Apply(document, config), key.name);
        const QJsonObject written = CConfigDocument::ToJson(config);
        QVERIFY2(written.value(key.Name()) == sample, key.name);

        Configuration reloaded = Configuration::Defaults(model);
        QVERIFY2(!CConfigDocument::Apply(written, reloaded), key.name);
        QVERIFY2(CConfigDocument::ToJson(reloaded) == written, key.name);
    }
}

void TestConfigKeys::everyKeptKeyRoundTripsThroughTheProfile()
{
    QFETCH(ConverterModel, model);
    Configuration saved = Configuration::Defaults(model);
    for (const ConfigKey& key : ConfigKeys::All())
        if (key.inProfile && key.set != nullptr)
            key.set(saved, Sample(key, model));

    const QString name = CProfileSandbox::UniqueName();
    CProfile profile(name);
    QVERIFY(profile.Save(saved.can, saved.serial, saved.tran, {model, 5}));
    QVERIFY(profile.SaveArmCan(saved.armCan));

    Configuration loaded = Configuration::Defaults(ConverterModel::OstrelA);
    const CProfile reread(name);
    const ProfileSelection selection = reread.Load(loaded.can, loaded.serial, loaded.tran);
    reread.LoadArmCan(loaded.armCan);
    loaded.model = selection.model;
    QCOMPARE(selection.model, model);
    QCOMPARE(selection.configPort, 5);
    for (const ConfigKey& key : ConfigKeys::All())
        if (key.inProfile && key.get != nullptr)
            QVERIFY2(key.get(loaded) == key.get(saved), key.name);
}

void TestConfigKeys::everyShownKeyHasItsControl_data()
{
    QTest::addColumn<ConverterModel>("model");
    QTest::addColumn<bool>("english");
    for (const ConverterModelFacts& facts : ConverterModels::kFacts)
        for (const bool english : {false, true})
            QTest::addRow("%s, %s", facts.displayName, english ? "English" : "Chinese")
                << facts.model << english;
}

// A key the model's pages show has a control bound to it; a list shows the
// key's texts, as many as its range allows, in the key's English when the
// window speaks English. A key the model's pages do not show has no control
// the user can reach there.
void TestConfigKeys::everyShownKeyHasItsControl()
{
    QFETCH(ConverterModel, model);
    QFETCH(bool, english);
    const CEnglishTexts texts(english);
    QCOMPARE(texts.IsInstalled(), english);
    Pages pages(model);
    for (const ConfigKey& key : ConfigKeys::All()) {
        QWidget* page = pages.Of(key.page);
        if (page == nullptr)
            continue;
        const QList<QWidget*> controls = ControlsOf(*page, key.Name());
        QVERIFY2(!controls.isEmpty(), key.name);
        const bool pageShown = ConverterModels::Facts(model).hasCanConfigPage
                                   ? key.page != KeyPage::Can
                                   : key.page != KeyPage::ArmCan;
        if (pageShown && !key.IsShownOn(model))
            for (const QWidget* control : controls)
                QVERIFY2(!control->isEnabled() || control->isHidden() ||
                             !control->isVisibleTo(page),
                         key.name);
        if (key.kind != KeyKind::List)
            continue;
        const auto* list = qobject_cast<const QComboBox*>(controls.constFirst());
        QVERIFY2(list != nullptr, key.name);
        QCOMPARE(list->count(), key.Range(model).second + 1);
        QCOMPARE(Items(list), key.Texts(model));
        if (english)
            QCOMPARE(Items(list), key.EnglishTexts(model));
    }
}

// The other way round: what the forms bind is a key of the schema, on the
// page the schema gives it.
void TestConfigKeys::everyBoundControlNamesAKeyOfItsPage()
{
    Pages pages(ConverterModel::OstrelX);
    for (const KeyPage pageId : {KeyPage::Tran, KeyPage::Serial, KeyPage::Can, KeyPage::ArmCan})
        for (const QWidget* child : pages.Of(pageId)->findChildren<QWidget*>()) {
            const QString name = child->property("configKey").toString();
            if (name.isEmpty())
                continue;
            const ConfigKey* key = ConfigKeys::Find(name);
            QVERIFY2(key != nullptr, qPrintable(name));
            QVERIFY2(key->page == pageId, qPrintable(name));
        }
}

void TestConfigKeys::valuesAreNamedInEitherLanguage_data()
{
    QTest::addColumn<bool>("english"); // the desktop's language
    QTest::addColumn<ConverterModel>("model");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("key");
    QTest::addColumn<qint64>("value");

    const ConverterModel a = ConverterModel::OstrelA;
    const ConverterModel x = ConverterModel::OstrelX;
    // A file written on an English PC loads on a Chinese one, and back.
    QTest::newRow("English name, Chinese desktop")
        << false << a << QByteArray(R"({"SerialParity": "Even"})") << "SerialParity" << 2LL;
    QTest::newRow("Chinese name, English desktop")
        << true << a << QByteArray(R"({"SerialParity": "偶校验"})") << "SerialParity" << 2LL;
    QTest::newRow("English flow control, Chinese desktop")
        << false << x << QByteArray(R"({"SerialFlowCtrl": "hardware"})") << "SerialFlowCtrl" << 1LL;
    QTest::newRow("X frame type in English")
        << false << x << QByteArray(R"({"ArmFrameType": "Extended frame"})") << "ArmFrameType"
        << 1LL;
    // The X page's rates stand for their register values.
    QTest::newRow("X rate by name")
        << false << x << QByteArray(R"({"ArmCanBaud": "250K"})") << "ArmCanBaud" << 0x3AC005LL;
    QTest::newRow("X rate by name, blank and case aside")
        << true << x << QByteArray(R"({"ArmCanBaud": "1000 k"})") << "ArmCanBaud" << 0x6FC000LL;
    QTest::newRow("X rate as a number")
        << true << x << QByteArray(R"({"ArmCanBaud": 3850245})") << "ArmCanBaud" << 0x3AC005LL;
    QTest::newRow("X's custom rate names no register")
        << false << x << QByteArray(R"({"ArmCanBaud": "自定义"})") << "ArmCanBaud" << -1LL;
}

void TestConfigKeys::valuesAreNamedInEitherLanguage()
{
    QFETCH(bool, english);
    QFETCH(ConverterModel, model);
    QFETCH(QByteArray, json);
    QFETCH(QString, key);
    QFETCH(qint64, value);
    const CEnglishTexts texts(english);
    Configuration config;
    config.model = model;

    const std::optional<DocumentRefusal> refusal = CConfigDocument::Load(json, config);

    QCOMPARE(!refusal, value >= 0);
    if (value >= 0)
        QCOMPARE(qint64(ConfigKeys::Get(qPrintable(key)).get(config).toDouble()), value);
}

void TestConfigKeys::keysWithoutEffectAreNotTakenInSilence_data()
{
    QTest::addColumn<ConverterModel>("model");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("named"); // the refusal names each; empty: taken

    const ConverterModel a = ConverterModel::OstrelA;
    const ConverterModel x = ConverterModel::OstrelX;
    QTest::newRow("X's bit rate by the classic key")
        << x << QByteArray(R"({"DeviceType": 2, "CanBaudrate": "250 K"})")
        << QStringList{"\"CanBaudrate\"", "Ostrel-X", "\"ArmCanBaud\""};
    QTest::newRow("X's identifier by the classic key")
        << x << QByteArray(R"({"CanID": "00 00 01 23"})")
        << QStringList{"\"CanID\"", "\"ArmCanID\""};
    QTest::newRow("classic filter on the X") << x << QByteArray(R"({"CanAcptMask": "00 00 00 00"})")
                                             << QStringList{"\"CanAcptMask\"", "\"Filters\""};
    QTest::newRow("X's filters on an A") << a << QByteArray(R"({"Filtering": true})")
                                         << QStringList{"\"Filtering\"", "\"CanAcptCode\""};
    QTest::newRow("line mode the A does not have")
        << a << QByteArray(R"({"SerialMode": 1})") << QStringList{"\"SerialMode\"", "Ostrel-A"};
    QTest::newRow("keys the model shows")
        << x << QByteArray(R"({"ArmCanBaud": "250K"})") << QStringList();
}

// A document set by hand with a key the model's pages do not show is
// refused, naming the key that does the job; one the tool wrote holds every
// key and loads as it always did.
void TestConfigKeys::keysWithoutEffectAreNotTakenInSilence()
{
    QFETCH(ConverterModel, model);
    QFETCH(QByteArray, json);
    QFETCH(QStringList, named);
    Configuration config;
    config.model = model;

    const std::optional<DocumentRefusal> refusal = CConfigDocument::Load(json, config);

    QCOMPARE(bool(refusal), !named.isEmpty());
    for (const QString& name : named) {
        QVERIFY2(refusal->text.contains(name), qPrintable(refusal->text));
        QVERIFY(refusal->withoutEffect);
    }
    Configuration forced;
    forced.model = model;
    QVERIFY(!CConfigDocument::Load(json, forced, KeysWithoutEffect::Taken));

    // What the tool writes for the model, the other models' keys as a
    // converter may report them, loads unasked.
    Configuration written = Configuration::Defaults(model);
    QVERIFY(!CConfigDocument::Load(json, written, KeysWithoutEffect::Taken));
    Configuration reloaded;
    reloaded.model = model;
    QVERIFY(!CConfigDocument::Load(CConfigDocument::ToText(CConfigDocument::ToJson(written)),
                                   reloaded));
}

void TestConfigKeys::filterListIsBoundByTheTableBytes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("needed"); // 0: taken
    QTest::newRow("standard identifiers filling the table") << 0 << 1024 << 0;
    QTest::newRow("as many extended ones") << 2 << 1024 << 4096;
    QTest::newRow("one extended identifier too many") << 2 << 513 << 2052;
    QTest::newRow("extended identifiers filling the table") << 2 << 512 << 0;
}

// The table holds 2048 bytes, whatever the count of entries: a list that
// does not fit would lose entries at the write, in silence.
void TestConfigKeys::filterListIsBoundByTheTableBytes()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(int, needed);
    QJsonArray filters;
    for (int index = 0; index < count; ++index) {
        const QString id = QStringLiteral("0x%1").arg(0x100 + index, 0, 16);
        filters.append(QJsonObject{{QStringLiteral("kind"), kind},
                                   {QStringLiteral("start"), id},
                                   {QStringLiteral("end"), id}});
    }
    Configuration config;
    config.model = ConverterModel::OstrelX;

    const std::optional<DocumentRefusal> refusal =
        CConfigDocument::Load(QJsonObject{{QLatin1String(ConfigKeys::kFilters), filters}}, config);

    QCOMPARE(bool(refusal), needed > 0);
    if (refusal) {
        QVERIFY2(refusal->text.contains(QString::number(needed)), qPrintable(refusal->text));
        QVERIFY2(refusal->text.contains(QStringLiteral("2048")), qPrintable(refusal->text));
    } else {
        QCOMPARE(config.armCan.m_filters.size(), count);
    }
}

namespace {

QString PageName(KeyPage page)
{
    switch (page) {
    case KeyPage::Tran:
        return QStringLiteral("conversion");
    case KeyPage::Serial:
        return QStringLiteral("serial");
    case KeyPage::Can:
        return QStringLiteral("CAN");
    case KeyPage::ArmCan:
        return QStringLiteral("CAN configuration");
    case KeyPage::None:
        break;
    }
    return QStringLiteral("-");
}

QString ValueName(const ConfigKey& key)
{
    const qint64 classic = key.Range(ConverterModel::OstrelA).second;
    const qint64 x = key.Range(ConverterModel::OstrelX).second;
    switch (key.kind) {
    case KeyKind::List:
        return classic == x ? QStringLiteral("list, 0..%1").arg(x)
                            : QStringLiteral("list, 0..%1 (X: 0..%2)").arg(classic).arg(x);
    case KeyKind::Box:
        return QStringLiteral("0 or 1");
    case KeyKind::Byte:
        return QStringLiteral("0..255");
    case KeyKind::HexText:
        return QStringLiteral("hex text, %1 byte(s)").arg(key.bytes);
    case KeyKind::HexPair:
        return QStringLiteral("two hex texts, %1 bytes each").arg(key.bytes);
    case KeyKind::Register:
        return QStringLiteral("register, or a rate name");
    case KeyKind::Text:
        return QStringLiteral("text");
    case KeyKind::Flag:
        return QStringLiteral("true or false");
    case KeyKind::FilterList:
        return QStringLiteral("filter entries, at most %1 table bytes").arg(x);
    case KeyKind::Model:
        return QStringLiteral("0..%1").arg(x);
    case KeyKind::Marker:
        return QStringLiteral("\"kelvane-config/1\"");
    case KeyKind::PortIndex:
        return QStringLiteral("0..%1").arg(x);
    }
    return {};
}

QString ModelsOf(const ConfigKey& key)
{
    if (key.shownOnClassic && key.shownOnX)
        return QStringLiteral("all");
    return key.shownOnX ? QStringLiteral("X") : QStringLiteral("A, B");
}

QString Place(const ConfigKey& key)
{
    if (key.inDocument && key.inProfile)
        return QStringLiteral("both");
    return key.inDocument ? QStringLiteral("document") : QStringLiteral("profile");
}

// The manual's table of keys, as the schema gives it.
QString KeyTable()
{
    QString table =
        QStringLiteral("| Key | Page | Value | Models | Kept in |\n|---|---|---|---|---|\n");
    for (const ConfigKey& key : ConfigKeys::All())
        table +=
            QStringLiteral("| `%1` | %2 | %3 | %4 | %5 |\n")
                .arg(key.Name(), PageName(key.page), ValueName(key), ModelsOf(key), Place(key));
    return table;
}

QString Manual()
{
    QString manual;
    const QDir top(QStringLiteral(KELVANE_SOURCE_DIR));
    QStringList pages{top.filePath(QStringLiteral("README.md"))};
    for (const QFileInfo& page :
         QDir(top.filePath(QStringLiteral("docs"))).entryInfoList({QStringLiteral("*.md")}))
        pages << page.filePath();
    for (const QString& path : pages) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            manual += QString::fromUtf8(file.readAll());
    }
    return manual;
}

} // namespace

// The manual's table of keys is the schema's, to the letter; on a change,
// paste the table this prints.
void TestConfigKeys::manualNamesEveryKey()
{
    const QString table = KeyTable();
    const bool shown = Manual().contains(table);
    if (!shown)
        qInfo().noquote() << table;
    QVERIFY(shown);
}

KELVANE_SANDBOXED_TEST_MAIN(TestConfigKeys)
#include "tst_ConfigKeys.moc"
