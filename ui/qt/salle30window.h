#pragma once

#include "station.h"
#include "stationtile.h"

#include <QMainWindow>

#include <array>

class Clock;
class Launcher;
class QIcon;
class QLabel;
class QSvgRenderer;
class QTimer;
class RoomMonitor;
class RoomShutdown;
class StationButton;
class StatusLine;

// The panel of room 30, "Salle Talvero 30": a plan of the twelve stations,
// each a shutdown button beside a tile that shows its session, with the menus
// Fichier and Application and, under the plan, a status line.
//
// Construction creates every control with its objectName (PC3001 .. PC3012
// with Pc3005, Image7 .. Label7ter, the menus and their items), the room
// model (RoomMonitor, with Timer1) and the shutdown chain (RoomShutdown, with
// Timer2 .. Timer12) as children, binds each event to its handler, and runs
// the load step, whose first refresh sets the tiles, before it returns. It
// does not show the window.
//
// The plan keeps its 545 x 500 pixel controls where they are whatever the
// window's size. The window deletes itself when closed; its timers end with
// it, and a room shutdown under way goes no further. Nothing here opens a
// dialog: failures show on the status line.
//
// The launcher and the clock must outlive the window.
class Salle30 final : public QMainWindow {
    Q_OBJECT
public:
    Salle30(Launcher &launcher, const Clock &clock, QWidget *parent = nullptr);

    RoomMonitor *monitor() const { return m_monitor; }
    RoomShutdown *shutdown() const { return m_shutdown; }

    // Quitter_Click: closes the window, with no question asked.
    void Quitter_Click();

private:
    struct TileControls {
        std::array<QWidget *, room::AllTileElements.size()> elements{};
        QLabel *userName = nullptr;
        QLabel *secondLine = nullptr;
        QLabel *idleTime = nullptr;
    };

    void createMenus();
    QWidget *createPlan();
    void createTile(QWidget *plan, int index);
    void createButton(QWidget *plan, int index, const QString &objectName, const QString &handler,
                      const QIcon &picture);
    void createStatusLine();

    void showRoom();
    void setBusy(bool busy);
    void showStatus();

    RoomMonitor *m_monitor = nullptr;
    RoomShutdown *m_shutdown = nullptr;
    std::array<QSvgRenderer *, 5> m_pictures{};
    std::array<StationButton *, room::StationCount> m_buttons{};
    std::array<TileControls, room::StationCount> m_tiles{};
    StatusLine *m_statusLine = nullptr;
    QTimer *m_countdown = nullptr;
};
