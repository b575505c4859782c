#pragma once

#include <QString>
#include <QVariantMap>

class QSettings;

namespace SafeSettingsSync {
// Writes the store's own keys and values, `changes` ("Group/Key" -> value)
// applied (an invalid value removes its key), and returns false when they
// could not be written. A file store is
// written as a whole new file beside the old one, read back, and only then
// renamed over it: Qt does not notice when its own write was cut short (a
// full disk, a file size limit), and refuses to rewrite a file it could not
// parse cleanly (a byte-order mark, a stray line), so the store never writes
// its file itself. The new file holds every key the store could read, other
// sections included; the old file stays untouched until the rename and is
// kept whole on any failure. A profile that is not a regular file is never
// written, nor one whose new file would be larger than maxFileBytes (when
// positive). Stores that are not files (the Windows registry) take the
// changes as they are. On failure, why says what went wrong, for the user.
enum class Result
{
    Written,
    TooLarge, // the new file would exceed maxFileBytes
    Failed,
};
Result Write(QSettings& settings, const QVariantMap& changes, qint64 maxFileBytes = 0,
             QString* why = nullptr);
} // namespace SafeSettingsSync
