#include "CFontWarmUp.h"

// Windows keeps its fonts registered with the system; there is nothing to
// read ahead.
CFontWarmUp::CFontWarmUp() = default;

CFontWarmUp::~CFontWarmUp() = default;
