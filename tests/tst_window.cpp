// The room panel window: its plan, controls, menus, keyboard and the binding
// of each event to the room model and the shutdown chain.

#include "roommonitor.h"
#include "roomshutdown.h"
#include "salle30window.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum class Look { NoSession, InSession, InSessionIdle };

const QColor Yellow(255, 255, 192);
const QColor Green(192, 255, 192);

QString shutdownLine(const QString &tag)
{
    return u"d:\\talvero\\shutcmd.exe \\\\"_s + tag
        + u" /R /T:120 \"Attention cet ordinateur se relance dans 2 minutes. Vous devez fermer votre session et "
          u"sortir de la salle dans les 5 minutes.\""_s;
}

// The names of the tile controls that a room with these looks shows; every
// station not named shows its stop picture alone.
QStringList expectedTileControls(const std::map<int, Look> &looks)
{
    QStringList names;
    for (int n = 1; n <= 12; ++n) {
        const auto it = looks.find(n);
        const Look look = it == looks.end() ? Look::NoSession : it->second;
        if (look == Look::NoSession) {
            names << u"Image%1"_s.arg(n);
            continue;
        }
        for (const char16_t *pattern : {u"Image%1bis", u"Image%1ter", u"Label%1", u"Label%1bis", u"Label%1ter"})
            names << QString::fromUtf16(pattern).arg(n);
        if (look == Look::InSessionIdle)
            names << u"Image%1q"_s.arg(n);
    }
    names.sort();
    return names;
}

// The tile controls of the window that are not hidden, whether or not the
// window is on screen yet.
QStringList shownTileControls(const Salle30 &window)
{
    QStringList names;
    const QWidget *plan = window.findChild<QWidget *>(u"plan"_s);
    for (const QWidget *child : plan->findChildren<QWidget *>()) {
        if (!child->isHidden() && !qobject_cast<const QToolButton *>(child))
            names << child->objectName();
    }
    names.sort();
    return names;
}

QString labelText(const Salle30 &window, const QString &name)
{
    const auto *label = window.findChild<QLabel *>(name);
    return label ? label->text() : u"<no %1>"_s.arg(name);
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void loadsBeforeItIsShown();
    void stationButtons_data();
    void stationButtons();
    void tileGeometry_data();
    void tileGeometry();
    void planKeepsItsPlaceWhenResized();
    void colours_data();
    void colours();
    void picturesAreDrawn_data();
    void picturesAreDrawn();
    void fonts_data();
    void fonts();
    void menus_data();
    void menus();
    void keyboardWalksTheButtons();
    void tilesFollowTheSessionList();
    void busyPointerDuringARead();
    void buttonLaunchesShutdown_data();
    void buttonLaunchesShutdown();
    void stopallRunsTheChain();
    void readFailureShowsOnTheStatusLine_data();
    void readFailureShowsOnTheStatusLine();
    void quitterEndsWindowAndTimers();

private:
    std::unique_ptr<Salle30> makeWindow() { return std::make_unique<Salle30>(m_launcher, m_clock); }
    static bool showAndActivate(Salle30 &window)
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    std::unique_ptr<TrialDrive> m_drive;
    RecordingLauncher m_launcher;
    ManualClock m_clock;
};

void TestWindow::init()
{
    m_drive = std::make_unique<TrialDrive>();
    QVERIFY(m_drive->isValid());
    m_drive->writeSessionList(sessionLine("PC3007", "USER17", "00:12:41") + "\r\n"
                              + sessionLine("PC3009", "LEFEBVRE", "02:47:10") + "\r\n"
                              + sessionLine("PC1207", "USER33", "00:00:09") + "\r\n");
    m_launcher = RecordingLauncher();
}

void TestWindow::cleanup()
{
    m_drive.reset();
}

void TestWindow::loadsBeforeItIsShown()
{
    const auto window = makeWindow();
    QCOMPARE(window->objectName(), u"Salle30"_s);
    QCOMPARE(window->windowTitle(), u"Salle Talvero 30"_s);
    QVERIFY(!window->isVisible());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    const QList<QSize> iconSizes = window->windowIcon().availableSizes();
    QVERIFY2(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)), "padlock icon at 16 and 32");

    // The load step ran in the constructor: one run of the session list
    // command and the tiles of its file, before any show.
    QCOMPARE(m_launcher.launched, QStringList{u"d:\\talvero\\session.bat"_s});
    QCOMPARE(window->monitor()->Listcomplete().size(), 12);
    QCOMPARE(shownTileControls(*window),
             expectedTileControls({{7, Look::InSession}, {9, Look::InSessionIdle}}));

    // The timers are the window's: the refresh cycle running, the chain idle.
    const auto *timer1 = window->findChild<QTimer *>(u"Timer1"_s);
    QVERIFY(timer1 && timer1->isActive());
    for (int k = 2; k <= 12; ++k) {
        const auto *timer = window->findChild<QTimer *>(u"Timer%1"_s.arg(k));
        QVERIFY(timer && !timer->isActive());
    }
}

