#include "sessionrecord.h"

#include "sessionlistformat.h"

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

// Record lines are padded with runs of blanks, so the trims below step over
// four characters at a time (eight bytes compared as one word) before they
// look at single characters: this runs three times per line of the list.
constexpr std::uint64_t FourBlanks = 0x0001000100010001ULL * Blank;

bool fourBlanksAt(const QChar *at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word == FourBlanks;
}

QStringView withoutTrailingBlanks(QStringView text)
{
    const QChar *begin = text.data();
    qsizetype end = text.size();
    while (end >= 4 && fourBlanksAt(begin + end - 4))
        end -= 4;
    while (end > 0 && begin[end - 1] == Blank)
        --end;
    return text.first(end);
}

QStringView withoutLeadingBlanks(QStringView text)
{
    const QChar *begin = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (size - start >= 4 && fourBlanksAt(begin + start))
        start += 4;
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
