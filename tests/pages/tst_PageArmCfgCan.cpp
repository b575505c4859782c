#include "CArmCanConfig.h"
#include "CBitTiming.h"
#include "CBitTimingPanel.h"
#include "CFilterTestPanel.h"
#include "CPageArmCfgCan.h"
#include "CProfile.h"
#include "CRecordingSink.h"
#include "FilterKind.h"
#include "WidgetLookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QString kAppName = QStringLiteral("KelvaneTest");

QStringList Texts(const QTreeWidget* list)
{
    QStringList rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
    }
    return rows;
}

QString RowText(int kind, quint32 start, quint32 end)
{
    return FilterKinds::Text(*FilterKinds::FromIndex(kind)) + QLatin1Char('|') +
           CArmCanConfig::FormatFilterId(start) + QLatin1Char('|') +
           CArmCanConfig::FormatFilterId(end);
}

} // namespace

class TestPageArmCfgCan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAreFoundByName();
    void initialisationFollowsTheProfile_data();
    void initialisationFollowsTheProfile();
    void bitRateChoiceDrivesTheRegisterEdit();
    void enablingFollowsConnectionFilterBoxAndKind();
    void addAndDeleteKeepRowsAndEntriesTogether();
    void readBlockTicksFilteringAndShowsItsRows();
    void defaultsAndRecreationKeepTheEntries();
    void bitTimingFollowsTheRegisterText();
    void tableUseBoundsTheList();
    void filterTesterFollowsTheList();

private:
    template <typename T> T* Control(const char* name) const { return ::Control<T>(*m_page, name); }
    void Add(int kind, const QString& start, const QString& end = QString());
    void Connect();

    CRecordingSink m_sink;
    std::unique_ptr<CPageArmCfgCan> m_page;
};

void TestPageArmCfgCan::initTestCase()
{
    QCoreApplication::setApplicationName(kAppName);
}

void TestPageArmCfgCan::init()
{
    m_sink.m_messages.clear();
    m_page = std::make_unique<CPageArmCfgCan>(m_sink);
}

void TestPageArmCfgCan::cleanup()
{
    m_page.reset();
}

void TestPageArmCfgCan::Add(int kind, const QString& start, const QString& end)
{
    auto* kinds = Control<QComboBox>("kindList");
    kinds->setCurrentIndex(kind);
    Q_EMIT kinds->activated(kind);
    Control<QLineEdit>("startIdEdit")->setText(start);
    Control<QLineEdit>("endIdEdit")->setText(end);
    Control<QPushButton>("addButton")->click();
}

void TestPageArmCfgCan::Connect()
{
    m_page->EnableControls(true);
    Control<QCheckBox>("filterEnableCheck")->click();
}

void TestPageArmCfgCan::controlsAreFoundByName()
{
    const char* names[] = {"baudList",      "registerEdit",      "registerLabel", "canIdEdit",
                           "frameTypeList", "filterEnableCheck", "filterList",    "kindList",
                           "startIdEdit",   "endIdEdit",         "addButton",     "deleteButton"};
    for (const char* name : names)
        QVERIFY2(m_page->findChild<QWidget*>(QLatin1String(name)), name);
    QCOMPARE(Control<QComboBox>("baudList")->count(), 11);
    QCOMPARE(Control<QComboBox>("frameTypeList")->itemText(1), QStringLiteral("扩展帧"));
    QCOMPARE(Control<QComboBox>("kindList")->itemText(3), QStringLiteral("扩展帧组ID滤波"));
    const QTreeWidgetItem* header = Control<QTreeWidget>("filterList")->headerItem();
    QCOMPARE(header->text(0) + header->text(1) + header->text(2),
             QStringLiteral("滤波类型起始ID结束ID"));
}

void TestPageArmCfgCan::initialisationFollowsTheProfile_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("baudIndex");
    QTest::addColumn<QString>("registerText");

    QTest::newRow("missing") << QVariant() << 4 << "003ac00b";
    QTest::newRow("500K") << QVariant(0x3AC002) << 2 << "003ac002";
    QTest::newRow("matches no rate") << QVariant(0x123) << -1 << "00000123";
    QTest::newRow("top bit set") << QVariant(0xFFFFFFFFu) << -1 << "ffffffff";
    QTest::newRow("wrong kind") << QVariant(QStringLiteral("fast")) << 4 << "003ac00b";
}

