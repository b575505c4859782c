#pragma once

#include <QString>

// Where the flows and pages send the messages a user must see. The window
// shows each as a modal box with one OK button; the command line prints it;
// tests record it.
class CMessageSink
{
public:
    virtual ~CMessageSink() = default;
    virtual void ShowMessage(const QString& caption, const QString& text) = 0;
};
