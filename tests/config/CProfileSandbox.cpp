#include "CProfileSandbox.h"

#include <QFile>
#include <QUuid>

CProfileSandbox::CProfileSandbox()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
}

QString CProfileSandbox::UniqueName()
{
    return QStringLiteral("kelvane-test-") + QUuid::createUuid().toString(QUuid::Id128);
}
