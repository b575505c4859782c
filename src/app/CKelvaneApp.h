#pragma once

#include <QApplication>

// Runs the one main window, the modal sheet, and ends the tool when it closes.
class CKelvaneApp : public QApplication
{
    Q_OBJECT
public:
    CKelvaneApp(int& argc, char** argv);

    int Run();
};
