#include "CBatchReport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

BatchRun Run()
{
    return {QStringLiteral("line 4.json"), QStringLiteral("ab12"), QStringLiteral("Ostrel-X"),
            QStringLiteral("station-3"), QStringLiteral("2.1.0")};
}

PortOutcome Outcome(PortOutcome::Result result, const QString& reason = {})
{
    PortOutcome outcome;
    outcome.port = QStringLiteral("COM4");
    outcome.device = QStringLiteral("/dev/ttyUSB3");
    outcome.model = result == PortOutcome::Result::Ok ? QStringLiteral("Ostrel-X") : QString();
    outcome.serialNumber = QStringLiteral("A10K");
    outcome.result = result;
    outcome.reason = reason;
    return outcome;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestBatchReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellsReadBackAsWritten_data();
    void cellsReadBackAsWritten();
    void csvIsWhatSpreadsheetsRead();
    void jsonNamesTheRunAndEveryPort();
    void savesAPairOrNothing_data();
    void savesAPairOrNothing();
    void proposesANameForTheRun();
};

void TestBatchReport::cellsReadBackAsWritten_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("cell");
    QTest::newRow("plain") << QStringLiteral("设备未连接！") << QStringLiteral("设备未连接！");
    QTest::newRow("comma") << "a, b"
                           << "\"a, b\"";
    QTest::newRow("quote") << "say \"x\""
                           << "\"say \"\"x\"\"\"";
    QTest::newRow("line break") << "a\nb"
                                << "\"a\nb\"";
    // What a spreadsheet would evaluate is kept as text.
    QTest::newRow("equals") << "=1+2"
                            << "'=1+2";
    QTest::newRow("plus") << "+1+cmd"
                          << "'+1+cmd";
    QTest::newRow("minus") << "-2+3"
                           << "'-2+3";
    QTest::newRow("at") << "@SUM(A1)"
                        << "'@SUM(A1)";
    QTest::newRow("tab") << "\t=1"
                         << "'\t=1";
    QTest::newRow("carriage return") << "\r=1"
                                     << "\"'\r=1\"";
    QTest::newRow("formula with comma") << "=SUM(1,2)"
                                        << "\"'=SUM(1,2)\"";
    QTest::newRow("sign inside") << "a=b"
                                 << "a=b";
    QTest::newRow("empty") << QString() << QString();
}

void TestBatchReport::cellsReadBackAsWritten()
{
    QFETCH(QString, value);
    QFETCH(QString, cell);
    QCOMPARE(CBatchReport::CsvCell(value), cell);
}

// UTF-8 with its mark, CRLF, the time with its offset, the run on every
// line, and a port named like a formula kept as text.
void TestBatchReport::csvIsWhatSpreadsheetsRead()
{
    PortOutcome failed = Outcome(PortOutcome::Result::Cancelled, QStringLiteral("校验已取消！"));
    failed.port = QStringLiteral("=1+2");
    failed.differences = {{QStringLiteral("TranSpace"), 3, 4, ConverterModel::OstrelX},
                          {QStringLiteral("Filters[1].end"), 1, 2, ConverterModel::OstrelX}};
    failed.time = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 8), Qt::OffsetFromUTC, 8 * 3600);
    PortOutcome ok = Outcome(PortOutcome::Result::Ok);
    ok.time = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 9), Qt::OffsetFromUTC, -(5 * 3600 + 1800));

    const QByteArray csv = CBatchReport::Csv(Run(), {failed, ok});

    QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                             "port,device,model,serial_number,result,reason,differences,time,"
                             "time_zone,document,document_sha256,written_model,station,"
                             "tool_version\r\n"
                             "'=1+2,/dev/ttyUSB3,,A10K,cancelled,校验已取消！,"
                             "TranSpace Filters[1].end,2026-03-04T05:06:07,UTC+08:00,"
                             "line 4.json,ab12,Ostrel-X,station-3,2.1.0\r\n"
                             "COM4,/dev/ttyUSB3,Ostrel-X,A10K,ok,,,2026-03-04T05:06:09,UTC-05:30,"
                             "line 4.json,ab12,Ostrel-X,station-3,2.1.0\r\n"));
}

