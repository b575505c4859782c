#include "CSerialComm.h"

#include "CSerialCommImpl.h"

#include <QFile>
#include <QtDebug>

class CSerialComm::Impl : public CSerialCommImpl
{};

CSerialComm::CSerialComm() : m_impl(std::make_unique<Impl>()) {}

CSerialComm::~CSerialComm() = default;

bool CSerialComm::Open(const QString& name, quint32 baudRate, int dataBits, int parityCode,
                       int stopBitsCode)
{
    if (name.isEmpty() || IsCancelled())
        return false;
    const bool opened = m_impl->Open(QFile::encodeName(name).toStdString(), baudRate, dataBits,
                                     parityCode, stopBitsCode);
    if (opened) {
        m_baudRate = baudRate;
        m_name = name;
    }
    return opened;
}

bool CSerialComm::Close()
{
    m_baudRate = 0;
    if (m_impl->Close())
        return true;
    qWarning("serial port: closing the port failed (system error %d)", m_impl->LastError());
    return false;
}

bool CSerialComm::IsOpen() const
{
    return m_impl->IsOpen();
}

int CSerialComm::LastError() const
{
    return m_impl->LastError();
}

bool CSerialComm::HasHungUp() const
{
    return m_impl->HasHungUp();
}

int CSerialComm::WatchDescriptor() const
{
    return m_impl->WatchDescriptor();
}

void CSerialComm::ReleaseAllForSignal() noexcept
{
    CSerialCommImpl::ReleaseAllForSignal();
}

int CSerialComm::Read(void* buffer, int count, int timeoutMs)
{
    return m_impl->Read(buffer, count, timeoutMs);
}

void CSerialComm::Write(const void* buffer, int count, int timeoutMs)
{
    m_impl->Write(buffer, count, timeoutMs);
}

bool CSerialComm::Pause(int timeoutMs)
{
    return m_impl->Pause(timeoutMs);
}

void CSerialComm::Cancel()
{
    m_impl->Cancel();
}

void CSerialComm::ClearCancel()
{
    m_impl->ClearCancel();
}

bool CSerialComm::IsCancelled() const
{
    return m_impl->IsCancelled();
}
