#pragma once

#include <QByteArray>
#include <QString>

// Where read puts its document. A regular file (or a new one) is replaced
// atomically, and only when every byte has reached the disk: on any failure
// the earlier file stays as it was. Anything else (a terminal, /dev/stdout,
// a FIFO) is written through, as replacing a device node by a file is never
// what was meant. Every write, the flush and the rename are checked.
class COutputFile
{
public:
    explicit COutputFile(const QString& path);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Opened before the converter is asked, so that an output that cannot be
    // written costs no exchange.
    bool Open();
    bool Write(const QByteArray& bytes);
    // Makes the written bytes the file's contents; false, with the earlier
    // file intact, when they could not be made so.
    bool Commit();
    QString FileName() const { return m_path; }
    QString ErrorString() const { return m_error; }

private:
    bool Fail(int error);
    void Discard();

    QString m_path;
    QByteArray m_target;    // the file that gets replaced, symbolic links followed
    QByteArray m_temporary; // empty when written through
    int m_fd = -1;
    QString m_error;
};
