#include "CFontWarmUp.h"

#include <fontconfig/fontconfig.h>

// Qt's font database reads the same configuration on first use; fontconfig
// makes it once, whichever thread comes first, and shares it.
CFontWarmUp::CFontWarmUp() : m_thread([] { FcInit(); }) {}

CFontWarmUp::~CFontWarmUp()
{
    m_thread.join();
}
