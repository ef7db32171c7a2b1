#include "stationtile.h"

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

void RoomTiles::ResetStations()
{
    for (StationTile &tile : m_tiles)
        tile.state = TileState::NoSession;
}

void RoomTiles::ApplySessionRecord(std::u16string_view ComputerName, std::u16string_view UserName,
                                   std::u16string_view IdleTime)
{
    const int index = stationIndex(ComputerName);
    if (index == 0 || UserName.empty())
        return;
    StationTile &tile = m_tiles[std::size_t(index - 1)];
    // The rule is on the text: anything but "00" in front, a shorter text
    // included, marks the station idle.
    const bool idle = tile.state == TileState::InSessionIdle || !IdleTime.starts_with(u"00");
    tile.state = idle ? TileState::InSessionIdle : TileState::InSession;
    // assign() reuses the caption's buffer: a station named on every line of
    // a long list costs no allocation per line.
    tile.userName.assign(UserName);
    tile.secondLine.assign(u"NOM");
    tile.idleTime.assign(IdleTime);
}

} // namespace room
