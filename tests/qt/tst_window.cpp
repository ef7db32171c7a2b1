// The room panel window alone, over a host held in memory: its controls, their
// look, the keyboard, the binding of each event, the timers, the status area
// and what assistive technology reads. The room model and the shutdown chain
// have tests of their own.

#include "controls.h"
#include "layout.h"
#include "memoryhost.h"
#include "panelwidgets.h"
#include "roompaths.h"
#include "salle30window.h"
#include "sessionline.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using room::TileElement;

namespace {

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// The tile controls that are missing or show other than the model's tiles.
QStringList differencesFromModel(const Salle30 &window)
{
    QStringList differences;
    for (int n = 1; n <= room::StationCount; ++n) {
        const room::StationTile &tile = window.panel().tiles().tile(n);
        // The captions of Label, LabelBis and LabelTer, in that order.
        const QString captions[] = {toQString(tile.userName), toQString(tile.secondLine), toQString(tile.idleTime)};
        for (TileElement element : room::AllTileElements) {
            const QString name = toQString(panel::tileElementName(n, element));
            const auto *control = window.findChild<QWidget *>(name);
            const auto *label = qobject_cast<const QLabel *>(control);
            if (!control || control->isHidden() == tile.isVisible(element)
                || (label && label->text() != captions[int(element) - int(TileElement::Label)]))
                differences << name;
        }
    }
    return differences;
}

QString describe(const QFont &font)
{
    return u"%1 %2%3%4"_s.arg(font.family()).arg(font.pointSizeF()).arg(font.bold() ? u" bold" : u"",
                                                                        font.italic() ? u" italic" : u"");
}

QRect pixels(const layout::TwipRect &twips)
{
    const layout::TwipRect r = layout::toPixels(twips);
    return {r.left, r.top, r.width, r.height};
}

QString accessibleText(QWidget *widget, QAccessible::Text text)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(text) : u"(no accessible interface)"_s;
}

void fireTimer(QTimer *timer)
{
    QVERIFY(timer);
    QMetaObject::invokeMethod(timer, "timeout");
}

