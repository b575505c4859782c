#pragma once

#include "CMessageSink.h"

#include <QPointer>
#include <QWidget>

class QMessageBox;

// Shows each message as a modal box with one OK button, owned by the given
// window: the information icon for a success, the warning icon otherwise.
class CMessageBoxSink : public CMessageSink
{
public:
    explicit CMessageBoxSink(QWidget* owner = nullptr);

    // The sheet needs the sink before it exists, so its owner comes later.
    void SetOwner(QWidget* owner);

private:
    static void WidenFor(QMessageBox& box, const UserMessage& message);

    QPointer<QWidget> m_owner;

protected:
    void Show(const UserMessage& message) override;
};
