#pragma once

#include "CMessageSink.h"

#include <QByteArray>

#include <cstdio>

// The window's message boxes as lines on standard error, "caption: text",
// and the command's output on standard output, both in UTF-8 whatever the
// locale.
class CConsoleSink : public CMessageSink
{
public:
    void ShowMessage(const QString& caption, const QString& text) override;

    // False when standard output did not take the bytes.
    static bool WriteOutput(const QByteArray& bytes);

private:
    static bool WriteAll(std::FILE* stream, const QByteArray& bytes);
};