void TestWindow::stationButtons_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QRect>("geometry");
    // Bottom row first, as the stations are numbered: PC3002 PC3001 PC3003.
    QTest::newRow("PC3001") << u"PC3001"_s << u"PC3001"_s << QRect(184, 376, 65, 81);
    QTest::newRow("PC3002") << u"PC3002"_s << u"PC3002"_s << QRect(48, 376, 65, 81);
    QTest::newRow("PC3003") << u"PC3003"_s << u"PC3003"_s << QRect(408, 376, 65, 81);
    QTest::newRow("PC3004") << u"PC3004"_s << u"PC3004"_s << QRect(48, 256, 65, 81);
    QTest::newRow("Pc3005") << u"Pc3005"_s << u"PC3005"_s << QRect(184, 256, 65, 81);
    QTest::newRow("PC3006") << u"PC3006"_s << u"PC3006"_s << QRect(408, 256, 65, 81);
    QTest::newRow("PC3007") << u"PC3007"_s << u"PC3007"_s << QRect(48, 128, 65, 81);
    QTest::newRow("PC3008") << u"PC3008"_s << u"PC3008"_s << QRect(184, 128, 65, 81);
    QTest::newRow("PC3009") << u"PC3009"_s << u"PC3009"_s << QRect(408, 128, 65, 81);
    QTest::newRow("PC3010") << u"PC3010"_s << u"PC3010"_s << QRect(48, 8, 65, 81);
    QTest::newRow("PC3011") << u"PC3011"_s << u"PC3011"_s << QRect(184, 8, 65, 81);
    QTest::newRow("PC3012") << u"PC3012"_s << u"PC3012"_s << QRect(408, 8, 65, 81);
}

void TestWindow::stationButtons()
{
    QFETCH(QString, control);
    QFETCH(QString, station);
    QFETCH(QRect, geometry);
    const auto window = makeWindow();
    const auto *button = window->findChild<QToolButton *>(control);
    QVERIFY(button);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->text(), station);
    QCOMPARE(button->property("Tag").toString(), station);
    QCOMPARE(button->toolTip(), u"Eteindre "_s + station);
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QVERIFY(!button->icon().isNull());
    QVERIFY(button->isEnabled() && !button->isHidden());
}

void TestWindow::tileGeometry_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("stop picture, top right") << u"Image12"_s << QRect(472, 8, 32, 32);
    QTest::newRow("stop picture of PC3001, smaller") << u"Image1"_s << QRect(248, 376, 31, 31);
    QTest::newRow("stop picture of PC3002 beside it") << u"Image2"_s << QRect(112, 376, 32, 32);
    QTest::newRow("session picture") << u"Image9bis"_s << QRect(472, 128, 29, 29);
    QTest::newRow("idle-time label") << u"Label9ter"_s << QRect(472, 168, 65, 17);
    QTest::newRow("idle mark ends at the right edge") << u"Image12q"_s << QRect(520, 32, 25, 25);
    QTest::newRow("user picture left of the button") << u"Image7ter"_s << QRect(32, 208, 21, 29);
    QTest::newRow("user-name label") << u"Label7"_s << QRect(48, 208, 97, 17);
    QTest::newRow("second line") << u"Label7bis"_s << QRect(48, 224, 97, 17);
    QTest::newRow("second line, bottom row") << u"Label1bis"_s << QRect(184, 472, 97, 17);
    QTest::newRow("idle mark, middle column") << u"Image5q"_s << QRect(296, 280, 25, 25);
}

void TestWindow::tileGeometry()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    const auto window = makeWindow();
    const auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), u"plan"_s);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
}

