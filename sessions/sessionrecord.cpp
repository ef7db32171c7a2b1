#include "sessionrecord.h"

#include "sessionlistformat.h"

#include <bit>
#include <cstdint>
#include <cstring>

using namespace sessionlist;

namespace {

// Characters from column `first` to column `last`, both counted from 1.
QStringView columns(QStringView line, int first, int last)
{
    const qsizetype from = first - 1;
    if (from >= line.size())
        return {};
    return line.sliced(from, std::min<qsizetype>(last - from, line.size() - from));
}

// Record lines are padded with runs of blanks, so the trims look at four
// characters at a time, as one 64-bit word: a word of four blanks is stepped
// over whole, and in the first one that is not, the bits that differ from
// blanks tell how many blanks it still starts (or ends) with. This runs three
// times per line of the list.
constexpr std::uint64_t FourBlanks = 0x0001000100010001ULL * Blank;
constexpr bool LittleEndian = std::endian::native == std::endian::little;

std::uint64_t differenceFromBlanks(const QChar *at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word ^ FourBlanks;
}

QStringView withoutTrailingBlanks(QStringView text)
{
    const QChar *begin = text.data();
    qsizetype end = text.size();
    if constexpr (LittleEndian) {
        // The last character of the four is the word's most significant.
        for (; end >= 4; end -= 4) {
            if (const std::uint64_t difference = differenceFromBlanks(begin + end - 4))
                return text.first(end - std::countl_zero(difference) / 16);
        }
    }
    while (end > 0 && begin[end - 1] == Blank)
        --end;
    return text.first(end);
}

QStringView withoutLeadingBlanks(QStringView text)
{
    const QChar *begin = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    if constexpr (LittleEndian) {
        for (; size - start >= 4; start += 4) {
            if (const std::uint64_t difference = differenceFromBlanks(begin + start))
                return text.sliced(start + std::countr_zero(difference) / 16);
        }
    }
    while (start < size && begin[start] == Blank)
        ++start;
    return text.sliced(start);
}

} // namespace

bool isRecordLine(QStringView line)
{
    return !line.isEmpty() && line.front() == RecordMark;
}

SessionRecordView cutSessionRecord(QStringView line)
{
    SessionRecordView record;
    record.ComputerName =
        withoutTrailingBlanks(columns(line, ComputerNameFirstColumn, ComputerNameLastColumn));
    record.UserName = withoutLeadingBlanks(
        withoutTrailingBlanks(columns(line, UserNameFirstColumn, UserNameLastColumn)));
    const QStringView untrailed = withoutTrailingBlanks(line);
    record.IdleTime = withoutLeadingBlanks(untrailed.last(std::min<qsizetype>(IdleTimeWidth, untrailed.size())));
    return record;
}

QDebug operator<<(QDebug debug, const SessionRecord &record)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SessionRecord(" << record.ComputerName << ", " << record.UserName << ", "
                    << record.IdleTime << ')';
    return debug;
}
