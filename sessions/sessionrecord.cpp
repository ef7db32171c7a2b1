#include "sessionrecord.h"

#include "fieldcut.h"

using namespace sessionlist;
using namespace sessionlist::fieldcut;

namespace {

QStringView view(std::u16string_view text)
{
    return QStringView(text.data(), qsizetype(text.size()));
}

} // namespace

SessionRecordView cutSessionRecord(QStringView line)
{
    const Cut<char16_t> fields = cut(std::u16string_view(line.utf16(), std::size_t(line.size())));
    return {view(fields.computerName), view(fields.userName), view(fields.idleTime)};
}

QDebug operator<<(QDebug debug, const SessionRecord &record)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SessionRecord(" << record.ComputerName << ", " << record.UserName << ", "
                    << record.IdleTime << ')';
    return debug;
}
