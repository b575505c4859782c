#include "ArmCanFields.h"
#include "CProfile.h"
#include "ConfigKeys.h"
#include "Configuration.h"
#include "FuzzCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QTemporaryDir* g_home = nullptr;

struct Values
{
    CanFields can;
    SerialFields serial;
    TranFields tran;
    ArmCanFields arm;
    ProfileSelection selection;

    void Load(const CProfile& profile)
    {
        selection = profile.Load(can, serial, tran);
        profile.LoadArmCan(arm);
    }
    bool operator==(const Values& other) const
    {
        Configuration mine{selection.model, tran, serial, can, arm};
        Configuration theirs{other.selection.model, other.tran, other.serial, other.can, other.arm};
        for (const ConfigKey& key : ConfigKeys::All())
            if (key.inProfile && key.get != nullptr && key.get(mine) != key.get(theirs))
                return false;
        return arm.m_dwBtr == other.arm.m_dwBtr && selection.model == other.selection.model &&
               selection.configPort == other.selection.configPort;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // In memory where there is such a file system: every save syncs its file.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    g_home =
        shm ? new QTemporaryDir(QStringLiteral("/dev/shm/kelvane-fuzz-XXXXXX")) : new QTemporaryDir;
    std::atexit([] { delete g_home; });
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_home->path()));
    return 0;
}

// A hand-edited profile, however damaged: loading never fails, a save gives
// a clean file, and loading that gives back exactly what was saved, the port
// map included. Only a file the tool leaves untouched is not saved.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A fresh name each time: Qt caches a parsed file by its size and time.
    static int run = 0;
    const QString name = QStringLiteral("fuzz%1").arg(++run);
    const QString path = CProfile(name).FileName();
    const auto removeFile = qScopeGuard([&path] { QFile::remove(path); });
    QDir().mkpath(QFileInfo(path).path());
    {
        QFile file(path);
        Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(BytesOf(data, size));
    }
    Values loaded;
    QString port;
    {
        CProfile profile(name);
        loaded.Load(profile);
        port = profile.LoadPortMap().PathOf(0);
        // A value the store would not write back as it was keeps the file
        // untouched.
        if (profile.LeftUntouched()) {
            Require(!profile.Save(loaded.can, loaded.serial, loaded.tran, loaded.selection));
            QFile file(path);
            Require(file.open(QIODevice::ReadOnly) && file.readAll() == BytesOf(data, size));
            return 0;
        }
        // Unless the clean file would be larger than the tool reads.
        if (!profile.Save(loaded.can, loaded.serial, loaded.tran, loaded.selection)) {
            Require(profile.LeftUntouched().has_value());
            QFile file(path);
            Require(file.open(QIODevice::ReadOnly) && file.readAll() == BytesOf(data, size));
            return 0;
        }
        Require(profile.SaveArmCan(loaded.arm));
    }
    Values reloaded;
    const CProfile again(name);
    reloaded.Load(again);
    Require(reloaded == loaded);
    // Qt may list a port in a damaged file yet not find it by name; the clean
    // file then shows it. A port it did find must stay.
    if (!port.isEmpty())
        Require(again.LoadPortMap().PathOf(0) == port);
    Require(again.Settings().status() == QSettings::NoError);
    return 0;
}
