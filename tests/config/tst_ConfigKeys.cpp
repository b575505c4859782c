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

KELVANE_SANDBOXED_TEST_MAIN(TestConfigKeys)
#include "tst_ConfigKeys.moc"