void TestWindow::planKeepsItsPlaceWhenResized()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto *plan = window->findChild<QWidget *>(u"plan"_s);
    const auto *idleMark = window->findChild<QWidget *>(u"Image12q"_s);

    // The plan fills the client area under the menu bar, exactly.
    QCOMPARE(plan->mapTo(window.get(), QPoint(0, 0)), QPoint(0, window->menuBar()->height()));
    QCOMPARE(plan->size(), QSize(545, 500));
    QCOMPARE(window->centralWidget()->size(), QSize(545, 500));

    window->resize(900, 800);
    QTRY_COMPARE(window->centralWidget()->width(), 900);
    QCOMPARE(plan->size(), QSize(545, 500));
    QCOMPARE(idleMark->geometry(), QRect(520, 32, 25, 25));
    const QImage grown = window->centralWidget()->grab().toImage();
    QCOMPARE(grown.pixelColor(800, 400), Yellow);

    window->resize(300, 250);
    QTRY_COMPARE(window->width(), 300);
    QCOMPARE(plan->size(), QSize(545, 500));
    QCOMPARE(idleMark->geometry(), QRect(520, 32, 25, 25));
}

void TestWindow::colours_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("spot");
    QTest::addColumn<QColor>("colour");
    // Spots clear of the captions and of the button picture.
    QTest::newRow("button face") << u"PC3007"_s << QPoint(4, 40) << Green;
    QTest::newRow("button face, fifth") << u"Pc3005"_s << QPoint(60, 40) << Green;
    QTest::newRow("user-name label") << u"Label7"_s << QPoint(94, 14) << QColor(255, 224, 192);
    QTest::newRow("second line") << u"Label7bis"_s << QPoint(94, 14) << QColor(255, 224, 192);
    QTest::newRow("idle-time label") << u"Label7ter"_s << QPoint(1, 14) << QColor(192, 192, 255);
    QTest::newRow("plan between tiles") << u"plan"_s << QPoint(300, 10) << Yellow;
}

void TestWindow::colours()
{
    QFETCH(QString, control);
    QFETCH(QPoint, spot);
    QFETCH(QColor, colour);
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget && widget->isVisible());
    QCOMPARE(widget->grab().toImage().pixelColor(spot), colour);
}

void TestWindow::picturesAreDrawn_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QColor>("ground");
    QTest::newRow("stop sign") << u"Image10"_s << Yellow;
    QTest::newRow("stop sign of PC3001") << u"Image1"_s << Yellow;
    QTest::newRow("session sign") << u"Image7bis"_s << Yellow;
    QTest::newRow("user") << u"Image7ter"_s << Yellow;
    QTest::newRow("idle mark") << u"Image9q"_s << Yellow;
    QTest::newRow("computer on a button") << u"PC3008"_s << Green;
}

void TestWindow::picturesAreDrawn()
{
    QFETCH(QString, control);
    QFETCH(QColor, ground);
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *plan = window->findChild<QWidget *>(u"plan"_s);
    const auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget && widget->isVisible());

    // A picture that failed to load leaves its ground showing through.
    const QImage image = plan->grab(widget->geometry()).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            drawn += image.pixelColor(x, y) != ground;
    }
    QVERIFY2(drawn * 3 > image.width() * image.height(), qPrintable(u"%1 pixels drawn"_s.arg(drawn)));
}

void TestWindow::fonts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    const QFont standard = QApplication::font();
    QTest::newRow("button") << u"PC3001"_s << u"Times New Roman"_s << 11.25 << true << true;
    QTest::newRow("fifth button") << u"Pc3005"_s << u"Times New Roman"_s << 11.25 << true << true;
    QTest::newRow("idle-time label") << u"Label12ter"_s << u"Times New Roman"_s << 9.0 << true << false;
    QTest::newRow("user-name label") << u"Label12"_s << standard.family() << standard.pointSizeF()
                                     << standard.bold() << standard.italic();
    QTest::newRow("second line") << u"Label3bis"_s << standard.family() << standard.pointSizeF()
                                 << standard.bold() << standard.italic();
}

void TestWindow::fonts()
{
    QFETCH(QString, control);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    const auto window = makeWindow();
    const auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget);
    const QFont font = widget->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), italic);
}

void TestWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("accessKey");
    QTest::newRow("fichier") << u"fichier"_s << u"&Fichier"_s << QStringList{u"Quitter"_s}
                             << QStringList{u"&Quitter"_s} << int(Qt::Key_F);
    QTest::newRow("Application") << u"Application"_s << u"&Application"_s
                                 << QStringList{u"refresh"_s, u"blanc01"_s, u"Stopall"_s}
                                 << QStringList{u"&Rafraîchir"_s, QString(), u"&Eteindre tous les ordinateurs"_s}
                                 << int(Qt::Key_A);
}

void TestWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    QFETCH(int, accessKey);
    const auto window = makeWindow();
    auto *found = window->findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QVERIFY(window->menuBar()->actions().contains(found->menuAction()));

    QStringList names;
    QStringList texts;
    for (const QAction *action : found->actions()) {
        names << action->objectName();
        texts << (action->isSeparator() ? QString() : action->text());
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(action->isVisible() && action->isEnabled());
        QCOMPARE(action->isSeparator(), action->objectName() == u"blanc01"_s);
    }
    QCOMPARE(names, items);
    QCOMPARE(texts, captions);

    QVERIFY(showAndActivate(*window));
    QTest::keyClick(window.get(), Qt::Key(accessKey), Qt::AltModifier);
    QTRY_VERIFY(found->isVisible());
    QTest::keyClick(found, Qt::Key_Escape);
    QTRY_VERIFY(!found->isVisible());
}

void TestWindow::keyboardWalksTheButtons()
{
    const auto window = makeWindow();
    QVERIFY(showAndActivate(*window));
    QCOMPARE(QApplication::focusWidget()->objectName(), u"Pc3005"_s);

    const QStringList order{u"PC3001"_s, u"PC3002"_s, u"PC3011"_s, u"PC3012"_s, u"PC3009"_s, u"PC3008"_s,
                            u"PC3007"_s, u"PC3006"_s, u"PC3004"_s, u"PC3003"_s, u"PC3010"_s, u"Pc3005"_s};
    QStringList walked;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, order);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"PC3010"_s);

    // Nothing but the twelve buttons takes the keyboard focus.
    QStringList focusable;
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            focusable << widget->objectName();
    }
    focusable.sort();
    QStringList buttons = order;
    buttons.sort();
    QCOMPARE(focusable, buttons);
}

void TestWindow::tilesFollowTheSessionList()
{
    // Shown controls after the load step: loadsBeforeItIsShown.
    const auto window = makeWindow();
    QCOMPARE(labelText(*window, u"Label7"_s), u"USER17"_s);
    QCOMPARE(labelText(*window, u"Label7bis"_s), u"NOM"_s);
    QCOMPARE(labelText(*window, u"Label7ter"_s), u"00:12:41"_s);
    QCOMPARE(labelText(*window, u"Label9ter"_s), u"02:47:10"_s);

    m_drive->writeSessionList(sessionLine("PC3009", "LEFEBVRE", "00:00:05") + "\r\n"
                              + sessionLine("PC3003", "BERNARD", "01:05:00") + "\r\n"
                              + sessionLine("PC3012", "LEBLANC-DUPUY", "00:01:00") + "\r\n");
    window->findChild<QAction *>(u"refresh"_s)->trigger();
    QCOMPARE(shownTileControls(*window), expectedTileControls({{3, Look::InSessionIdle},
                                                               {9, Look::InSession},
                                                               {12, Look::InSession}}));
    QCOMPARE(labelText(*window, u"Label9ter"_s), u"00:00:05"_s);
    QCOMPARE(labelText(*window, u"Label3"_s), u"BERNARD"_s);
    QCOMPARE(labelText(*window, u"Label12"_s), u"LEBLANC-DUPUY"_s);
    // Hidden again, with the caption of its last session kept.
    QCOMPARE(labelText(*window, u"Label7"_s), u"USER17"_s);
    QCOMPARE(window->findChild<QLabel *>(u"Label12"_s)->width(), 97);

    const QStringList names{u"Image7"_s, u"Image7bis"_s, u"Image7ter"_s, u"Image7q"_s};
    const QStringList spoken{u"PC3007 : aucune session"_s, u"PC3007 : session ouverte"_s,
                             u"PC3007 : utilisateur"_s, u"PC3007 : inactif"_s};
    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(window->findChild<QWidget *>(names[i])->accessibleName(), spoken[i]);
}

void TestWindow::busyPointerDuringARead()
{
    const auto window = makeWindow();
    QList<Qt::CursorShape> pointers; // the window's pointer just after each change
    connect(window->monitor(), &RoomMonitor::busyChanged, window.get(),
            [&] { pointers << window->cursor().shape(); });
    window->findChild<QAction *>(u"refresh"_s)->trigger();
    QCOMPARE(pointers, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor}));
}

void TestWindow::buttonLaunchesShutdown_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("sent");
    QTest::newRow("mouse on PC3007") << u"PC3007"_s << 0 << QString() << u"PC3007"_s;
    QTest::newRow("mouse on Pc3005 names PC3005") << u"Pc3005"_s << 0 << QString() << u"PC3005"_s;
    QTest::newRow("space on the focused Pc3005") << u"Pc3005"_s << int(Qt::Key_Space) << QString() << u"PC3005"_s;
    QTest::newRow("return on the focused PC3012") << u"PC3012"_s << int(Qt::Key_Return) << QString() << u"PC3012"_s;
    QTest::newRow("changed Tag is what is sent") << u"PC3004"_s << 0 << u"PC3099"_s << u"PC3099"_s;
}

