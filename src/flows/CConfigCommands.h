#pragma once

#include "CFrameProtocol.h"
#include "CPageSet.h"

#include <QString>

class CMessageSink;
class CProfile;
class CSerialComm;
struct UserMessage;

// How a read or write command ended.
enum class CommandOutcome
{
    NotConnected, // port closed: nothing done, nothing shown
    Succeeded,    // "读配置成功！" or "写配置成功！" shown
    Failed,       // "通信出错！" shown, with what went wrong as its detail
    Cancelled,    // the port was cancelled: the cancel shown, not "通信出错！"
};

// The defaults, read and write commands of the sheet's three buttons, on the
// pages (through CPageSet), the open port, the profile and the user's
// messages. Every message has the caption "配置", except those of the
// device-type-2 identifier check, which come first with their own.
class CConfigCommands
{
public:
    CConfigCommands(CPageSet& pages, CSerialComm& port, CProfile& profile, CMessageSink& messages);

    // Factory values onto the pages; sends nothing and saves nothing.
    void RestoreDefaults();
    // The same on pages with no port or profile at hand.
    static void RestoreDefaults(CPageSet& pages);
    // Parameter block, then the CAN configuration block, whatever the device
    // type; the profile is saved only when both arrived. The port may be
    // cancelled from another thread: the command then ends as Cancelled.
    CommandOutcome ReadConfig();
    // Parameter block; then, with the CAN configuration page open, its block
    // after a pause. The profile is saved once the parameter block is
    // acknowledged, and ArmCanBaud again once the CAN block is.
    CommandOutcome WriteConfig();

    // The controls each command stores into the fields before it talks to
    // the converter, for a caller that runs the command on a copy of the
    // fields (CPageSetCopy) taken afterwards.
    static void StoreForRead(CPageSet& pages);
    static void StoreForWrite(CPageSet& pages);

private:
    static void StoreIfOpen(CPageSet& pages, CPageSet::Page page);
    void ShowIfOpen(CPageSet::Page page);
    void WarnOfUnseenTable();
    bool EncodeAndWrite();
    bool WriteCanConfigBlock();
    void SaveProfile();
    CommandOutcome Succeed(const QString& text);
    // "通信出错！", or `cancelled` when the port was cancelled.
    CommandOutcome Fail(const UserMessage& cancelled);

    CPageSet& m_pages;
    CSerialComm& m_port;
    CProfile& m_profile;
    CMessageSink& m_messages;
    CFrameProtocol m_protocol;
};
