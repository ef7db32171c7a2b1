#include "salle30window.h"

#include "controls.h"
#include "layout.h"
#include "panelwidgets.h"

#include <QAccessible>
#include <QApplication>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

#include <string>
#include <string_view>

using namespace Qt::StringLiterals;
using room::TileElement;

static void initPictures()
{
    // The pictures live in a static library; its resources are only
    // registered when asked for by name.
    Q_INIT_RESOURCE(pictures);
}

namespace {

// The model's texts become QStrings here, at the edge, and nowhere else.
QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QColor toQColor(panel::Rgb colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

// A style sheet rather than the palette: most styles, Windows' among them,
// paint push buttons from their own theme and ignore a palette's button
// colour. The raised and sunken edges stand in for the theme's.
QString buttonStyle()
{
    return uR"(
QToolButton {
    background-color: rgb(%1, %2, %3);
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
)"_s.arg(panel::ButtonFace.red).arg(panel::ButtonFace.green).arg(panel::ButtonFace.blue);
}

enum Picture { Computer, Stop, Session, User, Idle };

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
    QFont font(toQString(panel::CaptionFontFamily));
    font.setPointSizeF(panel::ButtonFontPoints);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QFont idleTimeFont()
{
    QFont font(toQString(panel::CaptionFontFamily));
    font.setPointSizeF(panel::IdleTimeFontPoints);
    font.setBold(true);
    return font;
}

QRect toQRect(const layout::TwipRect &twips)
{
    const layout::TwipRect pixels = layout::toPixels(twips);
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The central area: the plan in its top-left corner, the status area under
// it as wide as the area and as high as its texts need, and, when the window
// is larger than both, the same light yellow around them. It asks for room
// for both but lets the window shrink below that, cutting the plan off.
class RoomArea final : public QWidget {
public:
    RoomArea(QSize planSize, StatusArea *status) : m_planSize(planSize), m_status(status)
    {
        m_status->setParent(this);
    }
    QSize sizeHint() const override
    {
        return m_planSize + QSize(0, m_status->heightForWidth(statusWidth(m_planSize.width())));
    }
    QSize minimumSizeHint() const override { return {0, 0}; }

    // Gives the status area the height its texts now need.
    void placeStatus()
    {
        const int width = statusWidth(this->width());
        m_status->setGeometry(0, m_planSize.height(), width, m_status->heightForWidth(width));
    }

protected:
    void resizeEvent(QResizeEvent *) override { placeStatus(); }

private:
    int statusWidth(int areaWidth) const { return qMax(areaWidth, m_planSize.width()); }

    QSize m_planSize;
    StatusArea *m_status;
};

} // namespace

Salle30::Salle30(platform::Host &host, QWidget *parent) : QMainWindow(parent)
{
    initPictures();
    static const bool accessiblePictures = (QAccessible::installFactory(pictureBoxAccessible), true);
    Q_UNUSED(accessiblePictures);
    setObjectName(toQString(panel::WindowName));
    setWindowTitle(toQString(panel::WindowTitle));
    setAttribute(Qt::WA_DeleteOnClose);

    room::RoomListener &listener = *this;
    m_panel = std::make_unique<room::RoomPanel>(host, listener);

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
    setCentralWidget(createRoomArea());
    createTimers();

    // The plan's own size, whatever the screen: left to itself, a first
    // show would cap the window at two thirds of the screen.
    ensurePolished();
    resize(sizeHint());

    // Every tile in NoSession and Timer1 counting before the first read: a
    // failed first read leaves the plan as it stands here.
    roomChanged();
    m_panel->Form_Load();
}

// Out of line: the model's destructor is known here.
Salle30::~Salle30() = default;

void Salle30::Quitter_Click()
{
    close();
}

void Salle30::createMenus()
{
    auto addItem = [this](QMenu *menu, const panel::MenuItemBinding &binding, auto handler) {
        QAction *item = menu->addAction(toQString(binding.caption));
        item->setObjectName(toQString(binding.control));
        item->setProperty("handler", toQString(binding.handler));
        connect(item, &QAction::triggered, this, handler);
    };

    QMenu *fichier = menuBar()->addMenu(toQString(panel::FichierCaption));
    fichier->setObjectName(toQString(panel::FichierMenu));
    addItem(fichier, panel::QuitterItem, [this] { Quitter_Click(); });

    QMenu *application = menuBar()->addMenu(toQString(panel::ApplicationCaption));
    application->setObjectName(toQString(panel::ApplicationMenu));
    addItem(application, panel::RefreshItem, [this] { m_panel->refresh_Click(); });
    QAction *blanc01 = application->addSeparator();
    blanc01->setObjectName(toQString(panel::SeparatorItem));
    addItem(application, panel::StopallItem, [this] { m_panel->Stopall_Click(); });
}

QWidget *Salle30::createRoomArea()
{
    const QRect planRect = toQRect({0, 0, layout::PlanWidth, layout::PlanHeight});
    m_status = new StatusArea;
    m_status->setObjectName(u"statusArea"_s);
    auto *area = new RoomArea(planRect.size(), m_status);
    area->setObjectName(u"roomArea"_s);
    setBackground(area, toQColor(panel::PlanBackground));

    auto *plan = new QWidget(area);
    plan->setObjectName(u"plan"_s);
    plan->setGeometry(planRect);
    setBackground(plan, toQColor(panel::PlanBackground));
    // Once for the twelve buttons, the plan's only tool buttons: a sheet per
    // button was parsed, and given a style of its own, twelve times.
    plan->setStyleSheet(buttonStyle());

    // Later siblings are drawn on top: the tiles go first so that each
    // button keeps its right edge over the stop picture, which starts one
    // pixel inside it.
    for (int index = 1; index <= room::StationCount; ++index)
        createTile(plan, index);
    // One picture for the twelve buttons, drawn once.
    QIcon computer;
    for (int scale : {1, 2})
        computer.addPixmap(renderPicture(*m_pictures[Computer],
                                         QSize(panel::ButtonPictureWidth, panel::ButtonPictureHeight), scale));
    for (const panel::ButtonBinding &binding : panel::ButtonBindings)
        createButton(plan, binding.station, toQString(binding.control), computer);

    for (std::size_t i = 1; i < layout::TabOrder.size(); ++i)
        setTabOrder(m_buttons[std::size_t(layout::TabOrder[i - 1] - 1)],
                    m_buttons[std::size_t(layout::TabOrder[i] - 1)]);
    m_buttons[std::size_t(layout::TabOrder.front() - 1)]->setFocus();
    return area;
}

void Salle30::createTile(QWidget *plan, int index)
{
    TileControls &tile = m_tiles[std::size_t(index - 1)];

    auto place = [&](QWidget *control, TileElement element) {
        control->setObjectName(toQString(panel::tileElementName(index, element)));
        control->setGeometry(toQRect(layout::tileElementRect(index, element)));
        tile.elements[std::size_t(element)] = control;
    };
    auto describe = [&](TileElement element) { return toQString(m_panel->pictureName(index, element)); };
    auto label = [&](TileElement element, panel::Rgb background, Qt::Alignment alignment) {
        auto *control = new QLabel(plan);
        place(control, element);
        control->setTextFormat(Qt::PlainText);
        control->setWordWrap(false);
        // Top alignment: a caption with a line break in it shows its first
        // line whole and the rest is cut off below.
        control->setAlignment(alignment | Qt::AlignTop);
        setBackground(control, toQColor(background));
        control->setAccessibleDescription(describe(element));
        return control;
    };
    auto picture = [&](TileElement element, Picture which) {
        auto *control = new PictureBox(m_pictures[which], plan);
        place(control, element);
        control->setAccessibleName(describe(element));
    };

    // Labels under the pictures: the idle mark covers the end of the idle
    // time, the user picture the start of the user name.
    tile.userName = label(TileElement::Label, panel::UserLabelBackground, Qt::AlignLeft);
    tile.secondLine = label(TileElement::LabelBis, panel::UserLabelBackground, Qt::AlignLeft);
    tile.idleTime = label(TileElement::LabelTer, panel::IdleTimeLabelBackground, Qt::AlignHCenter);
    tile.idleTime->setFont(idleTimeFont());
    picture(TileElement::Image, Stop);
    picture(TileElement::ImageBis, Session);
    picture(TileElement::ImageTer, User);
    picture(TileElement::ImageQ, Idle);
}

void Salle30::createButton(QWidget *plan, int index, const QString &objectName, const QIcon &picture)
{
    const panel::ButtonBinding &binding = panel::ButtonBindings.at(std::size_t(index - 1));
    const QString station = toQString(m_panel->buttonTag(index));

    auto *button = new StationButton(plan);
    button->setObjectName(objectName);
    button->setGeometry(toQRect(layout::buttonRect(index)));
    button->setText(station);
    button->setProperty("Tag", station);
    button->setProperty("handler", toQString(binding.handler));
    button->setToolTip(toQString(m_panel->buttonToolTip(index)));
    button->setFont(buttonFont());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(picture);
    button->setIconSize(QSize(panel::ButtonPictureWidth, panel::ButtonPictureHeight));
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QAbstractButton::clicked, this, [this, index] { m_panel->stationClick(index); });
    m_buttons[std::size_t(index - 1)] = button;
}

void Salle30::createTimers()
{
    const auto create = [this](int k, const QString &name) {
        auto *timer = new QTimer(this);
        timer->setObjectName(name);
        // A coarse timer may tick up to 5 % off, half a second of a chain's
        // 10 s, and the status area counts those down to the second.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, k] { m_panel->tick(k); });
        m_timers[std::size_t(k - 1)] = timer;
        return timer;
    };
    for (const panel::TimerBinding &binding : panel::TimerBindings)
        create(binding.timer, toQString(binding.control))->setProperty("handler", toQString(binding.handler));
    create(room::CountdownTimer, u"statusCountdown"_s);
}

void Salle30::busyChanged(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void Salle30::roomChanged()
{
    showRoom();
    showStatus();
    followTimers();
}

void Salle30::showRoom()
{
    const room::RoomTiles &tiles = m_panel->tiles();
    for (int index = 1; index <= room::StationCount; ++index) {
        const room::StationTile &tile = tiles.tile(index);
        TileControls &controls = m_tiles[std::size_t(index - 1)];
        controls.userName->setText(toQString(tile.userName));
        controls.secondLine->setText(toQString(tile.secondLine));
        controls.idleTime->setText(toQString(tile.idleTime));
        for (TileElement element : room::AllTileElements)
            controls.elements[std::size_t(element)]->setVisible(tile.isVisible(element));
        StationButton *button = m_buttons[std::size_t(index - 1)];
        const QString description = toQString(m_panel->buttonDescription(index));
        if (button->accessibleDescription() != description)
            button->setAccessibleDescription(description);
    }
}

void Salle30::showStatus()
{
    m_status->setTexts(toQString(m_panel->roomStatusText()), toQString(m_panel->shutdownStatusText()));
    m_status->setToolTip(toQString(m_panel->statusToolTip()));
    // The central area's own geometry first, also before the first show.
    layout()->activate();
    auto *area = static_cast<RoomArea *>(centralWidget());
    area->placeStatus();
    // Texts longer than the usual lines (several failures at once, a host's
    // long error descriptions) make the window taller rather than go unread;
    // a window the operator maximised keeps its size.
    const int missing = m_status->geometry().bottom() + 1 - area->height();
    if (missing > 0 && m_status->height() > m_status->sizeHint().height()
        && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        resize(width(), height() + missing);
}

void Salle30::followTimers()
{
    for (int k = 1; k <= room::TimerCount; ++k) {
        const room::TimerOrder order = m_panel->syncTimer(k);
        QTimer *timer = m_timers[std::size_t(k - 1)];
        if (order.kind == room::TimerOrder::Start)
            timer->start(order.interval);
        else if (order.kind == room::TimerOrder::Stop)
            timer->stop();
    }
}
