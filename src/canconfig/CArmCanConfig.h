#pragma once

#include "ArmCanFields.h"
#include "FilterRow.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// What the CAN configuration page does with its fields, free of widgets, so
// that the window and the command line act alike. The page stores its
// controls into the fields, calls these, and shows the outcome.
class CArmCanConfig
{
public:
    CArmCanConfig() = delete;

    static constexpr int kBaudCount = 11;
    static constexpr int kCustomBaudIndex = 10;
    static constexpr std::array<const char*, kBaudCount> kBaudTexts{
        "1000K",
        "800K",
        "500K",
        "250K",
        "125K",
        "100K",
        "50K",
        "20K",
        "10K",
        "5K",
        QT_TRANSLATE_NOOP("CArmCanConfig", "自定义")};
    static constexpr std::array<quint32, kCustomBaudIndex> kBaudRegisters{
        0x6FC000, 0x39C001, 0x3AC002, 0x3AC005, 0x3AC00B,
        0x3AC00E, 0x3AC01D, 0x3AC04A, 0x3AC095, 0x3AC12B};

    static constexpr int kFrameTypeCount = 2;

    static constexpr const char* kDefaultCanId = "00000000";

    static QString BaudText(int index);                    // "" outside the list
    static std::optional<quint32> BaudRegister(int index); // none for "自定义"
    static int FindBaudIndex(quint32 btr);                 // -1 when no rate matches

    // Reads text as scanf's "%x" does: leading blanks, an optional 0x or 0X,
    // then hexadecimal digits up to the first other character, keeping the low
    // 32 bits. None when no digit was found.
    static std::optional<quint32> ParseHex(const QString& text);
    static QString FormatRegister(quint32 btr);      // "%08x"
    static QString FormatRegisterShort(quint32 btr); // "%x"
    static QString FormatFilterId(quint32 id);       // "0x%08x"

    // What the page shows after FillFromBlock.
    struct Display
    {
        QString registerText;
        int baudIndex = -1; // -1: the bit-rate list keeps its selection
        int frameTypeSel = -1;
        bool filterEnabled = false;
        bool rowsReplaced = false;
        QList<FilterRow> rows; // newest at the top; only when rowsReplaced
    };

    // Mirrors the block members into the control states (m_strRegister,
    // m_nFrameTypeSel, m_bFilterEnabled) and unpacks a filtering table that
    // fits into m_filters.
    static Display FillFromBlock(ArmCanFields& fields);
    // Builds m_dwBtr, m_nFrameType and m_acceptance from the control states
    // and m_filters. A register text without digits keeps m_dwBtr.
    static void CollectIntoBlock(ArmCanFields& fields);
    static void ApplyDefaults(ArmCanFields& fields);

    enum class AddResult
    {
        Added,            // appended to m_filters
        Duplicate,        // an identical entry is already there
        NoStart,          // the start text holds no hexadecimal digit
        StartNotBelowEnd, // a range whose start is not below its end
        NoKind,           // kind outside the list
        DoesNotFit,       // the list would no longer fit the look-up table
    };
    // Reads m_strStartID (and m_strEndID for a range kind); kindIndex is the
    // kind list's selection.
    static AddResult AddFilter(ArmCanFields& fields, int kindIndex);
    // Removes the first identical entry; false when there is none.
    static bool RemoveFilter(ArmCanFields& fields, const FilterEntry& entry);
    // Rows for the entries kept in m_filters, newest at the top.
    static QList<FilterRow> RowsOf(const QList<FilterEntry>& filters);
};
