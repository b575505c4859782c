#pragma once

#include "CMessageSink.h"

#include <QList>
#include <QPair>
#include <QString>

// Keeps every message instead of showing it: (caption, text) in order.
class CRecordingSink : public CMessageSink
{
public:
    void ShowMessage(const QString& caption, const QString& text) override;

    QList<QPair<QString, QString>> m_messages;
};
