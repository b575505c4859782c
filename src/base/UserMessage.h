#pragma once

#include <QString>

#include <utility>

// A message box's caption and text, and the detail that says why and what to
// do (empty for most), kept so that a pure check can hand its messages to the
// window or to the command line. Most say that something failed or needs
// care; a success says so, for the box's icon.
struct UserMessage
{
    enum class Kind
    {
        Warning,
        Success,
    };

    UserMessage() = default;
    UserMessage(QString caption_, QString text_, QString detail_ = {}, Kind kind_ = Kind::Warning)
        : caption(std::move(caption_)), text(std::move(text_)), detail(std::move(detail_)),
          kind(kind_)
    {}

    QString caption;
    QString text;
    QString detail;
    Kind kind = Kind::Warning;

    friend bool operator==(const UserMessage& a, const UserMessage& b)
    {
        return a.caption == b.caption && a.text == b.text && a.detail == b.detail;
    }
};
