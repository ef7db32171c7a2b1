#include "sessionrecord.h"

#include "sessionlistformat.h"

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

QStringView withoutTrailingBlanks(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == Blank)
        --end;
    return text.first(end);
}

QStringView withoutLeadingBlanks(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == Blank)
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
