#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A broken property ends the run at once, so that libFuzzer keeps the input
// and the corpus replay fails.
inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

inline QByteArray BytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}
