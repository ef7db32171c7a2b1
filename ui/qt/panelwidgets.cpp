#include "panelwidgets.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>

PictureBox::PictureBox(QSvgRenderer *picture, QWidget *parent) : QWidget(parent), m_picture(picture)
{
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_drawn.size() != pixels) {
        m_drawn = QPixmap(pixels);
        m_drawn.setDevicePixelRatio(ratio);
        m_drawn.fill(Qt::transparent);
        QPainter picture(&m_drawn);
        picture.setRenderHint(QPainter::Antialiasing);
        m_picture->render(&picture, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    QPainter(this).drawPixmap(0, 0, m_drawn);
}

void StationButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        // One launch per key press: holding the key down must not fire the
        // shutdown tool again and again.
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void StationButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    if (!hasFocus())
        return;
    // A style sheet's button draws no focus frame of its own.
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + 6;
    const int height = metrics.height() + 1;
    const QRect caption((this->width() - width) / 2, this->height() - height - 3, width, height);
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.drawRect(caption.adjusted(0, 0, -1, -1));
}

StatusLine::StatusLine(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void StatusLine::setLine(const QString &text)
{
    if (text == this->text())
        return;
    setText(text);
    setToolTip(text);
}

QSize StatusLine::sizeHint() const
{
    return {0, minimumSizeHint().height()};
}

QSize StatusLine::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return {0, fontMetrics().height() + m.top() + m.bottom() + 2 * margin()};
}

void StatusLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
