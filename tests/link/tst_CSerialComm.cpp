#include "CPtyPair.h"
#include "CSerialComm.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <thread>
#include <vector>

#include <dirent.h>

#include <sys/resource.h>
#include <termios.h>

namespace {

constexpr quint32 kBaudRate = 19200;

bool OpenPort(CSerialComm& port, const CPtyPair& pty)
{
    return port.Open(pty.slavePath(), kBaudRate, 8, 0, 0);
}

QByteArray ReadPort(CSerialComm& port, int count, int timeoutMs)
{
    QByteArray buffer(count, '\0');
    const int received = port.Read(buffer.data(), count, timeoutMs);
    return buffer.left(received);
}

qint64 CpuTimeMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// -1 where the system does not list them.
int OpenDescriptors()
{
    DIR* directory = ::opendir("/proc/self/fd");
    if (directory == nullptr)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(directory))
        if (entry->d_name[0] != '.')
            ++count;
    ::closedir(directory);
    return count;
}

QByteArray EveryByteValue()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(static_cast<char>(value));
    return bytes;
}

} // namespace

class TestCSerialComm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openFailsOnWhatIsNoSerialPort_data();
    void openFailsOnWhatIsNoSerialPort();
    void openIsExclusive();
    void closeIsIdempotentAndDestructionReleases();
    void lineSettingsAreRawAndRestoredAtClose();
    void lineIsTransparentBothWays();
    void readReturnsWhatHasArrived();
    void readTimeOutsLastUntilChanged();
    void writeDiscardsPendingInputEvenWhenEmpty();
    void writeGivesUpAtItsTimeOut();
    void hungUpLineEndsReadsAtOnceWithoutSpinning();
    void cancelWakesTheWaitUntilCleared();
    void descriptorsComeWithTheOpen();

private:
    std::unique_ptr<CPtyPair> m_pty;
};

void TestCSerialComm::init()
{
    m_pty = std::make_unique<CPtyPair>();
    QVERIFY(m_pty->IsValid());
}

void TestCSerialComm::cleanup()
{
    m_pty.reset();
}

void TestCSerialComm::openFailsOnWhatIsNoSerialPort_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("missing") << QStringLiteral("/dev/kelvane-no-such-port");
    QTest::newRow("not a terminal") << QStringLiteral("/dev/null");
    QTest::newRow("directory") << QStringLiteral("/dev");
}

void TestCSerialComm::openFailsOnWhatIsNoSerialPort()
{
    QFETCH(QString, name);
    CSerialComm port;
    QVERIFY(!port.Open(name, kBaudRate, 8, 0, 0));
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.Read(nullptr, 0, 10), 0);
    port.Write("x", 1, 10);
    QVERIFY(port.Close());
}

void TestCSerialComm::openIsExclusive()
{
    CSerialComm first;
    QVERIFY(OpenPort(first, *m_pty));
    QVERIFY(first.IsOpen());
    QVERIFY2(!OpenPort(first, *m_pty), "an open port opened again");
    QVERIFY(first.IsOpen());

    CSerialComm second;
    QVERIFY2(!OpenPort(second, *m_pty), "a port held by another object was opened");
    QVERIFY(!second.IsOpen());

    first.Close();
    QVERIFY(OpenPort(second, *m_pty));
}

void TestCSerialComm::closeIsIdempotentAndDestructionReleases()
{
    CSerialComm port;
    QVERIFY(port.Close());
    QVERIFY(OpenPort(port, *m_pty));
    QVERIFY(port.Close());
    QVERIFY(!port.IsOpen());
    QVERIFY(port.Close());
    QVERIFY(!port.IsOpen());

    {
        CSerialComm scoped;
        QVERIFY(OpenPort(scoped, *m_pty));
    }
    QVERIFY2(OpenPort(port, *m_pty), "a destroyed port still held the line");
}

