#pragma once

#include "CanFields.h"
#include "ConverterModel.h"
#include "PortNames.h"
#include "SerialFields.h"
#include "TranFields.h"

#include <QSettings>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>

#include <memory>
#include <optional>

struct ArmCanFields;

// The selector's values kept in the profile.
struct ProfileSelection
{
    ConverterModel model = ConverterModel::OstrelX;
    int configPort = 0;
};

// The per-user profile of last-used values: section "Kelvane" of the native
// settings store of organisation "应用程序向导生成的本地应用程序" and the
// application's name; on Linux the file
// $XDG_CONFIG_HOME/应用程序向导生成的本地应用程序/<application>.conf. The same
// file holds the port map (section "Ports"), which the tool only reads.
//
// Loading keeps the window's order: Load (keys CanBaudrate to ConfigPort),
// then the sheet switches its pages for the device type, then
// LoadArmCan. Saving is Save followed by SaveArmCan. A missing value,
// or one of the wrong kind, yields the key's default; other values are taken
// unchanged, out-of-range indices included, and nothing in the file is fatal.
// Every save replaces the file as a whole or not at all, so a crash or a full
// disk during a save leaves the previous profile intact; a hand-edited file
// Qt cannot parse cleanly is replaced by a clean one holding every key it
// could read. A profile that is not a regular file (a FIFO) is neither read
// nor written, nor is one larger than kMaxFileBytes; one holding what the
// store cannot write back exactly (bytes that are not UTF-8) is read but
// never written.
//
// A read-only profile loads the same way but leaves the file alone: its saves
// do nothing and report success, for a caller that runs the window's commands
// without its values becoming the user's last-used ones.
class CProfile
{
public:
    // Well above any profile the tool writes (about 1 KiB); a larger file is
    // not read at all. Below it, a save (which parses the file twice) holds
    // the window for a fraction of a second at most.
    static constexpr qint64 kMaxFileBytes = 256 * 1024;

    // A profile file the tool leaves untouched: never written, and, when
    // unread, not even read (the values are the defaults).
    struct Untouched
    {
        bool unread = false;
        QString why; // for the user, once
    };

    static QString OrganizationName();

    // An empty name stands for QCoreApplication::applicationName(), which is
    // the executable's base name unless the application set another.
    explicit CProfile(const QString& applicationName = QString());
    static CProfile ReadOnly(const QString& applicationName = QString());
    // A profile whose saves are held back in memory, for a command whose end
    // decides whether they count: CommitTo then writes them to another
    // profile's file as one save, or they are dropped with the profile.
    static CProfile Deferred(const QString& applicationName = QString());
    // The held-back saves into target's store; true when there were none.
    bool CommitTo(CProfile& target) const;
    // The held-back saves, for CommitHeld on a profile made elsewhere.
    const QVariantMap& Held() const { return m_held; }
    // Saves what a deferred profile held back, as one save.
    bool CommitHeld(const QVariantMap& held);

    // The store itself, for the tests. Writes go through the Save functions,
    // which alone guard the file (and keep a read-only profile unwritten).
    QSettings& Settings() { return *m_settings; }
    const QSettings& Settings() const { return *m_settings; }
    QString FileName() const { return m_settings->fileName(); }
    // Set when the file is too large, holds what a save could not write
    // back exactly, or a save would have made it too large; its saves then
    // do nothing and return false.
    const std::optional<Untouched>& LeftUntouched() const { return m_untouched; }

    ProfileSelection Load(CanFields& can, SerialFields& serial, TranFields& tran) const;
    // The CAN configuration page's keys: ArmCanBaud, the CAN ID, frame type,
    // filtering box and filter list, with the block members made to match,
    // so that the page shows them as a read would. A filter list that is
    // damaged, or would not fit the table, loads as an empty one.
    void LoadArmCan(ArmCanFields& armCan) const;
    // Each returns false when the store could not be written; SaveFailure
    // then says why, naming the file.
    bool Save(CanFields can, SerialFields serial, TranFields tran,
              const ProfileSelection& selection);
    bool SaveArmCan(const ArmCanFields& armCan);
    QString SaveFailure() const { return m_saveFailure; }
    // The port map, kept in section "Ports" under the slots' names ("COM1");
    // only the user's own choice in the window writes an entry, and an empty
    // path removes it.
    PortMap LoadPortMap() const;
    bool SavePortPath(int portIndex, const QString& path);
    // Takes in what another program (or the user's editor) changed in the
    // file since it was read.
    void Reload();

    // The folder of the configuration file last exported or imported, kept
    // apart from the parameter keys; empty before the first.
    QString ConfigFolder() const;
    bool SaveConfigFolder(const QString& folder);
    // The size the window last measured its tabs at, with what it measured
    // them for (fonts, language, screen); also apart from the parameter keys.
    // Invalid when none was kept for fittedFor.
    QSize TabsSize(const QString& fittedFor) const;
    bool SaveTabsSize(const QSize& size, const QString& fittedFor);

    // The key ArmCanBaud on any store, for the device-type-2 page: a missing
    // value, or one that is not a 32-bit integer, gives 0x003AC00B.
    static quint32 ReadArmCanBaud(const QSettings& settings);
    static void WriteArmCanBaud(QSettings& settings, quint32 btr);

    // A port index outside the selector's list (only a damaged profile holds
    // one) becomes the first entry.
    static int ConfinePortIndex(int portIndex);

private:
    CProfile(const QString& applicationName, bool readOnly);
    static QString PortKey(int portIndex);
    // Saves the parameter keys, or holds them back in a deferred profile.
    bool WriteKeys(const QVariantMap& changes);
    // Writes the changes into the file, within kMaxFileBytes.
    bool Store(const QVariantMap& changes);

    std::optional<Untouched> m_untouched;
    std::unique_ptr<QSettings> m_settings;
    bool m_readOnly = false;
    bool m_deferred = false;
    QVariantMap m_held;
    QString m_saveFailure;
};
