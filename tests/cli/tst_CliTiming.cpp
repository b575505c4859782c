#include "CCliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// The commands that answer without a converter: timing and accepts.
class TestCliTiming : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void proposesARegisterForEachModel();
    void explainsARegister_data();
    void explainsARegister();
    void acceptsAnswersByItsStatus_data();
    void acceptsAnswersByItsStatus();

private:
    CCliRunner m_cli;
};

void TestCliTiming::proposesARegisterForEachModel()
{
    const CliResult result = m_cli.Run({"timing", "83.333K", "--sample-point", "87.5", "--json"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    const QJsonArray models =
        QJsonDocument::fromJson(result.out).object().value("models").toArray();
    QCOMPARE(models.size(), 3);
    const QStringList best{"05 1C", "05 1C", "1851409"};
    for (int index = 0; index < models.size(); ++index) {
        const QJsonObject first =
            models.at(index).toObject().value("proposals").toArray().first().toObject();
        QCOMPARE(first.value("register").toVariant().toString(), best.at(index));
        QCOMPARE(first.value("samplePoint").toDouble(), 87.5);
    }
}

void TestCliTiming::explainsARegister_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("firstLine");

    QTest::newRow("X as documents hold it") << QStringList{"timing", "--model", "X", "3850245"} << 0
                                            << QByteArray("3850245 (250K, 75%)");
    QTest::newRow("X as the page shows it")
        << QStringList{"timing", "-d", "X", "0x3ac00b"} << 0 << QByteArray("3850251 (125K, 75%)");
    QTest::newRow("A pair") << QStringList{"timing", "-d", "A", "01 1C"} << 0
                            << QByteArray("01 1C (250K, 87.5%)");
    QTest::newRow("A pair too short")
        << QStringList{"timing", "-d", "A", "1C"} << 2 << QByteArray();
    QTest::newRow("no rate") << QStringList{"timing", "fastK"} << 2 << QByteArray();
}

void TestCliTiming::explainsARegister()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, firstLine);
    const CliResult result = m_cli.Run(arguments);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, status);
    QCOMPARE(result.out.split('\n').first(), firstLine);
}

void TestCliTiming::acceptsAnswersByItsStatus_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("status");

    const QByteArray filters = R"({"DeviceType": 2, "Filtering": true,
        "Filters": [{"kind": 1, "start": "0x00000100", "end": "0x000001ff"}]})";
    QTest::newRow("X in the range") << filters << "1ff" << 0;
    QTest::newRow("X outside") << filters << "0x200" << 1;
    QTest::newRow("X factory values take all") << QByteArray() << "200" << 0;
    QTest::newRow("no identifier") << QByteArray() << "xyz" << 2;
    QTest::newRow("wider than 29 bits") << QByteArray() << "20000000" << 2;
}

void TestCliTiming::acceptsAnswersByItsStatus()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, id);
    QFETCH(int, status);
    QStringList arguments{"accepts", id};
    if (!document.isEmpty())
        arguments << "-i"
                  << "-";
    const CliResult result = m_cli.Run(arguments, document);
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == status, QByteArray(result.out + result.err).constData());
}

QTEST_GUILESS_MAIN(TestCliTiming)
#include "tst_CliTiming.moc"
