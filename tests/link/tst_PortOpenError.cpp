#include "PortOpenError.h"

#include <QTest>

#include <cerrno>

Q_DECLARE_METATYPE(PortOpenCause)

class TestPortOpenError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void win32ErrorsHaveTheirCause_data();
    void win32ErrorsHaveTheirCause();
    void errnoHasItsCause_data();
    void errnoHasItsCause();
};

void TestPortOpenError::win32ErrorsHaveTheirCause_data()
{
    QTest::addColumn<unsigned long>("error");
    QTest::addColumn<PortOpenCause>("cause");
    using namespace Win32Error;
    QTest::newRow("ERROR_FILE_NOT_FOUND: no such port") << kFileNotFound << PortOpenCause::Missing;
    QTest::newRow("ERROR_PATH_NOT_FOUND: no such port") << kPathNotFound << PortOpenCause::Missing;
    QTest::newRow("ERROR_INVALID_NAME: no such port") << kInvalidName << PortOpenCause::Missing;
    QTest::newRow("ERROR_ACCESS_DENIED: held or refused") << kAccessDenied << PortOpenCause::Denied;
    QTest::newRow("ERROR_SHARING_VIOLATION: held") << kSharingViolation << PortOpenCause::InUse;
    QTest::newRow("ERROR_BUSY: held") << kBusy << PortOpenCause::InUse;
    QTest::newRow("ERROR_INVALID_FUNCTION: gone") << kInvalidFunction << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_GEN_FAILURE: not working") << kGenFailure << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_BAD_UNIT: gone") << kBadUnit << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_NOT_READY: not working") << kNotReady << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_DEV_NOT_EXIST: gone") << kDevNotExist << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_NO_SUCH_DEVICE: gone") << kNoSuchDevice << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_OPERATION_ABORTED: gone")
        << kOperationAborted << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_DEVICE_NOT_CONNECTED: gone")
        << kDeviceNotConnected << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_DEVICE_REMOVED: gone") << kDeviceRemoved << PortOpenCause::NotWorking;
    QTest::newRow("ERROR_TOO_MANY_OPEN_FILES: no handle left")
        << kTooManyOpenFiles << PortOpenCause::NoDescriptor;
    QTest::newRow("ERROR_INVALID_PARAMETER: the system's text") << 87ul << PortOpenCause::Other;
    QTest::newRow("no error") << 0ul << PortOpenCause::Other;
}

void TestPortOpenError::win32ErrorsHaveTheirCause()
{
    QFETCH(unsigned long, error);
    QFETCH(PortOpenCause, cause);
    QCOMPARE(PortOpenErrors::CauseOfWin32(error), cause);
}

void TestPortOpenError::errnoHasItsCause_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<PortOpenCause>("cause");
    QTest::newRow("EACCES") << EACCES << PortOpenCause::NoPermission;
    QTest::newRow("EPERM") << EPERM << PortOpenCause::NoPermission;
    QTest::newRow("EBUSY") << EBUSY << PortOpenCause::InUse;
    QTest::newRow("EWOULDBLOCK: the lock") << EWOULDBLOCK << PortOpenCause::InUse;
    QTest::newRow("ENOENT") << ENOENT << PortOpenCause::Missing;
    QTest::newRow("ENXIO") << ENXIO << PortOpenCause::Missing;
    QTest::newRow("EIO: adapter on its way out") << EIO << PortOpenCause::NotWorking;
    QTest::newRow("EMFILE: the process has no descriptor left")
        << EMFILE << PortOpenCause::NoDescriptor;
    QTest::newRow("ENFILE: the system has none") << ENFILE << PortOpenCause::NoDescriptor;
    QTest::newRow("EINVAL") << EINVAL << PortOpenCause::Other;
}

void TestPortOpenError::errnoHasItsCause()
{
    QFETCH(int, error);
    QFETCH(PortOpenCause, cause);
    QCOMPARE(PortOpenErrors::CauseOf(error), cause);
}

QTEST_GUILESS_MAIN(TestPortOpenError)
#include "tst_PortOpenError.moc"
