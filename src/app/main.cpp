#include "CKelvaneApp.h"

int main(int argc, char* argv[])
{
    CKelvaneApp app(argc, argv);
    return app.Run();
}
