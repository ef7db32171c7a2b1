#include "panelwidgets.h"

#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QIconEngine>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionToolButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

// An icon made by `make` the first time it is measured or drawn, and then
// answering as that icon does.
class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // Both take `size` in device pixels: the icon is asked for as many at
    // `scale` device pixels to one, and the caller sets the ratio it reports.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap((QSizeF(size) / scale).toSize(), scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }

private:
    const QIcon &icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QIcon m_icon;
};

} // namespace

QIcon PanelStyle::standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const
{
    if (which != SP_ToolBarHorizontalExtensionButton || option)
        return QProxyStyle::standardIcon(which, option, widget);
    // Made by the base style, as it would be now, when first measured or drawn.
    return QIcon(new DeferredIconEngine(
        [base = QPointer<QStyle>(baseStyle()), widget = QPointer<const QWidget>(widget), which] {
            return base ? base->standardIcon(which, nullptr, widget) : QIcon();
        }));
}

PlanPicture::PlanPicture(const QString &file) : m_renderer(std::make_unique<QSvgRenderer>(file)) {}

PlanPicture::~PlanPicture() = default;

QPixmap PlanPicture::drawn(QSize size, qreal ratio)
{
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    for (const QPixmap &pixmap : m_drawn) {
        if (pixmap.size() == pixels && pixmap.devicePixelRatio() == ratio)
            return pixmap;
    }
    QPixmap pixmap(pixels);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    m_drawn.push_back(pixmap);
    return pixmap;
}

PictureBox::PictureBox(PlanPicture *picture, QWidget *parent) : QWidget(parent), m_picture(picture)
{
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, m_picture->drawn(size(), devicePixelRatioF()));
}

namespace {

// Space, Return and keypad Enter, with no modifier but the keypad's.
bool activates(const QKeyEvent *event)
{
    const int key = event->key();
    return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

void StationButton::keyPressEvent(QKeyEvent *event)
{
    if (!activates(event)) {
        QToolButton::keyPressEvent(event);
        return;
    }
    event->accept();
    // X repeats a held key as a release and a press that bear the same
    // time. Qt marks the press as repeated only when it finds both in its
    // queue at once, which a loaded machine does not always give it, so the
    // pair is recognised here by its time as well.
    const bool repeated = event->isAutoRepeat() || m_heldKey == event->key()
        || (event->key() == m_releasedKey && event->timestamp() == m_releasedAt && m_releasedAt != 0);
    m_heldKey = event->key();
    if (!repeated)
        click();
}

void StationButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!activates(event)) {
        QToolButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat())
        return;
    if (event->key() == m_heldKey)
        m_heldKey = 0;
    m_releasedKey = event->key();
    m_releasedAt = event->timestamp();
}

void StationButton::focusOutEvent(QFocusEvent *event)
{
    // The key's release goes to whichever control has the focus then.
    m_heldKey = 0;
    QToolButton::focusOutEvent(event);
}

void StationButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF box(rect());
    painter.fillRect(rect(), m_face);
    // Raised: light above and left, dark below and right; focused, darker;
    // pressed, the other way round. Each edge is a trapezoid, drawn
    // smoothed, so that two colours meet on the corner's diagonal.
    QColor light(255, 255, 255);
    QColor dark(96, 96, 96);
    if (isDown()) {
        std::swap(light, dark);
    } else if (hasFocus()) {
        light = QColor(64, 64, 64);
        dark = QColor(0, 0, 0);
    }
    const qreal w = Border;
    const qreal left = box.left(), top = box.top(), right = box.right(), bottom = box.bottom();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const auto edge = [&](const QPolygonF &shape, const QColor &colour) {
        painter.setBrush(colour);
        painter.drawPolygon(shape);
    };
    // The two edges of one colour each cover their shared corner whole; the
    // light and the dark share theirs on the diagonal.
    edge(QPolygonF({{left, bottom}, {left + w, bottom - w}, {right, bottom - w}, {right, bottom}}), dark);
    edge(QPolygonF({{right - w, top + w}, {right - w, bottom}, {right, bottom}, {right, top}}), dark);
    edge(QPolygonF({{left, top}, {left, top + w}, {right - w, top + w}, {right, top}}), light);
    edge(QPolygonF({{left, top}, {left, bottom}, {left + w, bottom - w}, {left + w, top}}), light);
    painter.restore();

    // The picture and the caption inside the edge, shifted while pressed.
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.rect = rect().adjusted(Border, Border, -Border, -Border);
    style()->drawControl(QStyle::CE_ToolButtonLabel, &option, &painter, this);

    if (!hasFocus())
        return;
    // The focused button shows a dotted frame around its caption.
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + 6;
    const int height = metrics.height() + 1;
    const QRect caption((this->width() - width) / 2, this->height() - height - 3, width, height);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(caption.adjusted(0, 0, -1, -1));
}

StatusArea::StatusArea(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // The window's own face, not the plan's yellow: the texts are news
    // about the room, not part of its plan.
    QPalette face = palette();
    face.setColor(QPalette::Window, QGuiApplication::palette().color(QPalette::Window));
    setPalette(face);
    setAutoFillBackground(true);
    auto *texts = new QVBoxLayout(this);
    texts->setContentsMargins(4, 2, 4, 2);
    texts->setSpacing(0);
    auto label = [&](const QString &name) {
        auto *text = new QLabel(this);
        text->setObjectName(name);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->hide();
        texts->addWidget(text);
        return text;
    };
    m_room = label(QStringLiteral("roomStatus"));
    m_shutdown = label(QStringLiteral("shutdownStatus"));
    texts->addStretch(1);
}

void StatusArea::setTexts(const QString &room, const QString &shutdown)
{
    for (auto [label, text] : {std::pair{m_room, room}, std::pair{m_shutdown, shutdown}}) {
        if (label->text() != text)
            label->setText(text);
        label->setVisible(!text.isEmpty());
    }
}

QSize StatusArea::sizeHint() const
{
    const QMargins frame = contentsMargins();
    const QMargins texts = layout()->contentsMargins();
    return {0, frame.top() + frame.bottom() + texts.top() + texts.bottom() + Lines * fontMetrics().lineSpacing()};
}

QSize StatusArea::minimumSizeHint() const
{
    return sizeHint();
}

int StatusArea::heightForWidth(int width) const
{
    const QMargins frame = contentsMargins();
    const QMargins texts = layout()->contentsMargins();
    const int textWidth = width - frame.left() - frame.right() - texts.left() - texts.right();
    int needed = frame.top() + frame.bottom() + texts.top() + texts.bottom();
    for (const QLabel *label : {m_room, m_shutdown}) {
        if (!label->text().isEmpty())
            needed += label->heightForWidth(textWidth);
    }
    return qMax(needed, sizeHint().height());
}

QAccessibleInterface *pictureBoxAccessible(const QString &className, QObject *object)
{
    // Without this a picture is a bare "filler" that screen readers pass over.
    if (className == QLatin1String("PictureBox") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}
