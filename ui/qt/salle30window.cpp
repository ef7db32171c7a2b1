#include "salle30window.h"

#include "layout.h"
#include "panelwidgets.h"
#include "roommonitor.h"
#include "roomshutdown.h"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>

using namespace Qt::StringLiterals;
using room::TileElement;

static void initPictures()
{
    // The pictures live in a static library; its resources are only
    // registered when asked for by name.
    Q_INIT_RESOURCE(pictures);
}

namespace {

// Where each station button's click is bound: button N runs its own handler,
// which shuts down the computer that the button's Tag names.
struct ButtonBinding {
    int station;
    const char16_t *control;
    const char16_t *handler;
};
constexpr ButtonBinding ButtonBindings[] = {
    {1, u"PC3001", u"PC3001_Click"},   {2, u"PC3002", u"PC3002_Click"},   {3, u"PC3003", u"PC3003_Click"},
    {4, u"PC3004", u"PC3004_Click"},   {5, u"Pc3005", u"Pc3005_Click"},   {6, u"PC3006", u"PC3006_Click"},
    {7, u"PC3007", u"PC3007_Click"},   {8, u"PC3008", u"PC3008_Click"},   {9, u"PC3009", u"PC3009_Click"},
    {10, u"PC3010", u"PC3010_Click"},  {11, u"PC3011", u"PC3011_Click"},  {12, u"PC3012", u"PC3012_Click"},
};

const QColor PlanBackground(255, 255, 192);
const QColor UserLabelBackground(255, 224, 192);
const QColor IdleTimeLabelBackground(192, 192, 255);

// The button picture is drawn at its natural size above the caption.
constexpr QSize ButtonPictureSize(50, 57);

// A style sheet rather than the palette: most styles, Windows' among them,
// paint push buttons from their own theme and ignore a palette's button
// colour. The raised and sunken edges stand in for the theme's.
const auto ButtonStyle = uR"(
QToolButton {
    background-color: rgb(192, 255, 192);
    border-style: solid;
    border-width: 2px;
    border-top-color: rgb(255, 255, 255);
    border-left-color: rgb(255, 255, 255);
    border-right-color: rgb(96, 96, 96);
    border-bottom-color: rgb(96, 96, 96);
    padding: 0px;
}
QToolButton:focus {
    border-right-color: rgb(0, 0, 0);
    border-bottom-color: rgb(0, 0, 0);
    border-top-color: rgb(64, 64, 64);
    border-left-color: rgb(64, 64, 64);
}
QToolButton:pressed {
    border-top-color: rgb(96, 96, 96);
    border-left-color: rgb(96, 96, 96);
    border-right-color: rgb(255, 255, 255);
    border-bottom-color: rgb(255, 255, 255);
}
)"_s;

enum Picture { Computer, Stop, Session, User, Idle };

// What each tile control shows, for assistive technology.
QString elementDescription(TileElement element)
{
    switch (element) {
    case TileElement::Image:
        return u"aucune session"_s;
    case TileElement::ImageBis:
        return u"session ouverte"_s;
    case TileElement::ImageTer:
        return u"utilisateur"_s;
    case TileElement::ImageQ:
        return u"inactif"_s;
    case TileElement::Label:
        return u"nom de l'utilisateur"_s;
    case TileElement::LabelBis:
        return u"deuxième ligne"_s;
    case TileElement::LabelTer:
        return u"temps d'inactivité"_s;
    }
    return {};
}