void TestPageArmCfgCan::initialisationFollowsTheProfile()
{
    QFETCH(QVariant, stored);
    QFETCH(int, baudIndex);
    QFETCH(QString, registerText);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profile.ini"));
    {
        QSettings writer(path, QSettings::IniFormat);
        if (stored.isValid())
            writer.setValue(QStringLiteral("Kelvane/ArmCanBaud"), stored);
    }
    QSettings profile(path, QSettings::IniFormat);
    m_page->m_dwBtr = CProfile::ReadArmCanBaud(profile);
    m_page->OnInitDialog();

    QCOMPARE(Control<QComboBox>("baudList")->currentIndex(), baudIndex);
    QCOMPARE(Control<QLineEdit>("registerEdit")->text(), registerText);
    QVERIFY(!Control<QLineEdit>("registerEdit")->isEnabled());
    QVERIFY(!Control<QLabel>("registerLabel")->isEnabled());
    QCOMPARE(Control<QComboBox>("frameTypeList")->currentIndex(), 0);
    QVERIFY(!Control<QCheckBox>("filterEnableCheck")->isChecked());
}

void TestPageArmCfgCan::bitRateChoiceDrivesTheRegisterEdit()
{
    auto* baud = Control<QComboBox>("baudList");
    auto* edit = Control<QLineEdit>("registerEdit");
    auto* label = Control<QLabel>("registerLabel");

    baud->setCurrentIndex(3);
    Q_EMIT baud->activated(3);
    QCOMPARE(edit->text(), QStringLiteral("003ac005"));
    QVERIFY(!edit->isEnabled());

    baud->setCurrentIndex(10);
    Q_EMIT baud->activated(10);
    QCOMPARE(edit->text(), QStringLiteral("003ac005"));
    QVERIFY(edit->isEnabled());
    QVERIFY(label->isEnabled());

    edit->setText(QStringLiteral("3ac004"));
    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_dwBtr, 0x3AC004u);
    m_page->FillFromBlock();
    QCOMPARE(edit->text(), QStringLiteral("003ac004"));
    QCOMPARE(baud->currentIndex(), 10);

    // A value read back that matches a rate selects it, but the edit keeps
    // its state until the user picks from the list.
    m_page->m_dwBtr = 0x3AC00B;
    m_page->FillFromBlock();
    QCOMPARE(baud->currentIndex(), 4);
    QVERIFY(edit->isEnabled());

    edit->setText(QStringLiteral("none"));
    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_dwBtr, 0x3AC00Bu);
}

void TestPageArmCfgCan::enablingFollowsConnectionFilterBoxAndKind()
{
    const QStringList connectionControls{"frameTypeList", "filterEnableCheck"};
    const QStringList filterControls{"filterList", "kindList", "startIdEdit", "addButton",
                                     "deleteButton"};
    const auto enabled = [this](const QString& name) {
        return m_page->findChild<QWidget*>(name)->isEnabled();
    };

    m_page->EnableControls(false);
    for (const QString& name : connectionControls + filterControls + QStringList{"endIdEdit"})
        QVERIFY2(!enabled(name), qPrintable(name));
    QVERIFY(enabled(QStringLiteral("baudList")));
    QVERIFY(enabled(QStringLiteral("canIdEdit")));

    // Connecting keeps the filtering box as the page shows it, and the
    // filter controls follow it.
    auto* check = Control<QCheckBox>("filterEnableCheck");
    check->setChecked(true);
    m_page->EnableControls(true);
    QVERIFY(check->isChecked());
    for (const QString& name : filterControls)
        QVERIFY2(enabled(name), qPrintable(name));
    check->click();
    QVERIFY(!check->isChecked());
    for (const QString& name : connectionControls)
        QVERIFY2(enabled(name), qPrintable(name));
    for (const QString& name : filterControls + QStringList{"endIdEdit"})
        QVERIFY2(!enabled(name), qPrintable(name));

    check->click();
    for (const QString& name : filterControls)
        QVERIFY2(enabled(name), qPrintable(name));
    QVERIFY(!enabled(QStringLiteral("endIdEdit")));

    auto* kinds = Control<QComboBox>("kindList");
    for (int kind = 0; kind < 4; ++kind) {
        kinds->setCurrentIndex(kind);
        Q_EMIT kinds->activated(kind);
        QCOMPARE(enabled(QStringLiteral("endIdEdit")), kind % 2 == 1);
    }

    check->click();
    for (const QString& name : filterControls + QStringList{"endIdEdit"})
        QVERIFY2(!enabled(name), qPrintable(name));
    check->click();
    QVERIFY(enabled(QStringLiteral("endIdEdit")));
}

