// The printer for test frameworks, apart from the rest: a program that
// prints nothing does not link the streams.

#include "platform.h"
#include "sessionrecord.h"

#include <ostream>

std::ostream &operator<<(std::ostream &out, const SessionRecord &record)
{
    return out << "SessionRecord(\"" << platform::toUtf8(record.ComputerName) << "\", \""
               << platform::toUtf8(record.UserName) << "\", \"" << platform::toUtf8(record.IdleTime) << "\")";
}
