#include "CLoggingSink.h"

#include <cstdio>

void CLoggingSink::Show(const UserMessage& message)
{
    m_messages.append(message.text);
    std::fprintf(stderr, "kelvane-screenshot: message \"%s\": %s %s\n", qPrintable(message.caption),
                 qPrintable(message.text), qPrintable(message.detail));
}
