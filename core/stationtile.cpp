#include "stationtile.h"

#include <algorithm>

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

namespace {

// Copies `text` into `caption`, in the buffer it already has when that one
// is its own and large enough: a station named on every line of a long
// session list then costs no allocation per line. A caption that does not
// change, the usual from one refresh to the next, is left as it is.
void setCaption(QString &caption, QStringView text)
{
    if (caption == text)
        return;
    if (caption.isDetached() && caption.capacity() >= text.size()) {
        caption.resize(text.size());
        std::copy(text.begin(), text.end(), caption.data());
    } else {
        caption = text.toString();
    }
}

} // namespace

void RoomTiles::ApplySessionRecord(QStringView ComputerName, QStringView UserName, QStringView IdleTime)
{
    const int index = stationIndex(ComputerName);
    if (index == 0 || UserName.isEmpty())
        return;
    StationTile &tile = m_tiles[index - 1];
    // The rule is on the text: anything but "00" in front, a shorter text
    // included, marks the station idle.
    const bool startsWith00 = IdleTime.size() >= 2 && IdleTime[0] == u'0' && IdleTime[1] == u'0';
    const bool idle = tile.state == TileState::InSessionIdle || !startsWith00;
    tile.state = idle ? TileState::InSessionIdle : TileState::InSession;
    setCaption(tile.userName, UserName);
    tile.secondLine = u"NOM"_s;
    setCaption(tile.idleTime, IdleTime);
}

} // namespace room
