// The room panel window alone: its controls, their look, the keyboard and the binding of
// each event. The room model and the shutdown chain have tests of their own.

#include "roommonitor.h"
#include "roomshutdown.h"
#include "salle30window.h"
#include "shutdowncommand.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using room::TileElement;

namespace {

// The names of tile N's controls, in the order of room::TileElement.
const char16_t *const TileControlNames[] = {u"Image%1", u"Image%1bis", u"Image%1ter", u"Image%1q",
                                            u"Label%1", u"Label%1bis", u"Label%1ter"};

// The tile controls that are missing or show other than the model's tiles.
QStringList differencesFromModel(const Salle30 &window)
{
    QStringList differences;
    for (int n = 1; n <= 12; ++n) {
        const room::StationTile &tile = window.monitor()->tiles().tile(n);
        // The captions of Label, LabelBis and LabelTer, in that order.
        const QString captions[] = {tile.userName, tile.secondLine, tile.idleTime};
        for (TileElement element : room::AllTileElements) {
            const QString name = QString::fromUtf16(TileControlNames[int(element)]).arg(n);
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

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // PC3007 in session, PC3009 idle.
        QVERIFY(m_drive.emplace().isValid());
        m_drive->writeSessionList(sessionLine("PC3007", "USER17", "00:12:41") + "\r\n"
                                  + sessionLine("PC3009", "LEFEBVRE", "02:47:10") + "\r\n");
    }

    void tilesFollowTheRoom()
    {
        // The load step ran before any show, and every read shows on all 84 controls.
        const auto window = makeWindow();
        QCOMPARE(window->windowTitle(), u"Salle Talvero 30"_s);
        const QList<QSize> icon = window->windowIcon().availableSizes();
        QVERIFY2(icon.contains(QSize(16, 16)) && icon.contains(QSize(32, 32)), "padlock icon at 16 and 32");
        QCOMPARE(window->monitor()->tiles().tile(9).state, room::TileState::InSessionIdle);
        QCOMPARE(differencesFromModel(*window), QStringList());

        m_drive->writeSessionList(sessionLine("PC3003", "BERNARD", "01:05:00") + "\r\n"
                                  + sessionLine("PC3012", "LEBLANC-DUPUY", "00:01:00") + "\r\n");
        window->findChild<QAction *>(u"refresh"_s)->trigger();
        QCOMPARE(differencesFromModel(*window), QStringList());
    }

    void controls_data()
    {
        QTest::addColumn<QRect>("geometry"); // of the control the row is named after
        QTest::addColumn<QString>("station"); // buttons only: caption and tool tip
        QTest::addColumn<QString>("font");
        QTest::addColumn<QPoint>("spot"); // clear of the captions, inside the pictures' shapes
        QTest::addColumn<QColor>("colour"); // shown there, with whatever is drawn over the control
        const QString roman = u"Times New Roman 11.25 bold italic"_s, plain = describe(QApplication::font());
        const QColor green(192, 255, 192), peach(255, 224, 192), stopRed(0xb0, 0, 0x0e), navy(0x0a, 0x1f, 0x8f);
        const QColor screen(0xa9, 0xdc, 0xfa), lamp(0xe0, 0, 0), lavender(192, 192, 255), yellow(255, 255, 192);
        // The bottom row runs PC3002 PC3001 PC3003; PC3002 shows its computer's screen.
        QTest::newRow("PC3001") << QRect(184, 376, 65, 81) << u"PC3001"_s << roman << QPoint(4, 40) << green;
        QTest::newRow("PC3002") << QRect(48, 376, 65, 81) << u"PC3002"_s << roman << QPoint(40, 22) << screen;
        QTest::newRow("Pc3005") << QRect(184, 256, 65, 81) << u"PC3005"_s << roman << QPoint(60, 40) << green;
        QTest::newRow("PC3012") << QRect(408, 8, 65, 81) << u"PC3012"_s << roman << QPoint(4, 40) << green;
        // Image1 alone is smaller, its picture stretched; the user picture is narrowed.
        QTest::newRow("Image1") << QRect(248, 376, 31, 31) << QString() << plain << QPoint(15, 24) << stopRed;
        QTest::newRow("Image2") << QRect(112, 376, 32, 32) << QString() << plain << QPoint(16, 25) << stopRed;
        QTest::newRow("Image7bis") << QRect(112, 128, 29, 29) << QString() << plain << QPoint(8, 20) << navy;
        QTest::newRow("Image7ter") << QRect(32, 208, 21, 29) << QString() << plain << QPoint(10, 14) << QColor(0, 0, 0);
        QTest::newRow("Image9q") << QRect(520, 152, 25, 25) << QString() << plain << QPoint(12, 15) << lamp;
        QTest::newRow("Label7") << QRect(48, 208, 97, 17) << QString() << plain << QPoint(94, 14) << peach;
        QTest::newRow("Label7bis") << QRect(48, 224, 97, 17) << QString() << plain << QPoint(94, 14) << peach;
        QTest::newRow("Label9ter") << QRect(472, 168, 65, 17) << QString() << u"Times New Roman 9 bold"_s
                                   << QPoint(1, 14) << lavender;
        QTest::newRow("plan") << QRect(0, 0, 545, 500) << QString() << plain << QPoint(300, 10) << yellow;
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
        if (const auto *button = qobject_cast<const QToolButton *>(widget))
            QCOMPARE(button->text(), station);
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
        QTest::addColumn<QString>("sent"); // set as the Tag first when it is not the caption
        QTest::newRow("mouse on PC3007") << u"PC3007"_s << 0 << u"PC3007"_s;
        QTest::newRow("space on Pc3005") << u"Pc3005"_s << int(Qt::Key_Space) << u"PC3005"_s;
        QTest::newRow("return on PC3012") << u"PC3012"_s << int(Qt::Key_Return) << u"PC3012"_s;
        QTest::newRow("changed Tag is what is sent") << u"PC3004"_s << 0 << u"PC3099"_s;
    }

    void buttonShutsDownItsStation()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, sent);
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        auto *button = window->findChild<QToolButton *>(control);
        if (sent != button->text())
            button->setProperty("Tag", sent);
        m_launcher.launched.clear();
        button->setFocus();
        if (key == 0)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keyClick(button, Qt::Key(key));
        QCOMPARE(m_launcher.launched, QStringList{shutdownCommandLine(sent, window->monitor()->ShutdownArgs())});
    }

