#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

// Points the user's settings at a fresh directory, so no test ever reads or
// writes the user's own profile. The first QSettings of the process, and for
// widget tests the application object, must come after it.
class CProfileSandbox
{
public:
    CProfileSandbox();
    CProfileSandbox(const CProfileSandbox&) = delete;
    CProfileSandbox& operator=(const CProfileSandbox&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    QString Path() const { return m_dir.path(); }
    // A profile name no other test of the run has used.
    static QString UniqueName();
    // Replaces the application's profile by exactly these values
    // ("Group/Key" -> value).
    static void Write(const QVariantMap& values);

private:
    QTemporaryDir m_dir;
};

// A Qt Test main() that runs TestObject inside the sandbox.
#define KELVANE_SANDBOXED_TEST_MAIN(TestObject)                                                    \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        CProfileSandbox sandbox;                                                                   \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// The same for a test without widgets.
#define KELVANE_SANDBOXED_GUILESS_TEST_MAIN(TestObject)                                            \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        CProfileSandbox sandbox;                                                                   \
        if (!sandbox.IsValid())                                                                    \
            return 1;                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