void TestPageArmCfgCan::addAndDeleteKeepRowsAndEntriesTogether()
{
    Connect();
    auto* list = Control<QTreeWidget>("filterList");
    auto* remove = Control<QPushButton>("deleteButton");

    Add(0, QStringLiteral("10"), QStringLiteral("not hex"));
    Add(1, QStringLiteral("5"), QStringLiteral("5"));
    QCOMPARE(m_sink.m_messages,
             (QList<UserMessage>{{kAppName, QStringLiteral("起始ID必须小于结束ID！")}}));
    Add(1, QStringLiteral("0x100"), QStringLiteral("1ff"));
    Add(0, QStringLiteral("10"));
    Add(0, QString());
    Add(3, QStringLiteral("12345"), QStringLiteral("12400"));
    QCOMPARE(Texts(list), (QStringList{RowText(3, 0x12345, 0x12400), RowText(1, 0x100, 0x1FF),
                                       RowText(0, 0x10, 0x10)}));
    QCOMPARE(m_page->m_filters,
             (QList<FilterEntry>{{0, 0x10, 0x10}, {0, 0x100, 0x1FF}, {1, 0x12345, 0x12400}}));
    QCOMPARE(m_sink.m_messages.size(), 1);

    list->clearSelection();
    remove->click();
    QCOMPARE(m_sink.m_messages.last(), (UserMessage{kAppName, QStringLiteral("没有选择删除条目")}));
    QCOMPARE(list->topLevelItemCount(), 3);

    list->setCurrentItem(list->topLevelItem(1));
    remove->click();
    QCOMPARE(Texts(list), (QStringList{RowText(3, 0x12345, 0x12400), RowText(0, 0x10, 0x10)}));
    QCOMPARE(m_page->m_filters, (QList<FilterEntry>{{0, 0x10, 0x10}, {1, 0x12345, 0x12400}}));
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(0)});

    remove->click();
    QCOMPARE(Texts(list), QStringList{RowText(0, 0x10, 0x10)});
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(0)});

    remove->click();
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(m_page->m_filters.isEmpty());
    QCOMPARE(m_sink.m_messages.size(), 2);

    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_acceptance.filterMode, 0u);
    QCOMPARE(m_page->m_acceptance.tableEnd, 0u);
}

void TestPageArmCfgCan::readBlockTicksFilteringAndShowsItsRows()
{
    m_page->EnableControls(true);
    Control<QCheckBox>("filterEnableCheck")->click();
    Add(1, QStringLiteral("100"), QStringLiteral("1ff"));
    Add(1, QStringLiteral("180"), QStringLiteral("2ff"));
    Add(0, QStringLiteral("900"));
    m_page->CollectIntoBlock();
    const CanAcceptance written = m_page->m_acceptance;

    m_page->EnableControls(true);
    m_page->m_acceptance = written;
    m_page->m_nFrameType = 1;
    m_page->FillFromBlock();
    QVERIFY(Control<QCheckBox>("filterEnableCheck")->isChecked());
    QVERIFY(Control<QWidget>("filterList")->isEnabled());
    QCOMPARE(Control<QComboBox>("frameTypeList")->currentIndex(), 1);
    QCOMPARE(Texts(Control<QTreeWidget>("filterList")),
             (QStringList{RowText(1, 0x100, 0x2FF), RowText(0, 0x100, 0x100)}));
    QCOMPARE(m_page->m_filters, (QList<FilterEntry>{{0, 0x100, 0x100}, {0, 0x100, 0x2FF}}));

    m_page->m_acceptance = CanAcceptance{};
    m_page->m_nFrameType = 5;
    m_page->FillFromBlock();
    QVERIFY(!Control<QCheckBox>("filterEnableCheck")->isChecked());
    QVERIFY(!Control<QWidget>("filterList")->isEnabled());
    QCOMPARE(Control<QComboBox>("frameTypeList")->currentIndex(), -1);
    QCOMPARE(Control<QTreeWidget>("filterList")->topLevelItemCount(), 2);
}

