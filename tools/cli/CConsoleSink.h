#pragma once

#include "CMessageSink.h"

#include <QByteArray>

#include <cstdio>

class CTerminalProgress;

// The window's message boxes as lines on standard error, "caption: text" and
// the detail on the next line,
// and the command's output on standard output, both in UTF-8 whatever the
// locale.
class CConsoleSink : public CMessageSink
{
public:
    // False when standard output did not take the bytes.
    static bool WriteOutput(const QByteArray& bytes);
    // A progress line to clear before each message.
    void SetProgress(CTerminalProgress* progress) { m_progress = progress; }

private:
    static bool WriteAll(std::FILE* stream, const QByteArray& bytes);

    CTerminalProgress* m_progress = nullptr;

protected:
    void Show(const UserMessage& message) override;
};
