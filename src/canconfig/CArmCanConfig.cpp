#include "CArmCanConfig.h"

#include "CAcceptanceTable.h"
#include "HexDigit.h"

#include <QCoreApplication>

namespace {

bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

bool HasHexPrefix(const QString& text, int pos)
{
    return pos + 2 < text.size() && text.at(pos) == QLatin1Char('0') &&
           (text.at(pos + 1) == QLatin1Char('x') || text.at(pos + 1) == QLatin1Char('X')) &&
           HexDigit::Is(text.at(pos + 2));
}

QString TextAt(const char* const* texts, int count, int index)
{
    return index >= 0 && index < count ? QCoreApplication::translate("CArmCanConfig", texts[index])
                                       : QString();
}

} // namespace

QString CArmCanConfig::BaudText(int index)
{
    return TextAt(kBaudTexts.data(), kBaudCount, index);
}

std::optional<quint32> CArmCanConfig::BaudRegister(int index)
{
    if (index < 0 || index >= int(kBaudRegisters.size()))
        return std::nullopt;
    return kBaudRegisters[index];
}

int CArmCanConfig::FindBaudIndex(quint32 btr)
{
    for (int index = 0; index < int(kBaudRegisters.size()); ++index)
        if (kBaudRegisters[index] == btr)
            return index;
    return -1;
}

std::optional<quint32> CArmCanConfig::ParseHex(const QString& text)
{
    int pos = 0;
    while (pos < text.size() && IsBlank(text.at(pos)))
        ++pos;
    if (HasHexPrefix(text, pos))
        pos += 2;
    quint32 value = 0;
    bool anyDigit = false;
    for (; pos < text.size(); ++pos) {
        const int digit = HexDigit::Value(text.at(pos));
        if (digit < 0)
            break;
        value = value << 4 | quint32(digit);
        anyDigit = true;
    }
    if (!anyDigit)
        return std::nullopt;
    return value;
}

QString CArmCanConfig::FormatRegister(quint32 btr)
{
    return QStringLiteral("%1").arg(btr, 8, 16, QLatin1Char('0'));
}

QString CArmCanConfig::FormatRegisterShort(quint32 btr)
{
    return QString::number(btr, 16);
}

QString CArmCanConfig::FormatFilterId(quint32 id)
{
    return QStringLiteral("0x%1").arg(id, 8, 16, QLatin1Char('0'));
}

CArmCanConfig::Display CArmCanConfig::FillFromBlock(ArmCanFields& fields)
{
    Display display;
    display.registerText = FormatRegister(fields.m_dwBtr);
    display.baudIndex = FindBaudIndex(fields.m_dwBtr);
    const bool knownFrameType = fields.m_nFrameType >= 0 && fields.m_nFrameType < kFrameTypeCount;
    display.frameTypeSel = knownFrameType ? fields.m_nFrameType : -1;
    display.filterEnabled = fields.m_acceptance.filterMode == CanAcceptance::kFilteringOn;

    fields.m_strRegister = display.registerText;
    fields.m_nFrameTypeSel = display.frameTypeSel;
    fields.m_bFilterEnabled = display.filterEnabled;

    if (display.filterEnabled && fields.m_acceptance.tableEnd <= CanAcceptance::kTableSize) {
        display.rowsReplaced = true;
        display.rows = CAcceptanceTable::ShowTable(fields.m_acceptance, fields.m_filters);
    }
    return display;
}

void CArmCanConfig::CollectIntoBlock(ArmCanFields& fields)
{
    if (const auto btr = ParseHex(fields.m_strRegister))
        fields.m_dwBtr = *btr;
    fields.m_nFrameType = fields.m_nFrameTypeSel;
    fields.m_acceptance = CanAcceptance{};
    if (fields.m_bFilterEnabled) {
        fields.m_acceptance.filterMode = CanAcceptance::kFilteringOn;
        CAcceptanceTable table;
        table.RebuildTable(fields.m_filters, fields.m_acceptance);
    } else {
        fields.m_acceptance.filterMode = CanAcceptance::kFilteringOff;
    }
}

void CArmCanConfig::ApplyDefaults(ArmCanFields& fields)
{
    fields.m_dwBtr = ArmCanFields::kDefaultBtr;
    fields.m_nFrameType = 0;
    fields.m_strCanID = QString::fromLatin1(kDefaultCanId);
    fields.m_acceptance = CanAcceptance{};
    fields.m_acceptance.filterMode = CanAcceptance::kFilteringOff;
    fields.m_bCanConfigKnown = true;
}

CArmCanConfig::AddResult CArmCanConfig::AddFilter(ArmCanFields& fields, int kindIndex)
{
    const std::optional<FilterKind> kind = FilterKinds::FromIndex(kindIndex);
    if (!kind)
        return AddResult::NoKind;
    const std::optional<quint32> start = ParseHex(fields.m_strStartID);
    if (!start)
        return AddResult::NoStart;
    quint32 end = *start;
    if (FilterKinds::IsRange(*kind)) {
        end = ParseHex(fields.m_strEndID).value_or(*start);
        if (!(*start < end))
            return AddResult::StartNotBelowEnd;
    }
    const FilterEntry entry{FilterKinds::IsExtended(*kind) ? 1 : 0, *start, end};
    if (fields.m_filters.contains(entry))
        return AddResult::Duplicate;
    fields.m_filters.append(entry);
    // An entry left out of the table at the write would filter nothing, in
    // silence: it is refused here instead.
    if (!CAcceptanceTable::FitsTable(fields.m_filters)) {
        fields.m_filters.removeLast();
        return AddResult::DoesNotFit;
    }
    return AddResult::Added;
}

bool CArmCanConfig::RemoveFilter(ArmCanFields& fields, const FilterEntry& entry)
{
    return fields.m_filters.removeOne(entry);
}

QList<FilterRow> CArmCanConfig::RowsOf(const QList<FilterEntry>& filters)
{
    QList<FilterRow> rows;
    rows.reserve(filters.size());
    for (auto it = filters.crbegin(); it != filters.crend(); ++it)
        rows.append(FilterRow{FilterKinds::Of(*it), *it});
    return rows;
}
