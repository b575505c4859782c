#include "CBatchReport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestBatchReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void csvKeepsEveryFieldWhole_data();
    void csvKeepsEveryFieldWhole();
    void savesBothFilesBesideEachOther();
};

void TestBatchReport::csvKeepsEveryFieldWhole_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << QStringLiteral("设备未连接！") << QByteArray("设备未连接！");
    QTest::newRow("comma") << QStringLiteral("a, b") << QByteArray("\"a, b\"");
    QTest::newRow("quote") << QStringLiteral("say \"x\"") << QByteArray("\"say \"\"x\"\"\"");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QByteArray("\"a\nb\"");
}

void TestBatchReport::csvKeepsEveryFieldWhole()
{
    QFETCH(QString, reason);
    QFETCH(QByteArray, field);
    const BatchOutcome outcome{QStringLiteral("COM4"),
                               QStringLiteral("/dev/ttyUSB3"),
                               {},
                               QStringLiteral("A10K"),
                               QStringLiteral("failed"),
                               reason,
                               {QStringLiteral("TranSpace"), QStringLiteral("Filters[1].end")},
                               QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 8))};

    const QByteArray csv = CBatchReport::Csv({outcome});

    QCOMPARE(csv, "port,device,model,serial_number,result,reason,differing_keys,time\r\n"
                  "COM4,/dev/ttyUSB3,,A10K,failed," +
                      field + ",TranSpace Filters[1].end,2026-03-04T05:06:07.008\r\n");
}

void TestBatchReport::savesBothFilesBesideEachOther()
{
    QTemporaryDir folder;
    const BatchOutcome ok{QStringLiteral("COM1"),
                          QStringLiteral("/dev/pts/3"),
                          QStringLiteral("Ostrel-X"),
                          {},
                          QStringLiteral("ok"),
                          {},
                          {},
                          QDateTime::currentDateTime()};
    const QString chosen = folder.filePath(QStringLiteral("line.json"));

    QVERIFY(!CBatchReport::Save(CBatchReport::BaseOf(chosen), {ok, ok}));

    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("line.csv"))));
    QFile json(chosen);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray ports = QJsonDocument::fromJson(json.readAll()).array();
    QCOMPARE(ports.size(), 2);
    QCOMPARE(ports.at(0).toObject().value("model").toString(), QStringLiteral("Ostrel-X"));
    QCOMPARE(ports.at(0).toObject().value("differing_keys").toArray().size(), 0);

    const auto failure = CBatchReport::Save(folder.filePath(QStringLiteral("missing/line")), {ok});
    QVERIFY(failure);
    QVERIFY(failure->file.endsWith(QLatin1String("missing/line.csv")));
}

QTEST_GUILESS_MAIN(TestBatchReport)
#include "tst_BatchReport.moc"
