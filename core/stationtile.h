#pragma once

#include "station.h"

#include <QDebug>
#include <QObject>
#include <QString>
#include <QStringView>

#include <array>

namespace room {
Q_NAMESPACE

// The three looks of a station tile.
//   NoSession:     the stop picture alone.
//   InSession:     session picture, user picture, user name, "NOM", idle time.
//   InSessionIdle: the same plus the idle mark.
enum class TileState { NoSession, InSession, InSessionIdle };
Q_ENUM_NS(TileState)

// The seven display elements of one tile. Their visible flags follow from
// the state alone; the three captions are kept while hidden.
enum class TileElement { Image, ImageBis, ImageTer, ImageQ, Label, LabelBis, LabelTer };
Q_ENUM_NS(TileElement)

inline constexpr std::array AllTileElements{TileElement::Image, TileElement::ImageBis, TileElement::ImageTer,
                                            TileElement::ImageQ, TileElement::Label, TileElement::LabelBis,
                                            TileElement::LabelTer};

// What one station's tile shows.
struct StationTile {
    TileState state = TileState::NoSession;
    QString userName;   // caption of LabelN
    QString secondLine; // caption of LabelNbis: "NOM" once a session was shown
    QString idleTime;   // caption of LabelNter

    bool isVisible(TileElement element) const;

    friend bool operator==(const StationTile &, const StationTile &) = default;
};

QDebug operator<<(QDebug debug, const StationTile &tile);

// Object name of element `element` of station `index`'s tile:
// Image7, Image7bis, Image7ter, Image7q, Label7, Label7bis, Label7ter.
QString tileElementName(int index, TileElement element);

// The twelve tiles, station N at N - 1. A plain value: a read builds its new
// room on a copy and hands it over whole.
class RoomTiles {
public:
    const StationTile &tile(int index) const { return m_tiles.at(index - 1); }

    // Every tile back to NoSession. Captions are left as they are, hidden.
    void ResetStations();

    // Marks the station named exactly `ComputerName`, when `UserName` is not
    // empty: it shows the session, the user name, "NOM" and `IdleTime`, and
    // gets the idle mark when `IdleTime` does not begin with "00". The idle
    // mark, once on, stays on until the next ResetStations. A record for no
    // station, or without a user name, changes nothing.
    void ApplySessionRecord(QStringView ComputerName, QStringView UserName, QStringView IdleTime);

    friend bool operator==(const RoomTiles &, const RoomTiles &) = default;

private:
    std::array<StationTile, StationCount> m_tiles;
};

} // namespace room
