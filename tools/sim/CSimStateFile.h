#pragma once

#include "CSimConverter.h"

#include <QString>

#include <optional>

// The simulator's blocks kept in a small JSON file with hex strings, so a
// converter keeps its configuration across runs.
class CSimStateFile
{
public:
    // Nothing when the file is missing, unreadable or not a complete state.
    static std::optional<SimBlocks> Load(const QString& path);
    // Replaces the file as a whole or not at all.
    static bool Save(const QString& path, const SimBlocks& blocks);
};
