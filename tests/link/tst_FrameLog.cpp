#include "CFrameLog.h"

#include <QTest>

// The log keeps the newest frames and drops the oldest, whatever the count.
class TestFrameLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keepsTheNewestUpToItsBound();
    void tellsItsListenerOfEachRecord();
};

void TestFrameLog::keepsTheNewestUpToItsBound()
{
    CFrameLog log;
    const int count = CFrameLog::kCapacity + 37;
    for (int index = 0; index < count; ++index)
        log.Add({index, FrameRecord::Direction::Sent, FrameRecord::Outcome::Complete,
                 QByteArray::number(index), 0, 0});
    const QList<FrameRecord> records = log.Records();
    QCOMPARE(records.size(), CFrameLog::kCapacity);
    QCOMPARE(records.first().msecsSinceEpoch, qint64(count - CFrameLog::kCapacity));
    QCOMPARE(records.last().bytes, QByteArray::number(count - 1));
    log.Clear();
    QVERIFY(log.Records().isEmpty());
}

void TestFrameLog::tellsItsListenerOfEachRecord()
{
    CFrameLog log;
    QList<QByteArray> heard;
    log.SetListener([&heard](const FrameRecord& record) { heard << record.bytes; });
    const QByteArray ack = QByteArray::fromHex("F7F802131E");
    log.Add({0, FrameRecord::Direction::Received, FrameRecord::Outcome::Complete, ack, 5, 0});
    QCOMPARE(heard, QList<QByteArray>{ack});
    QVERIFY(log.Records().first().CheckGood());
    QCOMPARE(log.Records().first().Command(), 0x02);
}

QTEST_GUILESS_MAIN(TestFrameLog)
#include "tst_FrameLog.moc"
