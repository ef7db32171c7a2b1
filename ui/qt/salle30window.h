#pragma once

#include "roomlistener.h"
#include "roompanel.h"
#include "station.h"
#include "stationtile.h"

#include <QMainWindow>

#include <array>
#include <memory>

namespace platform {
class Host;
}
class QIcon;
class QLabel;
class QSvgRenderer;
class QTimer;
class StationButton;
class StatusArea;

// The panel of room 30, "Salle Talvero 30": a plan of the twelve stations,
// each a shutdown button beside a tile that shows its session, with the menus
// Fichier and Application and, under the plan, a status area.
//
// Construction creates every control with its objectName (PC3001 .. PC3012
// with Pc3005, Image7 .. Label7ter, the menus and their items, the timers
// Timer1 .. Timer12 and statusCountdown) and the window's model
// (room::RoomPanel), binds each event to its handler, and runs the load
// step, whose first refresh sets the tiles, before it returns. It does not
// show the window.
//
// The window only maps and forwards: it is the model's listener, and after
// every handler it shows the tiles and every text from the model, and
// gives each real timer the model's order (RoomPanel::syncTimer). Clicks,
// menu items and timer ticks go to the model as they come. A model's text
// becomes a QString here and nowhere else.
//
// The plan keeps its 545 x 500 pixel controls where they are whatever the
// window's size; the status area lies under it, and the window opens large
// enough for both. The window deletes itself when closed; its timers end
// with it, and a room shutdown under way goes no further. Nothing here opens
// a dialog: failures show in the status area.
//
// The host must outlive the window.
class Salle30 final : public QMainWindow, private room::RoomListener {
    Q_OBJECT
public:
    explicit Salle30(platform::Host &host, QWidget *parent = nullptr);
    ~Salle30() override;

    const room::RoomPanel &panel() const { return *m_panel; }

    // Quitter_Click: closes the window, with no question asked.
    void Quitter_Click();

private:
    struct TileControls {
        std::array<QWidget *, room::AllTileElements.size()> elements{};
        QLabel *userName = nullptr;
        QLabel *secondLine = nullptr;
        QLabel *idleTime = nullptr;
    };

    void busyChanged(bool busy) override;
    void roomChanged() override;

    void createMenus();
    QWidget *createRoomArea();
    void createTile(QWidget *plan, int index);
    void createButton(QWidget *plan, int index, const QString &objectName, const QIcon &picture);
    void createTimers();

    void showRoom();
    void showStatus();
    void followTimers();

    std::unique_ptr<room::RoomPanel> m_panel;
    std::array<QSvgRenderer *, 5> m_pictures{};
    std::array<StationButton *, room::StationCount> m_buttons{};
    std::array<TileControls, room::StationCount> m_tiles{};
    // Timer K at K - 1: Timer1 .. Timer12, then the countdown.
    std::array<QTimer *, room::TimerCount> m_timers{};
    StatusArea *m_status = nullptr;
};
