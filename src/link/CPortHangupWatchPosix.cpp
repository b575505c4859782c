#include "CPortHangupWatch.h"

// The port's descriptor tells of a hang-up; nothing else is needed.
std::unique_ptr<CPortHangupWatch::RemovalNotice> CPortHangupWatch::NoticeRemovals()
{
    return nullptr;
}
