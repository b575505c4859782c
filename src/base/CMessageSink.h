#pragma once

#include "UserMessage.h"

#include <QString>

// Where the flows and pages send the messages a user must see. The window
// shows each as a modal box with one OK button, the detail as its
// informative text; the command line prints it; tests record it.
class CMessageSink
{
public:
    virtual ~CMessageSink() = default;

    void ShowMessage(const QString& caption, const QString& text, const QString& detail = {})
    {
        Show(UserMessage{caption, text, detail});
    }
    void ShowMessage(const UserMessage& message) { Show(message); }

protected:
    virtual void Show(const UserMessage& message) = 0;
};