void TestPageArmCfgCan::defaultsAndRecreationKeepTheEntries()
{
    Connect();
    Add(0, QStringLiteral("30"));
    Add(3, QStringLiteral("1000"), QStringLiteral("2000"));
    Control<QLineEdit>("canIdEdit")->setText(QStringLiteral("12345678"));

    m_page->UpdateData(true);
    CArmCanConfig::ApplyDefaults(*m_page);
    m_page->UpdateData(false);
    m_page->FillFromBlock();
    QCOMPARE(Control<QLineEdit>("canIdEdit")->text(), QStringLiteral("00000000"));
    QCOMPARE(Control<QLineEdit>("registerEdit")->text(), QStringLiteral("003ac00b"));
    QVERIFY(!Control<QCheckBox>("filterEnableCheck")->isChecked());
    QCOMPARE(Control<QTreeWidget>("filterList")->topLevelItemCount(), 2);

    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_acceptance.filterMode, 2u);
    QCOMPARE(m_page->m_acceptance.tableEnd, 0u);
    Control<QCheckBox>("filterEnableCheck")->click();
    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_acceptance.tableEnd, 12u);

    // The window made anew lists what the page still holds.
    m_page->m_acceptance = CanAcceptance{};
    m_page->OnInitDialog();
    QCOMPARE(Texts(Control<QTreeWidget>("filterList")),
             (QStringList{RowText(3, 0x1000, 0x2000), RowText(0, 0x30, 0x30)}));
}

void TestPageArmCfgCan::bitTimingFollowsTheRegisterText()
{
    const CBitTimingPanel* panel = m_page->TimingPanel();
    QVERIFY(panel->Text().startsWith(QStringLiteral("125K，采样点 75%")));
    auto* baud = Control<QComboBox>("baudList");
    baud->setCurrentIndex(CArmCanConfig::kCustomBaudIndex);
    Q_EMIT baud->activated(CArmCanConfig::kCustomBaudIndex);
    QLineEdit* edit = Control<QLineEdit>("registerEdit");
    edit->setText(QStringLiteral("3ac00"));
    QVERIFY2(panel->Text().startsWith(QLatin1String("4000K")), qPrintable(panel->Text()));
    QTest::keyClick(edit, Qt::Key_5);
    QVERIFY(panel->Text().startsWith(QStringLiteral("250K，采样点 75%")));
    edit->setText(QStringLiteral("none"));
    QVERIFY(!panel->Timing());

    m_page->PutTiming(CBitTiming::Explain(CanController::Arm, 0x1C4011));
    QCOMPARE(baud->currentIndex(), CArmCanConfig::kCustomBaudIndex);
    QVERIFY(edit->isEnabled());
    m_page->CollectIntoBlock();
    QCOMPARE(m_page->m_dwBtr, 0x1C4011u);
}

void TestPageArmCfgCan::tableUseBoundsTheList()
{
    Connect();
    Add(0, "10");
    Add(1, "100", "1ff");
    QCOMPARE(m_page->TableUse(), QStringLiteral("过滤表已用 8 / 2048 字节"));
    ArmCanFields& fields = *m_page;
    for (quint32 id = 0; id < 510; ++id)
        fields.m_filters.append(FilterEntry{1, 0x1000 + id, 0x1000 + id});
    Add(0, "20"); // two singles 4, a range 4, 510 extended 2040: just fits
    QCOMPARE(m_page->TableUse(), QStringLiteral("过滤表已用 2048 / 2048 字节"));
    const qsizetype count = m_page->m_filters.size();
    const int rows = Control<QTreeWidget>("filterList")->topLevelItemCount();
    Add(2, "7");
    QCOMPARE(m_page->m_filters.size(), count);
    QCOMPARE(Control<QTreeWidget>("filterList")->topLevelItemCount(), rows);
    QCOMPARE(m_sink.m_messages.size(), 1);
    QVERIFY(m_sink.m_messages.constFirst().text.contains(QLatin1String("2048")));
}

void TestPageArmCfgCan::filterTesterFollowsTheList()
{
    // Connecting leaves the remembered configuration unconfirmed until the
    // user sets part of it.
    m_page->OnConnectionChanged(true);
    QVERIFY(!m_page->m_bCanConfigKnown);
    const CFilterTestPanel* tester = m_page->FilterTestPanel();
    ::Control<QLineEdit>(*tester, "idEdit")->setText(QStringLiteral("150"));
    QVERIFY(tester->Answer().contains(QStringLiteral("未使能滤波")));
    Connect();
    QVERIFY(tester->Answer().startsWith(QStringLiteral("不接收")));
    Add(1, "100", "1ff");
    QVERIFY2(tester->Answer().contains(QLatin1String("0x00000100")), qPrintable(tester->Answer()));
    QVERIFY(m_page->m_bCanConfigKnown);
    ::Control<QCheckBox>(*tester, "extendedCheck")->click();
    QVERIFY(tester->Answer().startsWith(QStringLiteral("不接收")));
}

QTEST_MAIN(TestPageArmCfgCan)
#include "tst_PageArmCfgCan.moc"
