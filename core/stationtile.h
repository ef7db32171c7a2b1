#pragma once

#include "station.h"

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

namespace room {

// The three looks of a station tile.
//   NoSession:     the stop picture alone.
//   InSession:     session picture, user picture, user name, "NOM", idle time.
//   InSessionIdle: the same plus the idle mark.
enum class TileState { NoSession, InSession, InSessionIdle };

// The seven display elements of one tile. Their visible flags follow from
// the state alone; the three captions are kept while hidden.
enum class TileElement { Image, ImageBis, ImageTer, ImageQ, Label, LabelBis, LabelTer };

inline constexpr std::array AllTileElements{TileElement::Image, TileElement::ImageBis, TileElement::ImageTer,
                                            TileElement::ImageQ, TileElement::Label, TileElement::LabelBis,
                                            TileElement::LabelTer};

// What one station's tile shows.
struct StationTile {
    TileState state = TileState::NoSession;
    std::u16string userName;   // caption of LabelN
    std::u16string secondLine; // caption of LabelNbis: "NOM" once a session was shown
    std::u16string idleTime;   // caption of LabelNter

    bool isVisible(TileElement element) const;

    friend bool operator==(const StationTile &, const StationTile &) = default;
};

std::ostream &operator<<(std::ostream &out, TileState state);
std::ostream &operator<<(std::ostream &out, const StationTile &tile);

// The twelve tiles, station N at N - 1. A plain value: a read builds its new
// room on a copy and hands it over whole.
class RoomTiles {
public:
    const StationTile &tile(int index) const { return m_tiles.at(std::size_t(index - 1)); }

    // Every tile back to NoSession. Captions are left as they are, hidden.
    void ResetStations();

    // Marks the station named exactly `ComputerName`, when `UserName` is not
    // empty: it shows the session, the user name, "NOM" and `IdleTime`, and
    // gets the idle mark when `IdleTime` does not begin with "00". The idle
    // mark, once on, stays on until the next ResetStations. A record for no
    // station, or without a user name, changes nothing.
    void ApplySessionRecord(std::u16string_view ComputerName, std::u16string_view UserName,
                            std::u16string_view IdleTime);

    friend bool operator==(const RoomTiles &, const RoomTiles &) = default;

private:
    std::array<StationTile, StationCount> m_tiles;
};

} // namespace room
