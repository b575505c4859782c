#include "SettingsStore.h"

#include <QSettings>

// The registry: no file to examine, and a save is not a file's replacement.
std::unique_ptr<QSettings> SettingsStore::Open(const QString& organization,
                                               const QString& application,
                                               std::optional<CProfile::Untouched>& untouched)
{
    untouched.reset();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization,
                                       application);
}

bool SettingsStore::IsFileStore(const QSettings& settings)
{
    return settings.format() != QSettings::NativeFormat;
}
