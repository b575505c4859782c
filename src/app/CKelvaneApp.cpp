#include "CKelvaneApp.h"

#include "CExitSignals.h"
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
    // Logout, a closed terminal or kill end the tool as its close button
    // would, port released; a message box still open ends with it.
    CExitSignals exitSignals;
    int endedBy = 0;
    connect(&exitSignals, &CExitSignals::Requested, &sheet, [&sheet, &endedBy](int signal) {
        endedBy = signal;
        sheet.close();
        QCoreApplication::exit(128 + signal);
    });
    sheet.exec();
    return endedBy == 0 ? 0 : 128 + endedBy;
}
