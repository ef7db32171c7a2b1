#include "sessionrecord.h"

#include "fieldcut.h"
#include "platform.h"

#include <ostream>

SessionRecordView cutSessionRecord(std::u16string_view line)
{
    const sessionlist::fieldcut::Cut<char16_t> fields = sessionlist::fieldcut::cut(line);
    return {fields.computerName, fields.userName, fields.idleTime};
}

std::ostream &operator<<(std::ostream &out, const SessionRecord &record)
{
    return out << "SessionRecord(\"" << platform::toUtf8(record.ComputerName) << "\", \""
               << platform::toUtf8(record.UserName) << "\", \"" << platform::toUtf8(record.IdleTime) << "\")";
}
