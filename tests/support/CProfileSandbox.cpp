#include "CProfileSandbox.h"

#include "CProfile.h"

#include <QFile>
#include <QSettings>
#include <QUuid>
#include <QtGlobal>

CProfileSandbox::CProfileSandbox()
{
    if (!m_dir.isValid() || !qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())))
        qFatal("cannot set up a temporary profile folder");
}

QString CProfileSandbox::UniqueName()
{
    return QStringLiteral("kelvane-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

void CProfileSandbox::Write(const QVariantMap& values)
{
    CProfile profile;
    QSettings& settings = profile.Settings();
    settings.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}
