#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// Points the settings store at a temporary folder for the whole test run, so
// no test ever reads or writes the user's own profile. Must exist before the
// application object and before the first QSettings.
class CSandboxedProfile
{
public:
    CSandboxedProfile();
    CSandboxedProfile(const CSandboxedProfile&) = delete;
    CSandboxedProfile& operator=(const CSandboxedProfile&) = delete;

    // Replaces the profile by exactly these values ("Group/Key" -> value).
    static void Write(const QVariantMap& values);

private:
    QTemporaryDir m_dir;
};

// A Qt Test main() that runs TestObject inside the sandbox.
#define KELVANE_SANDBOXED_TEST_MAIN(TestObject)                                                    \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        CSandboxedProfile sandbox;                                                                 \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
