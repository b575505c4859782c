#include "CRecordingSink.h"

void CRecordingSink::ShowMessage(const QString& caption, const QString& text)
{
    m_messages.append({caption, text});
}
