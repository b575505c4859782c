#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QFile;
class QFileInfo;

// The one way a file the user chose is written, by the window's export and
// the command line's `read -o` alike. A regular file (or a new one) is
// replaced atomically, and only once every byte has reached the disk: on any
// failure (a full disk) the earlier file stays as it was and the error says
// why. Anything else (a terminal, /dev/stdout, a device, a FIFO) is written
// through, as replacing a device node by a file is never what was meant; a
// FIFO nobody reads, or a reader that stops reading, is given up on rather
// than waited for. Temporary files a killed run left beside the target are
// removed by the next write to it.
class COutputFile
{
public:
    explicit COutputFile(const QString& path);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Opened before the bytes exist (before the converter is asked), so that
    // an output that cannot be written costs no exchange.
    bool Open();
    bool Write(const QByteArray& bytes);
    // Makes the written bytes the file's contents; false, with the earlier
    // file intact, when they could not be made so.
    bool Commit();
    QString FileName() const { return m_path; }
    QString ErrorString() const { return m_error; }

    // Open, Write and Commit in one: why the file could not be written, none
    // when it was.
    static std::optional<QString> WriteWhole(const QString& path, const QByteArray& bytes);

    // Removes what a killed run left of its temporary files beside target:
    // only names of our own pattern ("target.XXXXXX", with or without a
    // ".lock" or a second suffix), owned by this user, regular files, and last
    // changed before this process started, so a live writer's file stays.
    static void RemoveStaleTemporaries(const QString& target);

private:
    static bool OwnedByUs(const QFileInfo& file);
    bool Fail(int error);
    bool Fail(const QString& error);
    void Discard();

    QString m_path;
    QString m_error;
    bool WriteThrough(const char* bytes, size_t count);

    QByteArray m_target;           // the file that gets replaced, symbolic links followed
    QByteArray m_temporary;        // empty when written through
    int m_fd = -1;                 // POSIX
    std::unique_ptr<QFile> m_file; // Windows
};
