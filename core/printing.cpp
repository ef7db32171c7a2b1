// The printers for test frameworks, apart from the rest: a program that
// prints nothing does not link the streams.

#include "platform.h"
#include "stationtile.h"

#include <ostream>

namespace room {

std::ostream &operator<<(std::ostream &out, TileState state)
{
    switch (state) {
    case TileState::NoSession:
        return out << "NoSession";
    case TileState::InSession:
        return out << "InSession";
    case TileState::InSessionIdle:
        return out << "InSessionIdle";
    }
    return out << "TileState(" << int(state) << ')';
}

std::ostream &operator<<(std::ostream &out, const StationTile &tile)
{
    return out << "StationTile(" << tile.state << ", \"" << platform::toUtf8(tile.userName) << "\", \""
               << platform::toUtf8(tile.secondLine) << "\", \"" << platform::toUtf8(tile.idleTime) << "\")";
}

} // namespace room
