#include "CLoggingSink.h"

#include <cstdio>

void CLoggingSink::ShowMessage(const QString& caption, const QString& text)
{
    m_messages.append(text);
    std::fprintf(stderr, "kelvane-screenshot: message \"%s\": %s\n", qPrintable(caption),
                 qPrintable(text));
}
