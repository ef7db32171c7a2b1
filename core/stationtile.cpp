#include "stationtile.h"

using namespace Qt::StringLiterals;

namespace room {

bool StationTile::isVisible(TileElement element) const
{
    switch (element) {
    case TileElement::Image:
        return state == TileState::NoSession;
    case TileElement::ImageQ:
        return state == TileState::InSessionIdle;
    case TileElement::ImageBis:
    case TileElement::ImageTer:
    case TileElement::Label:
    case TileElement::LabelBis:
    case TileElement::LabelTer:
        return state != TileState::NoSession;
    }
    return false;
}

QDebug operator<<(QDebug debug, const StationTile &tile)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "StationTile(" << tile.state << ", " << tile.userName << ", " << tile.secondLine << ", "
                    << tile.idleTime << ')';
    return debug;
}

QString tileElementName(int index, TileElement element)
{
    const QString number = QString::number(index);
    switch (element) {
    case TileElement::Image:
        return u"Image"_s + number;
    case TileElement::ImageBis:
        return u"Image"_s + number + u"bis"_s;
    case TileElement::ImageTer:
        return u"Image"_s + number + u"ter"_s;
    case TileElement::ImageQ:
        return u"Image"_s + number + u"q"_s;
    case TileElement::Label:
        return u"Label"_s + number;
    case TileElement::LabelBis:
        return u"Label"_s + number + u"bis"_s;
    case TileElement::LabelTer:
        return u"Label"_s + number + u"ter"_s;
    }
    return {};
}

void RoomTiles::ResetStations()
{
    for (StationTile &tile : m_tiles)
        tile.state = TileState::NoSession;
}

void RoomTiles::ApplySessionRecord(QStringView ComputerName, QStringView UserName, QStringView IdleTime)
{
    const int index = stationIndex(ComputerName);
    if (index == 0 || UserName.isEmpty())
        return;
    StationTile &tile = m_tiles[index - 1];
    // The rule is on the text: anything but "00" in front, a shorter text
    // included, marks the station idle.
    const bool idle = tile.state == TileState::InSessionIdle || !IdleTime.startsWith(u"00");
    tile.state = idle ? TileState::InSessionIdle : TileState::InSession;
    tile.userName = UserName.toString();
    tile.secondLine = u"NOM"_s;
    tile.idleTime = IdleTime.toString();
}

} // namespace room
