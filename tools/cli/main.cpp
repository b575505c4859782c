#include "CExitSignals.h"
#include "CKelvaneCli.h"
#include "CSerialComm.h"
#include "OpenFileLimit.h"
#include "UiLanguage.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    // Each port served at once holds descriptors of its own.
    OpenFileLimit::RaiseToHard();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
    UiLanguage::Install(app);
    CExitSignals::SetReleasePorts(&CSerialComm::ReleaseAllForSignal);
    CExitSignals::EndAtOnce();
    CKelvaneCli cli(QCoreApplication::arguments());
    return int(cli.Run());
}