    void statusLine()
    {
        const auto window = makeWindow();
        QVERIFY(showAndActivate(*window));
        const auto *status = window->findChild<QLabel *>(u"statusLine"_s);
        m_drive->removeSessionList();
        window->findChild<QAction *>(u"refresh"_s)->trigger();
        const QString failure = window->monitor()->statusText();
        QVERIFY2(failure.contains(u"Lecture impossible de "_s + m_drive->path(u"dcon.txt"_s)), qPrintable(failure));
        QCOMPARE(status->text(), failure);
        // No dialog, and the long message widens nothing.
        for (const QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!(widget->isVisible() && qobject_cast<const QDialog *>(widget)));
        QCOMPARE(window->width(), 545);

        // A room shutdown comes first on the line, and the countdown's tick keeps it current.
        window->findChild<QAction *>(u"Stopall"_s)->trigger();
        QCOMPARE(status->text(), u"Extinction de la salle : PC3002 dans 10 s.  "_s + failure);
        auto *countdown = window->findChild<QTimer *>(u"statusCountdown"_s);
        QVERIFY(countdown->isActive());
        window->shutdown()->chainTimer(2)->start(3000);
        QMetaObject::invokeMethod(countdown, "timeout");
        QCOMPARE(status->text(), u"Extinction de la salle : PC3002 dans 3 s.  "_s + failure);
        for (int k = 2; k <= 12; ++k)
            window->shutdown()->chainTick(k);
        QVERIFY(!countdown->isActive());
        QCOMPARE(status->text(), failure);
    }

    void quitterEndsWindowAndTimers()
    {
        // The window deletes itself when closed; the guard deletes what a failed close left.
        const QPointer<Salle30> window = makeWindow().release();
        const auto leftover = qScopeGuard([&] { delete window.data(); });
        QVERIFY(showAndActivate(*window));
        window->findChild<QAction *>(u"Stopall"_s)->trigger();
        const QPointer<QTimer> timers[] = {window->monitor()->Timer1(), window->shutdown()->chainTimer(2)};

        window->findChild<QAction *>(u"Quitter"_s)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QVERIFY(timers[0].isNull() && timers[1].isNull());
    }

private:
    std::unique_ptr<Salle30> makeWindow() { return std::make_unique<Salle30>(m_launcher, m_clock); }
    static bool showAndActivate(Salle30 &window)
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    std::optional<TrialDrive> m_drive;
    RecordingLauncher m_launcher;
    ManualClock m_clock;
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
