// The printers for test frameworks, apart from the rest: a program that
// prints nothing does not link the streams (a third of salle30.exe).

#include "platform.h"

#include <ostream>

namespace platform {

std::ostream &operator<<(std::ostream &out, const Failure &failure)
{
    return out << "Failure(" << failure.number << ", " << toUtf8(failure.description) << ')';
}

} // namespace platform
