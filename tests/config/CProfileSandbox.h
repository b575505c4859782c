#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the user's settings at a fresh directory; the first QSettings of the
// process must come after it.
class CProfileSandbox
{
public:
    CProfileSandbox();
    bool IsValid() const { return m_dir.isValid(); }
    QString Path() const { return m_dir.path(); }
    // A profile name no other test of the run has used.
    static QString UniqueName();

private:
    QTemporaryDir m_dir;
};
