#pragma once

#include "CProfile.h"

#include <QString>

#include <memory>
#include <optional>

class QSettings;

// Where the profile lives on this system: a file under the user's
// configuration folder on Linux, the registry on Windows.
namespace SettingsStore {
// The store of organization/application. On Linux the file is examined
// first: one too large, or holding what a save could not write back, is left
// untouched (and one too large is not read at all), and a file standing
// where a folder must be gives a store that reads nothing.
std::unique_ptr<QSettings> Open(const QString& organization, const QString& application,
                                std::optional<CProfile::Untouched>& untouched);
// Whether a save replaces a file, as opposed to writing the registry.
bool IsFileStore(const QSettings& settings);
} // namespace SettingsStore