const std::u16string SessionList = room::SessionListFile;

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // Monday 7 December 2026, 08:30 UTC. PC3007 in session, PC3009 idle.
        m_host.emplace();
        m_host->time = std::chrono::sys_days(std::chrono::year{2026} / 12 / 7) + 8h + 30min;
        writeSessionList({sessionLine("PC3007", "USER17", "00:12:41"), sessionLine("PC3009", "LEFEBVRE", "02:47:10")});
    }

    void tilesFollowTheModel()
    {
        // The load step ran before any show, and every read shows on all 84 controls.
        const auto window = makeWindow();
        QCOMPARE(window->windowTitle(), u"Salle Talvero 30"_s);
        const QList<QSize> icon = window->windowIcon().availableSizes();
        QVERIFY2(icon.contains(QSize(16, 16)) && icon.contains(QSize(32, 32)), "padlock icon at 16 and 32");
        QCOMPARE(window->panel().tiles().tile(9).state, room::TileState::InSessionIdle);
        QCOMPARE(differencesFromModel(*window), QStringList());

        writeSessionList({sessionLine("PC3003", "BERNARD", "01:05:00"),
                          sessionLine("PC3012", "LEBLANC-DUPUY", "00:01:00")});
        trigger(*window, u"refresh"_s);
        QCOMPARE(window->panel().tiles().tile(7).state, room::TileState::NoSession);
        QCOMPARE(window->panel().tiles().tile(3).state, room::TileState::InSessionIdle);
        QCOMPARE(differencesFromModel(*window), QStringList());

        // A failed read keeps the room, on the model and on the plan.
        m_host->removeFile(SessionList);
        trigger(*window, u"refresh"_s);
        QCOMPARE(window->panel().tiles().tile(12).state, room::TileState::InSession);
        QCOMPARE(differencesFromModel(*window), QStringList());
    }

    void controlsStandWhereThePlanSays()
    {
        // Every control of every tile, and every button, where layout.h puts it.
        const auto window = makeWindow();
        QStringList misplaced;
        for (int n = 1; n <= room::StationCount; ++n) {
            const QString button = toQString(panel::stationButtonName(n));
            if (const auto *widget = window->findChild<QToolButton *>(button);
                !widget || widget->geometry() != pixels(layout::buttonRect(n)))
                misplaced << button;
            for (TileElement element : room::AllTileElements) {
                const QString name = toQString(panel::tileElementName(n, element));
                if (const auto *widget = window->findChild<QWidget *>(name);
                    !widget || widget->geometry() != pixels(layout::tileElementRect(n, element)))
                    misplaced << name;
            }
        }
        QCOMPARE(misplaced, QStringList());
    }

    void controls_data()
    {
        QTest::addColumn<QRect>("geometry"); // of the control the row is named after
        QTest::addColumn<QString>("station"); // buttons only: caption and tool tip
        QTest::addColumn<QString>("font");
        QTest::addColumn<QPoint>("spot"); // clear of the captions, inside the pictures' shapes
        QTest::addColumn<QColor>("colour"); // shown there, with whatever is drawn over the control
        const QString roman = u"Times New Roman 11.25 bold italic"_s, plain = describe(QApplication::font());
        const QColor stopRed(0xb0, 0, 0x0e), navy(0x0a, 0x1f, 0x8f), screen(0xa9, 0xdc, 0xfa), lamp(0xe0, 0, 0);
        const auto face = [](panel::Rgb c) { return QColor(c.red, c.green, c.blue); };
        // The bottom row runs PC3002 PC3001 PC3003; PC3002 shows its computer's screen.
        QTest::newRow("PC3001") << QRect(184, 376, 65, 81) << u"PC3001"_s << roman << QPoint(4, 40)
                                << face(panel::ButtonFace);
        QTest::newRow("PC3002") << QRect(48, 376, 65, 81) << u"PC3002"_s << roman << QPoint(40, 22) << screen;
        QTest::newRow("Pc3005") << QRect(184, 256, 65, 81) << u"PC3005"_s << roman << QPoint(60, 40)
                                << face(panel::ButtonFace);
        QTest::newRow("PC3012") << QRect(408, 8, 65, 81) << u"PC3012"_s << roman << QPoint(4, 40)
                                << face(panel::ButtonFace);
        // Image1 alone is smaller, its picture stretched; the user picture is narrowed.
        QTest::newRow("Image1") << QRect(248, 376, 31, 31) << QString() << plain << QPoint(15, 24) << stopRed;
        QTest::newRow("Image2") << QRect(112, 376, 32, 32) << QString() << plain << QPoint(16, 25) << stopRed;
        QTest::newRow("Image7bis") << QRect(112, 128, 29, 29) << QString() << plain << QPoint(8, 20) << navy;
        QTest::newRow("Image7ter") << QRect(32, 208, 21, 29) << QString() << plain << QPoint(10, 14) << QColor(0, 0, 0);
        QTest::newRow("Image9q") << QRect(520, 152, 25, 25) << QString() << plain << QPoint(12, 15) << lamp;
        QTest::newRow("Label7") << QRect(48, 208, 97, 17) << QString() << plain << QPoint(94, 14)
                                << face(panel::UserLabelBackground);
        QTest::newRow("Label9ter") << QRect(472, 168, 65, 17) << QString() << u"Times New Roman 9 bold"_s
                                   << QPoint(1, 14) << face(panel::IdleTimeLabelBackground);
        QTest::newRow("plan") << QRect(0, 0, 545, 500) << QString() << plain << QPoint(300, 10)
                              << face(panel::PlanBackground);
    }

    void controls()
    {
        QFETCH(QRect, geometry);
        QFETCH(QString, station);
        QFETCH(QString, font);
        QFETCH(QPoint, spot);
        QFETCH(QColor, colour);
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        const auto *widget = window->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(widget && widget->isVisible());
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(describe(widget->font()), font);
        QCOMPARE(widget->parentWidget()->grab(geometry).toImage().pixelColor(spot), colour);
        QCOMPARE(widget->toolTip(), station.isEmpty() ? QString() : u"Eteindre "_s + station);
        if (const auto *button = qobject_cast<const QToolButton *>(widget)) {
            QCOMPARE(button->text(), station);
            QCOMPARE(button->property("Tag").toString(), station);
        }
    }

    void menus()
    {
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        QStringList shown;
        for (const QString &name : {u"fichier"_s, u"Application"_s}) {
            auto *menu = window->findChild<QMenu *>(name);
            QVERIFY(menu);
            shown << menu->title();
            for (const QAction *action : menu->actions())
                shown << action->objectName() + u' ' + action->text();
            // Alt and the title's access key open the menu.
            QTest::keyClick(window.get(), menu->title().at(1).toLower().toLatin1(), Qt::AltModifier);
            QTRY_VERIFY(menu->isVisible());
            QTest::keyClick(menu, Qt::Key_Escape);
            QTRY_VERIFY(!menu->isVisible());
        }
        // Each menu's title, then each item's name and caption.
        QCOMPARE(shown, (QStringList{u"&Fichier"_s, u"Quitter &Quitter"_s, u"&Application"_s, u"refresh &Rafraîchir"_s,
                                     u"blanc01 "_s, u"Stopall &Eteindre tous les ordinateurs"_s}));
        QVERIFY(window->findChild<QAction *>(u"blanc01"_s)->isSeparator());
    }

    void keyboardWalksTheButtons()
    {
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        QStringList walked{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        // From Pc3005 round to it again: nothing else takes the focus.
        QCOMPARE(walked.join(u' '),
                 u"Pc3005 PC3001 PC3002 PC3011 PC3012 PC3009 PC3008 PC3007 PC3006 PC3004 PC3003 PC3010 Pc3005"_s);
    }

    void buttonShutsDownItsStation_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<QString>("sent");
        QTest::newRow("mouse on PC3007") << u"PC3007"_s << 0 << u"PC3007"_s;
        QTest::newRow("space on Pc3005") << u"Pc3005"_s << int(Qt::Key_Space) << u"PC3005"_s;
        QTest::newRow("return on PC3012") << u"PC3012"_s << int(Qt::Key_Return) << u"PC3012"_s;
        QTest::newRow("keypad enter on PC3001") << u"PC3001"_s << int(Qt::Key_Enter) << u"PC3001"_s;
    }

    void buttonShutsDownItsStation()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, sent);
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        auto *button = window->findChild<QToolButton *>(control);
        QVERIFY(button);
        m_host->launched.clear();
        button->setFocus();
        if (key == 0)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keyClick(button, Qt::Key(key));
        QCOMPARE(launched(), QStringList{u"d:\\talvero\\shutcmd.exe \\\\"_s + sent + u' '
                                         + toQString(window->panel().ShutdownArgs())});
        QVERIFY(window->panel().ShutdownArgs().size() > 100);
    }

    // A key held on a station button, as X delivers it: the press, then,
    // 30 times a second, a release and a press that bear the same time,
    // which Qt marks as repeated only when it reads both at once; a loaded
    // machine splits some pairs. Three holds of 1.5 s each.
    void heldKeyGivesOneOrderPerPress_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("repeats"); // "marked", "unmarked", "mixed", "presses only"
        QTest::addColumn<int>("holds");
        QTest::newRow("Return, every pair unmarked") << int(Qt::Key_Return) << u"unmarked"_s << 3;
        QTest::newRow("Space, every pair unmarked") << int(Qt::Key_Space) << u"unmarked"_s << 3;
        QTest::newRow("keypad Enter, every pair unmarked") << int(Qt::Key_Enter) << u"unmarked"_s << 3;
        QTest::newRow("Return, one pair in three unmarked") << int(Qt::Key_Return) << u"mixed"_s << 3;
        QTest::newRow("Space, one pair in three unmarked") << int(Qt::Key_Space) << u"mixed"_s << 3;
        QTest::newRow("Return, every pair marked") << int(Qt::Key_Return) << u"marked"_s << 3;
        QTest::newRow("Space, every pair marked") << int(Qt::Key_Space) << u"marked"_s << 3;
        QTest::newRow("Space, repeated presses without releases") << int(Qt::Key_Space) << u"presses only"_s << 3;
        QTest::newRow("Return, single presses one after the other") << int(Qt::Key_Return) << u"none"_s << 5;
    }

    void heldKeyGivesOneOrderPerPress()
    {
        QFETCH(int, key);
        QFETCH(QString, repeats);
        QFETCH(int, holds);
        const auto window = makeWindow();
        auto *button = window->findChild<QToolButton *>(u"PC3007"_s);
        QVERIFY(button);
        button->setFocus();
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        const QString text = key == Qt::Key_Space ? u" "_s : u"\r"_s;
        quint64 time = 100000;
        const auto send = [&](QEvent::Type type, bool marked) {
            QKeyEvent event(type, key, modifiers, text, marked);
            event.setTimestamp(time);
            QApplication::sendEvent(button, &event);
        };
        m_host->launched.clear();
        for (int hold = 0; hold < holds; ++hold) {
            send(QEvent::KeyPress, false);
            const int pairs = repeats == u"none" ? 0 : 45;
            for (int i = 1; i <= pairs; ++i) {
                time += 33;
                const bool marked = repeats == u"marked" || (repeats == u"mixed" && i % 3 != 0);
                if (repeats != u"presses only")
                    send(QEvent::KeyRelease, marked);
                send(QEvent::KeyPress, marked);
            }
            time += 33;
            send(QEvent::KeyRelease, false);
            time += 250;
        }
        QCOMPARE(launched(), QStringList(holds, launched().value(0)));
        QVERIFY2(launched().value(0).contains(u"\\PC3007 "_s), qPrintable(launched().value(0)));
    }

    void timersFollowTheModel()
    {
        const auto window = makeWindow();
        QList<QTimer *> timers;
        for (const panel::TimerBinding &binding : panel::TimerBindings)
            timers << window->findChild<QTimer *>(toQString(binding.control));
        QVERIFY(!timers.contains(nullptr));
        const auto active = [&] {
            QStringList names;
            for (const QTimer *timer : timers) {
                if (timer->isActive())
                    names << timer->objectName() + u'/' + QString::number(timer->interval());
            }
            return names.join(u' ');
        };
        QCOMPARE(active(), u"Timer1/30000"_s);

        // Timer1's tick refreshes: the command is launched and the list read again.
        m_host->launched.clear();
        m_host->opened.clear();
        writeSessionList({sessionLine("PC3002", "MARTIN", "03:00:00")});
        fireTimer(timers[0]);
        QCOMPARE(launched(), QStringList{u"d:\\talvero\\session.bat"_s});
        QCOMPARE(m_host->opened.size(), std::size_t(1));
        QCOMPARE(window->findChild<QWidget *>(u"Image2q"_s)->isHidden(), false);
        QCOMPARE(active(), u"Timer1/30000"_s);

        // A tick the window still had queued for a stopped chain timer shuts nothing down.
        m_host->launched.clear();
        fireTimer(timers[4]);
        QCOMPARE(launched(), QStringList());

        // Stopall: PC3001 at once and Timer2 counting; each tick hands on to the next timer.
        trigger(*window, u"Stopall"_s);
        QCOMPARE(active(), u"Timer1/30000 Timer2/10000"_s);
        for (int k = 2; k <= 12; ++k) {
            fireTimer(timers[k - 1]);
            QCOMPARE(timers[k - 1]->isActive(), false);
            if (k < 12)
                QVERIFY2(timers[k]->isActive(), qPrintable(timers[k]->objectName()));
        }
        QCOMPARE(active(), u"Timer1/30000"_s);
        // One launch at the choice and one per tick; their order is the model's.
        QCOMPARE(launched().size(), 12);
    }

    void enablingAgainRestartsTheInterval()
    {
        // Stopall during a room shutdown enables Timer2 again: its 10 s start anew. A handler
        // that leaves a timer enabled leaves its count alone.
        const auto window = makeWindow();
        auto *timer2 = window->findChild<QTimer *>(u"Timer2"_s);
        QVERIFY(timer2);
        trigger(*window, u"Stopall"_s);
        const int full = timer2->interval();
        QTRY_VERIFY(timer2->remainingTime() < full - 200);
        trigger(*window, u"refresh"_s);
        QVERIFY(timer2->isActive());
        QVERIFY(timer2->remainingTime() < full - 200);
        trigger(*window, u"Stopall"_s);
        QVERIFY(timer2->isActive());
        QVERIFY2(timer2->remainingTime() > full - 100, qPrintable(QString::number(timer2->remainingTime())));
    }

    void busyPointerComesBack_data()
    {
        QTest::addColumn<int>("fault"); // 0 none, 1 missing file, 2 open refused, 3 read fails midway
        QTest::newRow("good read") << 0;
        QTest::newRow("dcon.txt missing") << 1;
        QTest::newRow("open refused") << 2;
        QTest::newRow("read fails midway") << 3;
    }

    void busyPointerComesBack()
    {
        QFETCH(int, fault);
        const auto window = makeWindow();
        QList<Qt::CursorShape> duringRead;
        m_host->whileOpening = [&] { duringRead << window->cursor().shape(); };
        auto &files = m_host->files;
        if (fault == 1)
            m_host->removeFile(SessionList);
        else if (fault == 2)
            files.at(SessionList).openFailure = platform::Failure{13, u"Permission denied"};
        else if (fault == 3) {
            platform::MemoryHost::File &file = files.at(SessionList);
            file.bytes = std::string(4096, '\\');
            file.readFailure = platform::Failure{5, u"Input/output error"};
            file.readFailureAfter = 10;
        }

        for (const QString &source : {u"refresh"_s, u"Timer1"_s}) {
            if (source == u"refresh")
                trigger(*window, source);
            else
                fireTimer(window->findChild<QTimer *>(source));
            QCOMPARE(duringRead.size(), source == u"refresh" ? 1 : 2);
            QCOMPARE(duringRead.back(), Qt::WaitCursor);
            QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
        }
        // The read did fail where it was meant to, and nothing opened a dialog.
        QCOMPARE(window->panel().roomStatusText().find(u"dcon.txt illisible") != std::u16string::npos, fault != 0);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void statusAreaShowsBothTexts()
    {
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        auto *roomText = window->findChild<QLabel *>(u"roomStatus"_s);
        auto *shutdownText = window->findChild<QLabel *>(u"shutdownStatus"_s);
        auto *area = window->findChild<QWidget *>(u"statusArea"_s);
        QVERIFY(roomText && shutdownText && area);
        QVERIFY(!roomText->text().isEmpty());
        QCOMPARE(roomText->text(), toQString(window->panel().roomStatusText()));
        QVERIFY(shutdownText->isHidden());
        QCOMPARE(area->toolTip(), toQString(window->panel().statusToolTip()));
        QVERIFY2(area->toolTip().contains(u"d:\\talvero\\"_s), qPrintable(area->toolTip()));

        // A failed read, no dialog, and the long message widens nothing.
        m_host->removeFile(SessionList);
        trigger(*window, u"refresh"_s);
        QVERIFY2(roomText->text().contains(u"dcon.txt illisible"_s), qPrintable(roomText->text()));
        for (const QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!(widget->isVisible() && qobject_cast<const QDialog *>(widget)));
        QCOMPARE(window->width(), 545);

        // A room shutdown shows under the room's text, and the countdown's tick keeps it current.
        trigger(*window, u"Stopall"_s);
        const QString failure = roomText->text();
        QVERIFY(shutdownText->isVisible());
        QVERIFY2(shutdownText->text().contains(u"PC3002 dans 10 s"_s), qPrintable(shutdownText->text()));
        auto *countdown = window->findChild<QTimer *>(u"statusCountdown"_s);
        QVERIFY(countdown && countdown->isActive());
        m_host->advance(7s);
        fireTimer(countdown);
        QVERIFY2(shutdownText->text().contains(u"PC3002 dans 3 s"_s), qPrintable(shutdownText->text()));
        QCOMPARE(roomText->text(), failure);
        for (int k = 2; k <= 12; ++k)
            fireTimer(window->findChild<QTimer *>(u"Timer"_s + QString::number(k)));
        QVERIFY(!countdown->isActive());
        QCOMPARE(shutdownText->text(), toQString(window->panel().shutdownStatusText()));
        QVERIFY2(shutdownText->text().contains(u"PC3012"_s), qPrintable(shutdownText->text()));
    }

    // The overflow button's picture, read only when first asked for, is
    // the platform style's own in every size, scale and mode.
    void overflowPictureIsThePlatformStyles_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QIcon::Mode>("mode");
        QTest::newRow("16 px") << QSize(16, 16) << 1.0 << QIcon::Normal;
        QTest::newRow("32 px at twice the density") << QSize(32, 32) << 2.0 << QIcon::Normal;
        QTest::newRow("24 px disabled") << QSize(24, 24) << 1.0 << QIcon::Disabled;
        QTest::newRow("a size the style has no file for") << QSize(20, 13) << 1.5 << QIcon::Active;
    }

    void overflowPictureIsThePlatformStyles()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        QFETCH(QIcon::Mode, mode);
        const QStyle *platform = QApplication::style();
        PanelStyle panelStyle(QStyleFactory::create(platform->name()));
        const QIcon deferred = panelStyle.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QIcon own = platform->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QVERIFY(!own.isNull());
        QCOMPARE(deferred.actualSize(size, mode), own.actualSize(size, mode));
        QCOMPARE(deferred.availableSizes(mode), own.availableSizes(mode));
        QCOMPARE(deferred.pixmap(size, ratio, mode).toImage(), own.pixmap(size, ratio, mode).toImage());
        QImage painted(size, QImage::Format_ARGB32_Premultiplied), ownPainted = painted;
        painted.fill(Qt::transparent);
        ownPainted.fill(Qt::transparent);
        QPainter onPainted(&painted), onOwn(&ownPainted);
        deferred.paint(&onPainted, painted.rect(), Qt::AlignCenter, mode);
        own.paint(&onOwn, ownPainted.rect(), Qt::AlignCenter, mode);
        QCOMPARE(painted, ownPainted);
    }

    void overflowPictureIsReadWhenFirstWanted()
    {
        class CountingStyle final : public QProxyStyle {
        public:
            using QProxyStyle::QProxyStyle;
            QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
            {
                asked += which == SP_ToolBarHorizontalExtensionButton;
                return QProxyStyle::standardIcon(which, option, widget);
            }
            mutable int asked = 0;
        };
        auto *counting = new CountingStyle(QStyleFactory::create(QApplication::style()->name()));
        PanelStyle panelStyle(counting);
        const QIcon icon = panelStyle.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QIcon copy = icon;
        QCOMPARE(counting->asked, 0);
        QVERIFY(!copy.pixmap(16).isNull());
        QVERIFY(!icon.pixmap(32).isNull());
        QVERIFY(!icon.actualSize(QSize(8, 8)).isEmpty());
        QCOMPARE(counting->asked, 1);
    }

    void statusTextsFitInFull_data()
    {
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<bool>("commandFails");
        QTest::addColumn<bool>("shutdownFails");
        QTest::addColumn<bool>("chainRuns");
        QTest::newRow("a good read") << false << false << false << false;
        QTest::newRow("read and command fail") << true << true << false << false;
        QTest::newRow("chain under way, its launches failing") << false << false << true << true;
        QTest::newRow("everything fails during a chain") << true << true << true << true;
    }

    void statusTextsFitInFull()
    {
        QFETCH(bool, readFails);
        QFETCH(bool, commandFails);
        QFETCH(bool, shutdownFails);
        QFETCH(bool, chainRuns);
        // Long descriptions, as a host in another language may give.
        const platform::Failure longFailure{
            1326, u"Le nom d'utilisateur ou le mot de passe est incorrect pour accéder au partage réseau demandé"};
        if (readFails)
            m_host->files.at(SessionList).openFailure = longFailure;
        if (commandFails)
            m_host->failingLaunches.emplace(room::SessionListCommand, longFailure);
        if (shutdownFails)
            m_host->failingLaunches.emplace(room::ShutdownTool, longFailure);
        const auto window = makeWindow();
        if (chainRuns)
            trigger(*window, u"Stopall"_s);
        else
            trigger(*window, u"refresh"_s);
        QVERIFY(showAndActivate(*window));

        const auto *area = window->findChild<QWidget *>(u"statusArea"_s);
        const QRect seen = window->centralWidget()->rect();
        QVERIFY2(seen.contains(area->geometry()), "the status area lies within the default window");
        QVERIFY(area->geometry().top() >= 500);
        int shownTexts = 0;
        for (const QString &name : {u"roomStatus"_s, u"shutdownStatus"_s}) {
            const auto *label = window->findChild<QLabel *>(name);
            if (label->text().isEmpty())
                continue;
            ++shownTexts;
            QVERIFY(label->isVisible());
            QVERIFY(label->wordWrap());
            const QRect room = label->contentsRect();
            const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 100000),
                                                                  Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                     qPrintable(u"%1 needs %2x%3, has %4x%5: %6"_s.arg(name)
                                    .arg(needed.width()).arg(needed.height())
                                    .arg(room.width()).arg(room.height()).arg(label->text())));
            QVERIFY2(area->rect().contains(QRect(label->mapTo(area, QPoint(0, 0)), label->size())),
                     qPrintable(name));
        }
        QCOMPARE(shownTexts, chainRuns || shutdownFails ? 2 : 1);
        // The usual news keeps the window at the size it opens with.
        if (!readFails && !commandFails && !shutdownFails)
            QCOMPARE(area->height(), area->sizeHint().height());
    }

    void tileElementsAreNamed()
    {
        // The model words them; the window hands every one of them on.
        const auto window = makeWindow();
        for (int n = 1; n <= room::StationCount; ++n) {
            for (TileElement element : room::AllTileElements) {
                const QString name = toQString(panel::tileElementName(n, element));
                auto *control = window->findChild<QWidget *>(name);
                QVERIFY2(control, qPrintable(name));
                const QString words = toQString(window->panel().pictureName(n, element));
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY(accessible);
                QVERIFY(!accessible->state().focusable);
                if (qobject_cast<QLabel *>(control)) {
                    QCOMPARE(accessible->text(QAccessible::Description), words);
                } else {
                    QCOMPARE(accessible->role(), QAccessible::Graphic);
                    QCOMPARE(accessible->text(QAccessible::Name), words);
                }
            }
        }
    }

    void buttonsDescribeTheirTiles()
    {
        writeSessionList({sessionLine("PC3002", "MARTIN", "00:00:05")});
        const auto window = makeWindow();
        const auto differences = [&] {
            QStringList wrong;
            for (int n = 1; n <= room::StationCount; ++n) {
                auto *button = window->findChild<QToolButton *>(toQString(panel::stationButtonName(n)));
                if (!button || accessibleText(button, QAccessible::Name) != button->text()
                    || accessibleText(button, QAccessible::Description)
                           != toQString(window->panel().buttonDescription(n)))
                    wrong << toQString(panel::stationButtonName(n));
            }
            return wrong;
        };
        QCOMPARE(differences(), QStringList());
        const std::u16string before = window->panel().buttonDescription(2);

        // Every refresh tells the buttons.
        writeSessionList({sessionLine("PC3007", "USER17", "00:12:41"), sessionLine("PC3009", "LEFEBVRE", "02:47:10")});
        trigger(*window, u"refresh"_s);
        QVERIFY(window->panel().buttonDescription(2) != before);
        QCOMPARE(differences(), QStringList());
    }

    void quitterEndsWindowAndTimers()
    {
        // The window deletes itself when closed; the guard deletes what a failed close left.
        const QPointer<Salle30> window = makeWindow().release();
        const auto leftover = qScopeGuard([&] { delete window.data(); });
        QVERIFY(showAndActivate(*window));
        trigger(*window, u"Stopall"_s);
        const QPointer<QTimer> timers[] = {window->findChild<QTimer *>(u"Timer1"_s),
                                           window->findChild<QTimer *>(u"Timer2"_s)};
        QVERIFY(timers[0] && timers[1] && timers[1]->isActive());

        trigger(*window, u"Quitter"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QVERIFY(timers[0].isNull() && timers[1].isNull());
    }

private:
    std::unique_ptr<Salle30> makeWindow() { return std::make_unique<Salle30>(*m_host); }
    static bool showAndActivate(Salle30 &window)
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    static void trigger(Salle30 &window, const QString &item)
    {
        auto *action = window.findChild<QAction *>(item);
        QVERIFY2(action, qPrintable(item));
        action->trigger();
    }
    void writeSessionList(std::initializer_list<std::string> lines)
    {
        std::string bytes;
        for (const std::string &line : lines)
            bytes += line + "\r\n";
        m_host->writeFile(SessionList, bytes);
    }
    QStringList launched() const
    {
        QStringList lines;
        for (const std::u16string &line : m_host->launched)
            lines << toQString(line);
        return lines;
    }

    std::optional<platform::MemoryHost> m_host;
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
