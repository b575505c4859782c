#pragma once

#include "FrameRecord.h"

#include <QList>
#include <QString>

// The frame log in words, one line a frame, alike in the window's log view,
// its saved file and the command line's --trace.
namespace FrameLogText {
// "20:31:05.123 发送 0x02 6 字节 校验正确 F7 F8 02 01 08 F4"; a reply that
// failed says how ("被截断：12/33 字节").
QString Line(const FrameRecord& record);
QString Lines(const QList<FrameRecord>& records);
} // namespace FrameLogText
