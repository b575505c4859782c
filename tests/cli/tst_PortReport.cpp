// What the command line and the station say of one port's task: the same
// names and the same JSON, whoever writes them.
#include "CBatchReport.h"
#include "CEncodedConfig.h"
#include "COstrelSimulator.h"
#include "CPortReport.h"
#include "CProfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <memory>

class TestPortReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void cancelIsCancelledEverywhere();
    void differencesGoUnderOneKey();

private:
    CPortTask Task(CPortTask::Job job, Configuration config);

    std::unique_ptr<COstrelSimulator> m_sim;
    CProfile m_profile = CProfile::ReadOnly(QStringLiteral("kelvane-test-port-report"));
};

void TestPortReport::init()
{
    SimOptions options;
    options.pacing = false;
    m_sim = std::make_unique<COstrelSimulator>(options);
    QVERIFY(m_sim->start());
}

void TestPortReport::cleanup()
{
    m_sim.reset();
}

CPortTask TestPortReport::Task(CPortTask::Job job, Configuration config)
{
    return CPortTask(job, QStringLiteral("COM2"), m_sim->slavePath(), config,
                     CEncodedConfig::From(config), m_profile, {});
}

// A cancelled port keeps the command line's exit status, but is cancelled,
// not failed, in its line, its JSON and the station's report.
void TestPortReport::cancelIsCancelledEverywhere()
{
    CPortTask task =
        Task(CPortTask::Job::WriteAndVerify, Configuration::Defaults(ConverterModel::OstrelX));
    task.Cancel();
    task.Run();
    QCOMPARE(task.GetResult(), CPortTask::Result::Cancelled);

    QVERIFY2(CPortReport::Line(task).startsWith("COM2\tcancelled 1\t"),
             CPortReport::Line(task).constData());
    const QJsonObject line = QJsonDocument::fromJson(CPortReport::JsonLine(task)).object();
    QCOMPARE(line.value("result").toString(), QStringLiteral("cancelled"));
    QCOMPARE(line.value("status").toInt(), 1);
    const QJsonObject reported =
        QJsonDocument::fromJson(CBatchReport::Json({}, {PortOutcome::Of(task)}))
            .object()
            .value("ports")
            .toArray()
            .at(0)
            .toObject();
    QCOMPARE(reported.value("result").toString(), QStringLiteral("cancelled"));
    QCOMPARE(m_sim->requestCount(0x01), 0);
}

// A verify that finds another value: the command line's JSON and the
// station's report name it under "differences", key, expected and got alike.
void TestPortReport::differencesGoUnderOneKey()
{
    Configuration config = Configuration::Defaults(ConverterModel::OstrelX);
    config.tran.m_nFrameSpace = 9;
    CPortTask task = Task(CPortTask::Job::Verify, config);
    task.Run();
    QCOMPARE(task.GetResult(), CPortTask::Result::Differs);

    QJsonObject line = QJsonDocument::fromJson(CPortReport::JsonLine(task)).object();
    QJsonObject reported = QJsonDocument::fromJson(CBatchReport::Json({}, {PortOutcome::Of(task)}))
                               .object()
                               .value("ports")
                               .toArray()
                               .at(0)
                               .toObject();
    const QJsonArray differences = line.value("differences").toArray();
    QCOMPARE(differences.size(), 1);
    QCOMPARE(differences.at(0).toObject().value("key").toString(), QStringLiteral("TranSpace"));
    QCOMPARE(line.value("result").toString(), QStringLiteral("failed"));
    QCOMPARE(line.value("status").toInt(), 6);
    // The same object but for the exit status and the moment each was written.
    for (QJsonObject* object : {&line, &reported}) {
        object->remove(QStringLiteral("status"));
        object->remove(QStringLiteral("time"));
    }
    QCOMPARE(reported, line);
}

QTEST_GUILESS_MAIN(TestPortReport)
#include "tst_PortReport.moc"