void TestWindow::buttonLaunchesShutdown()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, tag);
    QFETCH(QString, sent);
    const auto window = makeWindow();
    QVERIFY(showAndActivate(*window));
    auto *button = window->findChild<QToolButton *>(control);
    QVERIFY(button);
    if (!tag.isEmpty())
        button->setProperty("Tag", tag);
    m_launcher.launched.clear();

    if (key == 0) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        button->setFocus();
        QVERIFY(button->hasFocus());
        QTest::keyClick(button, Qt::Key(key));
    }
    QCOMPARE(m_launcher.launched, QStringList{shutdownLine(sent)});
}

void TestWindow::stopallRunsTheChain()
{
    const auto window = makeWindow();
    const auto *status = window->findChild<QLabel *>(u"statusLine"_s);
    const auto *countdown = window->findChild<QTimer *>(u"statusCountdown"_s);
    QVERIFY(status && countdown);
    QVERIFY(!countdown->isActive());
    m_launcher.launched.clear();

    window->findChild<QAction *>(u"Stopall"_s)->trigger();
    QCOMPARE(m_launcher.launched, QStringList{shutdownLine(u"PC3001"_s)});
    QVERIFY(window->shutdown()->chainTimer(2)->isActive());
    // The chain comes first on the line, before the time of the last read.
    QVERIFY2(status->text().startsWith(u"Extinction de la salle : PC3002 dans 10 s."_s), qPrintable(status->text()));
    QVERIFY(countdown->isActive());
    // The countdown moves on between the chain's own ticks.
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(u"Extinction de la salle : PC3002 dans 9 s."_s), 3000);

    for (int k = 2; k <= 12; ++k)
        window->shutdown()->chainTick(k);
    QCOMPARE(m_launcher.launched.size(), 12);
    QCOMPARE(m_launcher.launched.last(), shutdownLine(u"PC3012"_s));
    QVERIFY(!countdown->isActive());
    QVERIFY(!status->text().contains(u"Extinction"_s));
}

void TestWindow::readFailureShowsOnTheStatusLine_data()
{
    QTest::addColumn<bool>("commandMissing");
    QTest::newRow("no session list file") << false;
    QTest::newRow("no session list file, no command either") << true;
}

void TestWindow::readFailureShowsOnTheStatusLine()
{
    QFETCH(bool, commandMissing);
    if (commandMissing)
        m_launcher.failingPrefix = u"d:\\talvero\\session.bat"_s;

    // A room read once, then its file gone.
    const auto window = makeWindow();
    m_drive->removeSessionList();
    window->findChild<QAction *>(u"refresh"_s)->trigger();

    const auto *status = window->findChild<QLabel *>(u"statusLine"_s);
    QVERIFY(status->text().contains(u"Lecture impossible de "_s + m_drive->path(u"dcon.txt"_s)));
    QCOMPARE(status->text().contains(u"Lancement impossible"_s), commandMissing);
    QCOMPARE(shownTileControls(*window),
             expectedTileControls({{7, Look::InSession}, {9, Look::InSessionIdle}}));
    QCOMPARE(labelText(*window, u"Label7"_s), u"USER17"_s);

    // Up and running, no dialog, and a long message widens nothing.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(!QApplication::activeModalWidget());
    for (const QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!(widget->isVisible() && qobject_cast<const QDialog *>(widget)));
    QCOMPARE(window->width(), 545);
    QVERIFY(status->height() < 2 * status->fontMetrics().height());
}

void TestWindow::quitterEndsWindowAndTimers()
{
    auto owner = makeWindow();
    QPointer<Salle30> window = owner.get();
    QVERIFY(showAndActivate(*window));
    window->findChild<QAction *>(u"Stopall"_s)->trigger();
    const QPointer<QTimer> timer1 = window->findChild<QTimer *>(u"Timer1"_s);
    const QPointer<QTimer> timer2 = window->findChild<QTimer *>(u"Timer2"_s);
    QVERIFY(timer1 && timer2 && timer2->isActive());

    window->findChild<QAction *>(u"Quitter"_s)->trigger();
    QVERIFY(!window->isVisible());
    // The window deletes itself; it is Qt's to delete from here on.
    owner.release();
    const auto leftover = qScopeGuard([&] { delete window.data(); });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
    QVERIFY(timer1.isNull());
    QVERIFY(timer2.isNull());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