void TestCSerialComm::lineSettingsAreRawAndRestoredAtClose()
{
    termios cooked{};
    QCOMPARE(::tcgetattr(m_pty->slaveFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST;
    ::cfsetospeed(&cooked, B9600);
    ::cfsetispeed(&cooked, B9600);
    QCOMPARE(::tcsetattr(m_pty->slaveFd(), TCSANOW, &cooked), 0);

    CSerialComm port;
    QVERIFY(port.Open(m_pty->slavePath(), 57600, 8, 0, 0));
    termios raw{};
    QCOMPARE(::tcgetattr(m_pty->slaveFd(), &raw), 0);
    QCOMPARE(raw.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    QCOMPARE(raw.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP), tcflag_t(0));
    QCOMPARE(raw.c_oflag & OPOST, tcflag_t(0));
    QCOMPARE(raw.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(raw.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    QCOMPARE(raw.c_cflag & (CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(::cfgetospeed(&raw), speed_t(B57600));

    port.Close();
    termios restored{};
    QCOMPARE(::tcgetattr(m_pty->slaveFd(), &restored), 0);
    QCOMPARE(restored.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(ICANON | ECHO | ISIG));
    QCOMPARE(restored.c_iflag & (ICRNL | IXON), tcflag_t(ICRNL | IXON));
    QCOMPARE(::cfgetospeed(&restored), speed_t(B9600));
}

void TestCSerialComm::lineIsTransparentBothWays()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));
    const QByteArray bytes = EveryByteValue();

    port.Write(bytes.constData(), int(bytes.size()), 500);
    QCOMPARE(m_pty->Receive(int(bytes.size()) + 1, 200), bytes);

    m_pty->Send(bytes);
    QVERIFY(m_pty->WaitForPending(int(bytes.size()), 2000));
    QByteArray received;
    while (received.size() < bytes.size()) {
        const QByteArray part = ReadPort(port, int(bytes.size()), 500);
        if (part.isEmpty())
            break;
        received += part;
    }
    QCOMPARE(received, bytes);
}

void TestCSerialComm::readReturnsWhatHasArrived()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));

    m_pty->Send("abc");
    QCOMPARE(port.Read(nullptr, 0, 1000), 0);
    QVERIFY(m_pty->WaitForPending(3, 2000));
    QCOMPARE(ReadPort(port, 0, 1000), QByteArray());
    QCOMPARE(ReadPort(port, 2, 5000), QByteArray("ab"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ReadPort(port, 64, 5000), QByteArray("c"));
    QVERIFY2(clock.elapsed() < 2500, "waiting bytes were held back");

    std::thread lateSender([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        m_pty->Send("de");
    });
    clock.restart();
    const QByteArray late = ReadPort(port, 64, 5000);
    lateSender.join();
    QVERIFY(late == "de" || late == "d");
    QVERIFY2(clock.elapsed() < 2500, "the first bytes were held back until the time-out");
}

void TestCSerialComm::readTimeOutsLastUntilChanged()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));
    char byte = 0;
    QElapsedTimer clock;

    clock.start();
    QCOMPARE(port.Read(&byte, 1, 0), 0);
    QVERIFY2(clock.elapsed() >= 950, "a first time-out of 0 did not mean 1000 ms");

    // Short, so that a busy machine's lateness cannot make it look like the
    // first time-out's 1000 ms.
    clock.restart();
    QCOMPARE(port.Read(&byte, 1, 50), 0);
    QVERIFY(clock.elapsed() >= 45);

    clock.restart();
    QCOMPARE(port.Read(&byte, 1, 0), 0);
    const qint64 kept = clock.elapsed();
    QVERIFY2(kept >= 45 && kept < 900, "a time-out of 0 did not keep the last one");
}

void TestCSerialComm::writeDiscardsPendingInputEvenWhenEmpty()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));

    m_pty->Send("stale reply");
    QVERIFY(m_pty->WaitForPending(11, 2000));
    port.Write("\xF7\xF8", 2, 100);
    QCOMPARE(m_pty->Receive(3, 200), QByteArray("\xF7\xF8"));
    QCOMPARE(ReadPort(port, 64, 100), QByteArray());

    m_pty->Send("stale again");
    QVERIFY(m_pty->WaitForPending(11, 2000));
    port.Write(nullptr, 0, 100);
    QCOMPARE(ReadPort(port, 64, 100), QByteArray());
    QCOMPARE(m_pty->Receive(1, 100), QByteArray());
}

