#include "OpenFileLimit.h"

#include <QtTest>

#ifdef Q_OS_WIN

class TestOpenFileLimit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowsHasNoLimit() { QCOMPARE(OpenFileLimit::RaiseToHard(), -1L); }
};

#else

#include <sys/resource.h>

class TestOpenFileLimit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void softLimitRisesToTheHardOne();
};

// A process started under a soft limit below its hard one ends up with the
// hard one; a second call changes nothing.
void TestOpenFileLimit::softLimitRisesToTheHardOne()
{
    rlimit limit{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= 64)
        QSKIP("the hard limit leaves no room below it");
    rlimit lowered = limit;
    lowered.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    const long raised = OpenFileLimit::RaiseToHard();

    rlimit now{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &now), 0);
    QVERIFY(now.rlim_cur > 64);
    QCOMPARE(now.rlim_max, limit.rlim_max);
    QCOMPARE(raised, long(now.rlim_cur));
    QCOMPARE(OpenFileLimit::RaiseToHard(), raised);
}

#endif

QTEST_GUILESS_MAIN(TestOpenFileLimit)
#include "tst_OpenFileLimit.moc"
