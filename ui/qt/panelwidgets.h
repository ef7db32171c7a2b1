#pragma once
// The few widgets of the room panel that Qt has no ready match for.

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QProxyStyle>
#include <QToolButton>

#include <memory>
#include <vector>

class QAccessibleInterface;
class QSvgRenderer;

// One picture of the plan, from its SVG file, drawn once for each size and
// scale it is shown at, for every box that shows it: twelve tiles show the
// same four pictures, and drawing from the SVG is the slow part.
class PlanPicture final {
public:
    explicit PlanPicture(const QString &file);
    ~PlanPicture();

    // The picture stretched over `size` device-independent pixels, at `ratio`
    // device pixels to one, on a transparent ground.
    QPixmap drawn(QSize size, qreal ratio);

private:
    std::unique_ptr<QSvgRenderer> m_renderer;
    std::vector<QPixmap> m_drawn;
};

// A fixed picture of the plan: the SVG stretched over the whole widget, the
// plan's background showing through its transparent parts. It takes neither
// the focus nor a share of any layout. `picture` may serve several boxes and
// must outlive them.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    PictureBox(PlanPicture *picture, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PlanPicture *m_picture;
};

// A station's shutdown button: the picture above the caption on the
// button's own face colour, framed by a raised edge two pixels wide (sunken
// while pressed, darker while it has the focus), which it paints itself
// rather than through a style sheet, whose rules every control of the plan
// would then be matched against at start. Space, Return and Enter on the
// focused button click it, once per press of the key however long it is
// held: the click comes with the press, and nothing more until the key is
// let go. The focused button shows a dotted frame around its caption,
// whatever the style.
class StationButton final : public QToolButton {
    Q_OBJECT
public:
    // Its border, in pixels, around the picture and the caption.
    static constexpr int Border = 2;

    StationButton(QColor face, QWidget *parent) : QToolButton(parent), m_face(face) {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_face;
    int m_heldKey = 0;           // the activation key down now, or 0
    int m_releasedKey = 0;       // the activation key last let go
    quint64 m_releasedAt = 0;    // and the time of that event
};

// The status area under the plan: the room's news above, the shutdown's
// below, each word-wrapped over the whole width, never cut or elided. It
// asks for no width of its own: whoever places it gives it the plan's width
// or more, and the height that heightForWidth() says. An empty text takes no
// line.
class StatusArea final : public QFrame {
    Q_OBJECT
public:
    // The area is never lower than this many lines of text.
    static constexpr int Lines = 4;

    explicit StatusArea(QWidget *parent = nullptr);

    void setTexts(const QString &room, const QString &shutdown);

    // Lines lines of text: what a window opens with.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The height that shows both texts in full at `width`, and never less
    // than sizeHint()'s.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

private:
    QLabel *m_room;
    QLabel *m_shutdown;
};

// The panel's style: the platform's own, except that the picture of a menu
// bar's overflow button is read when that button is first drawn. The style
// reads it from a PNG file, and identifying that file makes Qt load every
// image format plugin, a few per cent of the panel's start, for a button
// that the plan's fixed-size window never shows. Set it on the application
// before the window is made; the application then owns it.
class PanelStyle final : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

// The accessible interface of a PictureBox: an image, named by its
// accessible name. Install it once with QAccessible::installFactory().
QAccessibleInterface *pictureBoxAccessible(const QString &className, QObject *object);
