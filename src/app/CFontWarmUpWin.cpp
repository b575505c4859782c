#include "CFontWarmUp.h"

// Windows keeps its fonts registered with the system, picks the faces for
// Chinese text itself and hints them its own way; there is nothing to read
// ahead or to correct.
CFontWarmUp::CFontWarmUp(const QLocale&) : m_speaksChinese(false) {}

CFontWarmUp::~CFontWarmUp() = default;

void CFontWarmUp::ApplyTo(QApplication&) {}