void TestBatchReport::jsonNamesTheRunAndEveryPort()
{
    PortOutcome differs = Outcome(PortOutcome::Result::Failed, QStringLiteral("有 1 个键不同"));
    differs.differences = {{QStringLiteral("TranSpace"), 3, 4, ConverterModel::OstrelX}};
    differs.time = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::OffsetFromUTC, 8 * 3600);

    const QJsonObject report =
        QJsonDocument::fromJson(
            CBatchReport::Json(Run(), {differs, Outcome(PortOutcome::Result::Ok)}))
            .object();

    QCOMPARE(report.value("document").toString(), QStringLiteral("line 4.json"));
    QCOMPARE(report.value("document_sha256").toString(), QStringLiteral("ab12"));
    QCOMPARE(report.value("written_model").toString(), QStringLiteral("Ostrel-X"));
    QCOMPARE(report.value("station").toString(), QStringLiteral("station-3"));
    QCOMPARE(report.value("tool_version").toString(), QStringLiteral("2.1.0"));
    const QJsonArray ports = report.value("ports").toArray();
    QCOMPARE(ports.size(), 2);
    QCOMPARE(ports.at(0).toObject().value("result").toString(), QStringLiteral("failed"));
    QCOMPARE(ports.at(0).toObject().value("time").toString(),
             QStringLiteral("2026-03-04T05:06:07+08:00"));
    QVERIFY(ports.at(0).toObject().value("model").isNull());
    const QJsonObject difference =
        ports.at(0).toObject().value("differences").toArray().at(0).toObject();
    QCOMPARE(difference.value("key").toString(), QStringLiteral("TranSpace"));
    QCOMPARE(difference.value("got").toInt(), 4);
    QCOMPARE(ports.at(1).toObject().value("model").toString(), QStringLiteral("Ostrel-X"));
}

void TestBatchReport::savesAPairOrNothing_data()
{
    QTest::addColumn<QString>("blocked"); // made a folder, so that it cannot be written
    QTest::addColumn<QString>("failing");
    QTest::newRow("both written") << QString() << QString();
    QTest::newRow("JSON cannot be written") << "line.json"
                                            << "line.json";
    QTest::newRow("CSV cannot be written") << "line.csv"
                                           << "line.csv";
}

// An earlier pair stays whole unless both files of the new one were written.
void TestBatchReport::savesAPairOrNothing()
{
    QFETCH(QString, blocked);
    QFETCH(QString, failing);
    QTemporaryDir folder;
    const QString csv = folder.filePath(QStringLiteral("line.csv"));
    const QString json = folder.filePath(QStringLiteral("line.json"));
    const QByteArray earlier("earlier run\r\n");
    for (const QString& path : {csv, json}) {
        if (QFileInfo(path).fileName() == blocked) {
            QVERIFY(QDir(folder.path()).mkdir(blocked));
            continue;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
    }

    const auto failure =
        CBatchReport::Save(CBatchReport::BaseOf(json), Run(), {Outcome(PortOutcome::Result::Ok)});

    QCOMPARE(failure ? QFileInfo(failure->file).fileName() : QString(), failing);
    for (const QString& path : {csv, json}) {
        if (QFileInfo(path).fileName() == blocked)
            continue;
        QCOMPARE(Contents(path) == earlier, !failing.isEmpty());
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
             blocked.isEmpty() ? 2 : 1);
}

void TestBatchReport::proposesANameForTheRun()
{
    QCOMPARE(CBatchReport::ProposedName(QStringLiteral("Ostrel-X"),
                                        QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))),
             QStringLiteral("batch-Ostrel-X-20260304-050607.csv"));
    QCOMPARE(CBatchReport::BaseOf(QStringLiteral("/r/line.CSV")), QStringLiteral("/r/line"));
}

QTEST_GUILESS_MAIN(TestBatchReport)
#include "tst_BatchReport.moc"
