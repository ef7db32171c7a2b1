#include "sessionrecord.h"

#include "fieldcut.h"

#include <algorithm>

using namespace sessionlist;

namespace {

// Characters from column `first` to column `last`, both counted from 1: as
// many of them as the line has.
std::u16string_view columns(std::u16string_view line, int first, int last)
{
    const auto from = std::size_t(first - 1);
    return from < line.size() ? line.substr(from, std::size_t(last - first + 1)) : std::u16string_view();
}

std::u16string_view withoutLeadingBlanks(std::u16string_view text)
{
    return text.substr(std::min(text.find_first_not_of(Blank), text.size()));
}

} // namespace

SessionRecordView cutSessionRecord(std::u16string_view line)
{
    SessionRecordView record;
    record.ComputerName = withoutTrailingBlanks(columns(line, ComputerNameFirstColumn, ComputerNameLastColumn));
    record.UserName =
        withoutLeadingBlanks(withoutTrailingBlanks(columns(line, UserNameFirstColumn, UserNameLastColumn)));
    const std::u16string_view untrailed = withoutTrailingBlanks(line);
    const std::size_t idleWidth = std::min<std::size_t>(IdleTimeWidth, untrailed.size());
    record.IdleTime = withoutLeadingBlanks(untrailed.substr(untrailed.size() - idleWidth));
    return record;
}
