#include "CKelvaneApp.h"

#include "CConverterSession.h"
#include "CExitSignals.h"
#include "CKeepOnScreen.h"
#include "CKelvaneSheet.h"
#include "CMessageBoxSink.h"
#include "CProfile.h"
#include "UiLanguage.h"

CKelvaneApp::CKelvaneApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The profile lives under this organisation and the executable's base
    // name, which Qt already uses as the application name.
    setOrganizationName(CProfile::OrganizationName());
    // Lets the desktop match the window to its menu entry and icon.
    setDesktopFileName(QStringLiteral("io.github.kelvane.Kelvane"));
    UiLanguage::Install(*this);
}

int CKelvaneApp::Run()
{
    CMessageBoxSink messages;
    CKelvaneSheet sheet(messages);
    messages.SetOwner(&sheet);
    const CKeepOnScreen keepOnScreen(sheet);
    // Logout, a closed terminal or kill end the tool as its close button
    // would, port released; a message box still open ends with it.
    CExitSignals::SetReleasePorts(&CConverterSession::ReleaseAllForSignal);
    CExitSignals exitSignals;
    connect(&exitSignals, &CExitSignals::Requested, &sheet, [&sheet](int signal) {
        sheet.EndOnSignal(signal);
        QCoreApplication::exit(sheet.ExitStatus());
    });
    sheet.exec();
    return sheet.ExitStatus();
}
