#include "CKelvaneApp.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "Usage: kelvane [options]\n"
    "Configures Ostrel CAN-bus/serial protocol converters: pick the model and the serial\n"
    "port, connect, read the converter's parameters onto tabbed pages, edit them and write\n"
    "them back. The last values read or written are kept in the per-user profile.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays help on commandline options.\n"
    "  -v, --version  Displays version information.\n"
    "\n"
    "Qt's standard options, such as -platform NAME or -style NAME, are also accepted.\n";

bool IsOption(const char* argument, const char* shortName, const char* longName)
{
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before the application object exists, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (IsOption(argv[i], "-h", "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (IsOption(argv[i], "-v", "--version")) {
            std::printf("kelvane %s\n", KELVANE_VERSION);
            return 0;
        }
    }
    CKelvaneApp app(argc, argv);
    return app.Run();
}
