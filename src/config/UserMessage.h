#pragma once

#include <QString>

// A message box's caption and text, kept so that a pure check can hand its
// messages to the window or to the command line.
struct UserMessage
{
    QString caption;
    QString text;

    friend bool operator==(const UserMessage& a, const UserMessage& b)
    {
        return a.caption == b.caption && a.text == b.text;
    }
};
