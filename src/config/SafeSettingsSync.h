#pragma once

class QSettings;

namespace SafeSettingsSync {
// Writes the pending changes of a file-backed store and confirms that the
// file now holds exactly the store's keys and values; false when it could not
// be written. Qt writes the file through a temporary and renames it into
// place, but does not notice when that temporary was cut short (a full disk,
// a file size limit) and renames the truncated copy over the profile. So the
// previous file is kept under a second name (a hard link, which needs no disk
// space) until the new one has been read back, and is put back if the new
// one is incomplete. Stores that are not files (the Windows registry) are
// synchronised as they are.
bool Sync(QSettings& settings);
} // namespace SafeSettingsSync
