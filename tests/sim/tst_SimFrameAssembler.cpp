#include "CSimFrameAssembler.h"

#include <QTest>

namespace {

const QByteArray kRead = QByteArray::fromHex("F7F80301AAA7");
const QByteArray kHandshake = QByteArray::fromHex("F7F80204200508 0125");

QByteArray canBlockWrite()
{
    QByteArray frame = QByteArray::fromHex("F7F804FF").append(QByteArray(2080, '\xF7'));
    quint8 check = 0;
    for (const char byte : frame)
        check ^= quint8(byte);
    return frame.append(char(check));
}

QList<QByteArray> bytewise(const QByteArray& bytes)
{
    QList<QByteArray> pieces;
    for (const char byte : bytes)
        pieces.append(QByteArray(1, byte));
    return pieces;
}

} // namespace

class TestSimFrameAssembler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutsStreamIntoFrames_data();
    void cutsStreamIntoFrames();
};

void TestSimFrameAssembler::cutsStreamIntoFrames_data()
{
    using Frames = QList<QByteArray>;
    QTest::addColumn<Frames>("pieces");
    QTest::addColumn<bool>("lineFallsSilent");
    QTest::addColumn<Frames>("frames");

    const QByteArray can = canBlockWrite();
    QTest::newRow("byte by byte") << bytewise(kHandshake) << false << Frames{kHandshake};
    QTest::newRow("back to back") << Frames{kRead + kHandshake + kRead} << false
                                  << Frames{kRead, kHandshake, kRead};
    QTest::newRow("CAN block in pieces")
        << Frames{can.left(100), can.mid(100, 2000), can.mid(2100)} << false << Frames{can};
    QTest::newRow("frame inside a rejected one")
        << Frames{QByteArray::fromHex("F7F80301") + kRead} << false << Frames{kRead};
    QTest::newRow("length no request uses")
        << Frames{QByteArray::fromHex("F7F80302AAAA") + kRead} << false << Frames{kRead};
    QTest::newRow("incomplete, waiting") << Frames{kRead.chopped(1)} << false << Frames{};
    QTest::newRow("incomplete, given up") << Frames{kRead.chopped(1)} << true << Frames{};
    QTest::newRow("requests held by a false CAN block header")
        << Frames{QByteArray::fromHex("F7F804FF01") + kRead + kHandshake} << true
        << Frames{kRead, kHandshake};
    QTest::newRow("nested false headers")
        << Frames{QByteArray::fromHex("F7F805FF F7F804FF") + kRead} << true << Frames{kRead};
}

void TestSimFrameAssembler::cutsStreamIntoFrames()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(bool, lineFallsSilent);
    QFETCH(QList<QByteArray>, frames);
    CSimFrameAssembler assembler;
    QList<QByteArray> found;
    for (const QByteArray& piece : pieces)
        found.append(assembler.feed(piece));
    if (lineFallsSilent)
        found.append(assembler.expire());
    QCOMPARE(found, frames);
    QCOMPARE(assembler.hasPartialFrame(), !lineFallsSilent && pieces.back() == kRead.chopped(1));
    // Whatever happened before, the next request is heard.
    if (!assembler.hasPartialFrame())
        QCOMPARE(assembler.feed(kRead), QList<QByteArray>{kRead});
}

QTEST_GUILESS_MAIN(TestSimFrameAssembler)
#include "tst_SimFrameAssembler.moc"
