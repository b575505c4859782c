#include "CSandboxedProfile.h"

#include "CProfile.h"

#include <QFile>
#include <QtGlobal>

#include <cstdlib>

CSandboxedProfile::CSandboxedProfile()
{
    if (!m_dir.isValid() || !qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()))) {
        qFatal("cannot set up a temporary profile folder");
    }
}

void CSandboxedProfile::Write(const QVariantMap& values)
{
    CProfile profile;
    QSettings& settings = profile.Settings();
    settings.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        settings.setValue(it.key(), it.value());
    }
    settings.sync();
}