QPixmap renderPicture(QSvgRenderer &picture, QSize size, int scale)
{
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QFont buttonFont()
{
    QFont font(u"Times New Roman"_s);
    font.setPointSizeF(11.25);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QFont idleTimeFont()
{
    QFont font(u"Times New Roman"_s);
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The central area: the plan in its top-left corner and, when the window is
// larger than the plan, the same light yellow around it. It asks for the
// plan's size but lets the window shrink below it, cutting the plan off.
class RoomArea final : public QWidget {
public:
    explicit RoomArea(QSize planSize) : m_planSize(planSize) {}
    QSize sizeHint() const override { return m_planSize; }
    QSize minimumSizeHint() const override { return {0, 0}; }

private:
    QSize m_planSize;
};

} // namespace

Salle30::Salle30(Launcher &launcher, const Clock &clock, QWidget *parent) : QMainWindow(parent)
{
    initPictures();
    setObjectName(u"Salle30"_s);
    setWindowTitle(u"Salle Talvero 30"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    m_monitor = new RoomMonitor(launcher, clock, this);
    m_shutdown = new RoomShutdown(
        launcher, [this](int index) { return m_buttons.at(std::size_t(index - 1))->property("Tag").toString(); },
        [this] { return m_monitor->ShutdownArgs(); }, this);

    const QString pictureFiles[] = {u":/pictures/computer.svg"_s, u":/pictures/stop.svg"_s,
                                    u":/pictures/session.svg"_s, u":/pictures/user.svg"_s,
                                    u":/pictures/idle.svg"_s};
    for (std::size_t i = 0; i < m_pictures.size(); ++i)
        m_pictures[i] = new QSvgRenderer(pictureFiles[i], this);

    // Rendered here rather than handed to QIcon as an SVG file, so the icon
    // does not depend on the SVG icon-engine plugin being deployed.
    QSvgRenderer padlock(u":/pictures/padlock.svg"_s);
    QIcon icon;
    for (int side : {16, 32})
        icon.addPixmap(renderPicture(padlock, QSize(side, side), 1));
    setWindowIcon(icon);

    createMenus();
    setCentralWidget(createPlan());
    createStatusLine();

    connect(m_monitor, &RoomMonitor::roomChanged, this, &Salle30::showRoom);
    connect(m_monitor, &RoomMonitor::busyChanged, this, &Salle30::setBusy);
    connect(m_monitor, &RoomMonitor::statusChanged, this, &Salle30::showStatus);
    connect(m_shutdown, &RoomShutdown::statusChanged, this, &Salle30::showStatus);

    // The plan's own size, whatever the screen: left to itself, a first
    // show would cap the window at two thirds of the screen.
    ensurePolished();
    resize(sizeHint());

    // Every tile in NoSession until a read succeeds: a failed first read
    // leaves the plan as it stands here.
    showRoom();
    m_monitor->Form_Load();
}

void Salle30::Quitter_Click()
{
    close();
}

void Salle30::createMenus()
{
    QMenu *fichier = menuBar()->addMenu(u"&Fichier"_s);
    fichier->setObjectName(u"fichier"_s);
    QAction *quitter = fichier->addAction(u"&Quitter"_s);
    quitter->setObjectName(u"Quitter"_s);
    connect(quitter, &QAction::triggered, this, &Salle30::Quitter_Click);

    QMenu *application = menuBar()->addMenu(u"&Application"_s);
    application->setObjectName(u"Application"_s);
    QAction *refresh = application->addAction(u"&Rafraîchir"_s);
    refresh->setObjectName(u"refresh"_s);
    connect(refresh, &QAction::triggered, m_monitor, &RoomMonitor::refresh_Click);
    QAction *blanc01 = application->addSeparator();
    blanc01->setObjectName(u"blanc01"_s);
    QAction *stopall = application->addAction(u"&Eteindre tous les ordinateurs"_s);
    stopall->setObjectName(u"Stopall"_s);
    connect(stopall, &QAction::triggered, m_shutdown, &RoomShutdown::Stopall_Click);
}

QWidget *Salle30::createPlan()
{
    const QRect planRect = layout::toPixels({0, 0, layout::PlanWidth, layout::PlanHeight});
    auto *area = new RoomArea(planRect.size());
    area->setObjectName(u"roomArea"_s);
    setBackground(area, PlanBackground);

    auto *plan = new QWidget(area);
    plan->setObjectName(u"plan"_s);
    plan->setGeometry(planRect);
    setBackground(plan, PlanBackground);
    // Once for the twelve buttons, the plan's only tool buttons: a sheet per
    // button was parsed, and given a style of its own, twelve times.
    plan->setStyleSheet(ButtonStyle);

    // Later siblings are drawn on top: the tiles go first so that each
    // button keeps its right edge over the stop picture, which starts one
    // pixel inside it.
    for (int index = 1; index <= room::StationCount; ++index)
        createTile(plan, index);
    // One picture for the twelve buttons, drawn once.
    QIcon computer;
    for (int scale : {1, 2})
        computer.addPixmap(renderPicture(*m_pictures[Computer], ButtonPictureSize, scale));
    for (const ButtonBinding &binding : ButtonBindings)
        createButton(plan, binding.station, QString::fromUtf16(binding.control), QString::fromUtf16(binding.handler),
                     computer);

    for (std::size_t i = 1; i < layout::TabOrder.size(); ++i)
        setTabOrder(m_buttons[std::size_t(layout::TabOrder[i - 1] - 1)],
                    m_buttons[std::size_t(layout::TabOrder[i] - 1)]);
    m_buttons[std::size_t(layout::TabOrder.front() - 1)]->setFocus();
    return area;
}

void Salle30::createTile(QWidget *plan, int index)
{
    const QString station = room::stationName(index);
    TileControls &tile = m_tiles[std::size_t(index - 1)];

    auto place = [&](QWidget *control, TileElement element) {
        control->setObjectName(room::tileElementName(index, element));
        control->setGeometry(layout::toPixels(layout::tileElementRect(index, element)));
        tile.elements[std::size_t(element)] = control;
    };
    auto label = [&](TileElement element, const QColor &background, Qt::Alignment alignment) {
        auto *control = new QLabel(plan);
        place(control, element);
        control->setTextFormat(Qt::PlainText);
        control->setWordWrap(false);
        // Top alignment: a caption with a line break in it shows its first
        // line whole and the rest is cut off below.
        control->setAlignment(alignment | Qt::AlignTop);
        setBackground(control, background);
        control->setAccessibleDescription(u"%1 : %2"_s.arg(station, elementDescription(element)));
        return control;
    };
    auto picture = [&](TileElement element, Picture which) {
        auto *control = new PictureBox(m_pictures[which], plan);
        place(control, element);
        control->setAccessibleName(u"%1 : %2"_s.arg(station, elementDescription(element)));
    };

    // Labels under the pictures: the idle mark covers the end of the idle
    // time, the user picture the start of the user name.
    tile.userName = label(TileElement::Label, UserLabelBackground, Qt::AlignLeft);
    tile.secondLine = label(TileElement::LabelBis, UserLabelBackground, Qt::AlignLeft);
    tile.idleTime = label(TileElement::LabelTer, IdleTimeLabelBackground, Qt::AlignHCenter);
    tile.idleTime->setFont(idleTimeFont());
    picture(TileElement::Image, Stop);
    picture(TileElement::ImageBis, Session);
    picture(TileElement::ImageTer, User);
    picture(TileElement::ImageQ, Idle);
}

void Salle30::createButton(QWidget *plan, int index, const QString &objectName, const QString &handler,
                           const QIcon &picture)
{
    Q_ASSERT(objectName == room::stationButtonName(index));
    const QString station = room::stationName(index);

    auto *button = new StationButton(plan);
    button->setObjectName(objectName);
    button->setGeometry(layout::toPixels(layout::buttonRect(index)));
    button->setText(station);
    button->setProperty("Tag", station);
    button->setProperty("handler", handler);
    button->setToolTip(u"Eteindre "_s + station);
    button->setFont(buttonFont());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(picture);
    button->setIconSize(ButtonPictureSize);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QAbstractButton::clicked, m_shutdown, [shutdown = m_shutdown, index] {
        shutdown->stationClick(index);
    });
    m_buttons[std::size_t(index - 1)] = button;
}

void Salle30::createStatusLine()
{
    m_statusLine = new StatusLine;
    m_statusLine->setObjectName(u"statusLine"_s);
    statusBar()->addPermanentWidget(m_statusLine, 1);

    // Keeps the countdown of a room shutdown current between the chain's
    // own ticks; it runs only while a chain timer does.
    m_countdown = new QTimer(this);
    m_countdown->setObjectName(u"statusCountdown"_s);
    m_countdown->setInterval(1000);
    connect(m_countdown, &QTimer::timeout, this, &Salle30::showStatus);
}

void Salle30::showRoom()
{
    const room::RoomTiles &tiles = m_monitor->tiles();
    for (int index = 1; index <= room::StationCount; ++index) {
        const room::StationTile &tile = tiles.tile(index);
        TileControls &controls = m_tiles[std::size_t(index - 1)];
        controls.userName->setText(tile.userName);
        controls.secondLine->setText(tile.secondLine);
        controls.idleTime->setText(tile.idleTime);
        for (TileElement element : room::AllTileElements)
            controls.elements[std::size_t(element)]->setVisible(tile.isVisible(element));
    }
}

void Salle30::setBusy(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void Salle30::showStatus()
{
    QStringList parts;
    // Shutdown news first: a room shutdown under way or a failed launch
    // matters more than the time of the last read, and the line may be cut.
    for (const QString &part : {m_shutdown->statusText(), m_monitor->statusText()}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    m_statusLine->setLine(parts.join(u"  "_s));

    bool chainRunning = false;
    for (int k = 2; k <= room::StationCount; ++k)
        chainRunning = chainRunning || m_shutdown->chainTimer(k)->isActive();
    if (chainRunning && !m_countdown->isActive())
        m_countdown->start();
    else if (!chainRunning)
        m_countdown->stop();
}
