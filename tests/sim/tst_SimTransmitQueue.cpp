#include "CSimTransmitQueue.h"

#include <QTest>

using Clock = CSimTransmitQueue::Clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {

struct Sent
{
    QByteArray bytes;
    Clock::time_point at;
};

// Plays the queue out as the simulator would, waking exactly at each deadline.
QList<Sent> playOut(CSimTransmitQueue& queue)
{
    QList<Sent> sent;
    while (const auto due = queue.nextDue())
        sent.append({queue.takeDue(*due), *due});
    return sent;
}

QByteArray bytesOf(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i);
    return bytes;
}

} // namespace

class TestSimTransmitQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pacingKeepsToTheLine_data();
    void pacingKeepsToTheLine();
    void splitAndUnpaced();
    void repliesDoNotOverlap();
};

void TestSimTransmitQueue::pacingKeepsToTheLine_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("bitRate");
    QTest::addColumn<qint64>("totalNs");
    QTest::newRow("ack at 57600") << 5 << 57600u << 868055LL;
    QTest::newRow("parameters at 19200") << 33 << 19200u << 17187500LL;
    QTest::newRow("CAN block at 57600") << 2085 << 57600u << 361979166LL;
    QTest::newRow("CAN block at 19200") << 2085 << 19200u << 1085937500LL;
}

void TestSimTransmitQueue::pacingKeepsToTheLine()
{
    QFETCH(int, size);
    QFETCH(quint32, bitRate);
    QFETCH(qint64, totalNs);
    const Clock::time_point start{milliseconds(1000)};
    CSimTransmitQueue queue;
    queue.enqueue(bytesOf(size), start, bitRate, 0);

    const QList<Sent> sent = playOut(queue);
    QByteArray all;
    for (const Sent& chunk : sent) {
        all.append(chunk.bytes);
        // Never ahead of the line, never behind it.
        QCOMPARE(chunk.at, start + CSimTransmitQueue::TransmitTime(all.size(), bitRate));
        QVERIFY(chunk.bytes.size() <= CSimTransmitQueue::ChunkSize(bitRate));
    }
    QCOMPARE(all, bytesOf(size));
    QCOMPARE(nanoseconds(sent.back().at - start).count(), totalNs);
}

void TestSimTransmitQueue::splitAndUnpaced()
{
    const Clock::time_point start{milliseconds(1000)};
    const QByteArray reply = bytesOf(33);
    CSimTransmitQueue unpaced;
    unpaced.enqueue(reply, start, 0, 0);
    const QList<Sent> whole = playOut(unpaced);
    QCOMPARE(whole.size(), 1);
    QCOMPARE(whole.front().at, start);

    CSimTransmitQueue split;
    split.enqueue(reply, start, 0, 20);
    const QList<Sent> halves = playOut(split);
    QCOMPARE(halves.size(), 2);
    QCOMPARE(halves.at(0).bytes, reply.left(16));
    QCOMPARE(halves.at(1).at, start + milliseconds(20));

    CSimTransmitQueue pacedSplit;
    pacedSplit.enqueue(reply, start, 19200, 20);
    const QList<Sent> paced = playOut(pacedSplit);
    QCOMPARE(paced.at(16).bytes, reply.mid(16, 1));
    QCOMPARE(paced.at(16).at - paced.at(15).at,
             milliseconds(20) + CSimTransmitQueue::TransmitTime(1, 19200));
}

void TestSimTransmitQueue::repliesDoNotOverlap()
{
    const Clock::time_point start{milliseconds(1000)};
    CSimTransmitQueue queue;
    queue.enqueue(bytesOf(33), start, 57600, 0);
    queue.enqueue(bytesOf(5), start, 57600, 0);
    QCOMPARE(playOut(queue).back().at, start + CSimTransmitQueue::TransmitTime(33, 57600) +
                                           CSimTransmitQueue::TransmitTime(5, 57600));

    // Everything due by a moment comes out at once, in order.
    CSimTransmitQueue unpaced;
    unpaced.enqueue(bytesOf(10), start, 0, 0);
    unpaced.enqueue(bytesOf(3), start, 0, 0);
    QCOMPARE(unpaced.takeDue(start - nanoseconds(1)), QByteArray());
    QCOMPARE(unpaced.takeDue(start), bytesOf(10) + bytesOf(3));
    QVERIFY(unpaced.isEmpty());
}

QTEST_GUILESS_MAIN(TestSimTransmitQueue)
#include "tst_SimTransmitQueue.moc"
