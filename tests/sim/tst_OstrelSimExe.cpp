#include "CRawPtyClient.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestOstrelSimExe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void servesUntilTerminated();
    void refusesBadOptions_data();
    void refusesBadOptions();
};

void TestOstrelSimExe::servesUntilTerminated()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("converter");
    QProcess sim;
    sim.start(OSTREL_SIM_PATH, {"--no-pacing", "--model", "B", "--link", link});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
    const QString slavePath = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(slavePath.startsWith("/dev/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), slavePath);

    {
        CRawPtyClient client;
        QVERIFY(client.open(link));
        QVERIFY(client.write(QByteArray::fromHex("F7F8020420050601 2B")));
        QCOMPARE(client.read(5, 3000), QByteArray::fromHex("F7F802131E"));
    }

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestOstrelSimExe::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown model") << QStringList{"--model", "Q"};
    QTest::newRow("negative count") << QStringList{"--drop", "-1"};
    QTest::newRow("not a number") << QStringList{"--turnaround", "soon"};
    QTest::newRow("unknown option") << QStringList{"--baud", "9600"};
    QTest::newRow("missing value") << QStringList{"--model"};
}

void TestOstrelSimExe::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QProcess sim;
    sim.start(OSTREL_SIM_PATH, arguments);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestOstrelSimExe)
#include "tst_OstrelSimExe.moc"
