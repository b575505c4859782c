#include "CStalledFileSystem.h"
#include "PortHolders.h"

#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>

#include <memory>

class TestPortHolders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void namesTheHolder_data();
    void namesTheHolder();
    void stopsWhenTold();

private:
    std::unique_ptr<QTemporaryFile> m_device;
    QProcess m_holder;
};

// Any file will do for a device: the search looks at what processes hold open.
void TestPortHolders::init()
{
    m_device = std::make_unique<QTemporaryFile>();
    QVERIFY(m_device->open());
    m_holder.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("exec sleep 600 < \"$0\""), m_device->fileName()});
    QVERIFY(m_holder.waitForStarted());
    QTRY_VERIFY(!PortHolders::Open(m_device->fileName()).holders.isEmpty());
}

void TestPortHolders::cleanup()
{
    m_holder.kill();
    m_holder.waitForFinished();
    m_device.reset();
}

void TestPortHolders::namesTheHolder_data()
{
    QTest::addColumn<bool>("stalled");
    QTest::newRow("every file system answers") << false;
    // Another process holds a file there; following its descriptor would
    // wait for ever.
    QTest::newRow("a file system does not answer") << true;
}

void TestPortHolders::namesTheHolder()
{
    QFETCH(bool, stalled);
    std::unique_ptr<CStalledFileSystem> fileSystem;
    if (stalled) {
        fileSystem = std::make_unique<CStalledFileSystem>();
        if (!fileSystem->Unavailable().isEmpty())
            QSKIP(qPrintable(fileSystem->Unavailable()));
        fileSystem->Stall();
    }

    for (const PortHolderSearch& search :
         {PortHolders::Open(m_device->fileName()), PortHolders::Find(m_device->fileName())}) {
        QVERIFY(search.complete);
        QCOMPARE(search.holders.size(), 1);
        QCOMPARE(search.holders.at(0).pid, m_holder.processId());
        QCOMPARE(search.holders.at(0).name, QStringLiteral("sleep"));
    }
}

void TestPortHolders::stopsWhenTold()
{
    int asked = 0;
    const PortHolderSearch search = PortHolders::Find(m_device->fileName(), [&asked] {
        ++asked;
        return true;
    });

    QCOMPARE(asked, 1);
    QVERIFY(!search.complete);
    QVERIFY(search.holders.isEmpty());
}

QTEST_GUILESS_MAIN(TestPortHolders)
#include "tst_PortHolders.moc"