void TestCSerialComm::writeGivesUpAtItsTimeOut()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));
    // Far more than the pseudo-terminal holds while nobody reads the far end.
    const QByteArray flood(4 * 1024 * 1024, 'x');
    QElapsedTimer clock;
    clock.start();
    port.Write(flood.constData(), int(flood.size()), 300);
    QVERIFY(clock.elapsed() >= 295);
    QVERIFY2(clock.elapsed() < 5000, "a write blocked past its time-out");
}

void TestCSerialComm::hungUpLineEndsReadsAtOnceWithoutSpinning()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));
    constexpr int kTimeoutMs = 1500;
    char buffer[64];
    QElapsedTimer clock;
    const qint64 cpuBefore = CpuTimeMs();
    clock.start();

    std::thread hangUp([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_pty->HangUp();
    });
    const int duringWait = port.Read(buffer, sizeof buffer, kTimeoutMs);
    hangUp.join();
    QCOMPARE(duringWait, 0);

    for (int call = 0; call < 5; ++call) {
        QCOMPARE(port.Read(buffer, sizeof buffer, kTimeoutMs), 0);
        port.Write("x", 1, kTimeoutMs);
    }
    QVERIFY2(CpuTimeMs() - cpuBefore < 300, "reads on a dead line burnt the processor");
    QVERIFY2(clock.elapsed() < kTimeoutMs, "reads on a dead line waited for their time-out");
    QVERIFY(port.IsOpen());
    port.Close();
    QVERIFY(!port.IsOpen());
}

// Another thread cancels a read waiting on a silent line and, later, a
// pause: each ends at once, and so does every call until the cancel is
// cleared; the port then waits and reads as before.
void TestCSerialComm::cancelWakesTheWaitUntilCleared()
{
    CSerialComm port;
    QVERIFY(OpenPort(port, *m_pty));
    constexpr int kTimeoutMs = 3000;
    char buffer[64];
    QElapsedTimer clock;
    clock.start();
    std::thread canceller([&port] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        port.Cancel();
    });
    QCOMPARE(port.Read(buffer, sizeof buffer, kTimeoutMs), 0);
    canceller.join();
    QVERIFY(port.IsCancelled());
    QVERIFY(!port.Pause(kTimeoutMs));
    m_pty->Send("late");
    QCOMPARE(port.Read(buffer, sizeof buffer, kTimeoutMs), 0);
    QVERIFY2(clock.elapsed() < kTimeoutMs, "a cancelled port kept waiting");

    port.ClearCancel();
    QVERIFY(!port.IsCancelled());
    QCOMPARE(port.Read(buffer, sizeof buffer, kTimeoutMs), 4);
    canceller = std::thread([&port] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        port.Cancel();
    });
    clock.restart();
    QVERIFY(!port.Pause(kTimeoutMs));
    canceller.join();
    QVERIFY2(clock.elapsed() < kTimeoutMs, "a cancel did not end the pause");
    port.ClearCancel();
    QVERIFY(port.Pause(1));
}

// A port costs no descriptor until it opens, so that many ports made at once
// leave the descriptors to those that open; once open it costs three at
// most: its own and the pipe that lets a cancel wake it. A cancel before the
// first open still keeps the port closed.
void TestCSerialComm::descriptorsComeWithTheOpen()
{
    constexpr int kPorts = 8;
    std::vector<std::unique_ptr<CPtyPair>> ptys;
    for (int index = 0; index < kPorts; ++index) {
        ptys.push_back(std::make_unique<CPtyPair>());
        QVERIFY(ptys.back()->IsValid());
    }
    const int before = OpenDescriptors();
    if (before < 0)
        QSKIP("the system does not list a process's descriptors");

    std::vector<std::unique_ptr<CSerialComm>> ports;
    for (int index = 0; index < kPorts; ++index)
        ports.push_back(std::make_unique<CSerialComm>());
    ports.front()->Cancel();
    QVERIFY(!OpenPort(*ports.front(), *ptys.front()));
    ports.front()->ClearCancel();
    QCOMPARE(OpenDescriptors(), before);

    for (int index = 0; index < kPorts; ++index)
        QVERIFY(OpenPort(*ports.at(index), *ptys.at(index)));
    QVERIFY(OpenDescriptors() - before <= 3 * kPorts);
}

QTEST_GUILESS_MAIN(TestCSerialComm)
#include "tst_CSerialComm.moc"
