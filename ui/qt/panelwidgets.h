#pragma once
// The few widgets of the room panel that Qt has no ready match for.

#include <QLabel>
#include <QPixmap>
#include <QToolButton>

class QSvgRenderer;

// A fixed picture of the plan: the SVG stretched over the whole widget, the
// plan's background showing through its transparent parts. It takes neither
// the focus nor a share of any layout. `picture` may serve several boxes and
// must outlive them.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    PictureBox(QSvgRenderer *picture, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer *m_picture;
    // The picture drawn at the box's size: tiles are shown and hidden at
    // every refresh, and drawing from the SVG each time is the slow part.
    QPixmap m_drawn;
};

// A station's shutdown button. Besides Space, Return and Enter on the focused
// button click it, as they do a Windows command button. The focused button
// shows a dotted frame around its caption, whatever the style.
class StationButton final : public QToolButton {
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// One line of text that never asks its window for room: it is as wide as it
// is given, and what does not fit ends in an ellipsis. text() and the tool
// tip keep the whole text.
class StatusLine final : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);

    void setLine(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
