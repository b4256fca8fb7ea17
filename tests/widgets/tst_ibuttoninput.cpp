// Tests of the skinned button's input: hover polling, mouse, double click, keys, focus, toggles and the
// order of its events.
#include <QAccessible>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

#include "skinstrip.h"
#include "widgets/ibutton/ibutton.h"

namespace {

constexpr int cellWidth = 80;
constexpr int cellHeight = 22;

// A shown window holding one button with 80 x 22 cells; every event of the button is logged.
class Stage {
public:
    explicit Stage(int style = 0)
    {
        host.resize(300, 200);
        button = new iButton(&host);
        button->move(20, 20);
        button->setAutoSize(true);
        button->setStyle(style);
        button->setBackPicture(
            style ? skinstrip::toggleStrip(cellWidth, cellHeight) : skinstrip::pushStrip(cellWidth, cellHeight));
        other = new iButton(&host);
        other->setGeometry(200, 20, 40, 20);

        const auto mouse = [this](const char* name) {
            return [this, name](short& Button, short&, float&, float&) {
                log << u"%1 %2"_s.arg(QLatin1String(name)).arg(Button);
            };
        };
        QObject::connect(button, &iButton::Click, button, [this] { log << u"Click"_s; });
        QObject::connect(button, &iButton::DBClick, button, [this] { log << u"DBClick"_s; });
        QObject::connect(button, &iButton::MouseOver, button, [this] { log << u"MouseOver"_s; });
        QObject::connect(button, &iButton::MouseOut, button, [this] { log << u"MouseOut"_s; });
        QObject::connect(button, &iButton::MouseDown, button, mouse("MouseDown"));
        QObject::connect(button, &iButton::MouseUp, button, mouse("MouseUp"));
        QObject::connect(button, &iButton::MouseMove, button, mouse("MouseMove"));
        QObject::connect(
            button, &iButton::KeyDown, button, [this](short& KeyCode, short&) { log << u"KeyDown %1"_s.arg(KeyCode); });
        QObject::connect(
            button, &iButton::KeyUP, button, [this](short& KeyCode, short&) { log << u"KeyUP %1"_s.arg(KeyCode); });
        QObject::connect(
            button, &iButton::KeyPress, button, [this](short& KeyAscii) { log << u"KeyPress %1"_s.arg(KeyAscii); });
    }

    // Shows the window with the pointer outside the button and lets the first tick pass.
    bool show()
    {
        pointAway();
        host.show();
        if (!QTest::qWaitForWindowExposed(&host) || !QTest::qWaitFor([this] { return !timer()->isActive(); }))
            return false;
        log.clear();
        return true;
    }

    QTimer* timer() const { return button->findChild<QTimer*>(u"Timer1"_s); }

    // Waits for the next tick of the button's own timer (the button handles it first).
    bool tick() const
    {
        QSignalSpy ticks(timer(), &QTimer::timeout);
        return ticks.wait(1000);
    }

    void pointAt(QPoint local = QPoint(40, 11)) { QCursor::setPos(button->mapToGlobal(local)); }
    void pointAway() { QCursor::setPos(host.mapToGlobal(QPoint(150, 150))); }

    // Puts the pointer at `local` and delivers the move.
    void moveTo(QPoint local, Qt::MouseButtons held = Qt::NoButton)
    {
        QCursor::setPos(button->mapToGlobal(local));
        QMouseEvent move(QEvent::MouseMove, local, button->mapToGlobal(local), Qt::NoButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &move);
    }

    void hover()
    {
        moveTo(QPoint(40, 11));
        log.removeAll(u"MouseMove 0"_s);
    }

    void key(QEvent::Type type, int key, const QString& text, bool autoRepeat = false)
    {
        QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
        QCoreApplication::sendEvent(button, &event);
    }

    // The cell shown on the face, by the colour at its centre; -1 for none.
    int face() const
    {
        const QColor shown = skinstrip::centre(button->Image());
        for (int i = 0; i < 10; ++i)
            if (skinstrip::cellColour(i) == shown)
                return i;
        return -1;
    }

    bool focusDrawn() const
    {
        const QImage image = button->Image();
        return image.pixelColor(3, 3) != image.pixelColor(4, 3);
    }

    QWidget host;
    iButton* button = nullptr;
    iButton* other = nullptr;
    QStringList log;
};

const QPoint inside(40, 11);
const QPoint outside(150, 100);

} // namespace

class TestIButtonInput : public QObject {
    Q_OBJECT

private slots:
    void firstTickRaisesMouseOut();
    void hoverAndLeave();
    void leftClick_data();
    void leftClick();
    void otherButtons_data();
    void otherButtons();
    void pressLeaveReleaseOutside_data();
    void pressLeaveReleaseOutside();
    void doubleClick_data();
    void doubleClick();
    void enterRepeats_data();
    void enterRepeats();
    void spaceClicksAtRelease_data();
    void spaceClicksAtRelease();
    void handlerChangesParameters_data();
    void handlerChangesParameters();
    void parametersInTwips();
    void enabledFollowsPointer();
    void disabledUnderPointer_data();
    void disabledUnderPointer();
    void focusRectangle_data();
    void focusRectangle();
    void noFocusRectangleDuringPress();
    void pressAction_data();
    void pressAction();
};

void TestIButtonInput::firstTickRaisesMouseOut()
{
    Stage stage;
    stage.pointAway();
    QSignalSpy out(stage.button, &iButton::MouseOut);
    QVERIFY(stage.timer()->isActive());
    QCOMPARE(stage.timer()->interval(), 50);
    stage.host.show();
    QVERIFY(out.wait(1000));
    QCOMPARE(stage.log, QStringList { u"MouseOut"_s });
    QVERIFY(!stage.timer()->isActive());
}

void TestIButtonInput::hoverAndLeave()
{
    Stage stage;
    QVERIFY(stage.show());
    QCOMPARE(stage.face(), 0);
    stage.moveTo(QPoint(10, 5));
    stage.moveTo(QPoint(12, 6));
    QCOMPARE(stage.log, (QStringList { u"MouseMove 0"_s, u"MouseOver"_s, u"MouseMove 0"_s }));
    QCOMPARE(stage.face(), 1);
    QVERIFY(stage.timer()->isActive());

    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 1);
    QCOMPARE(stage.log.count(u"MouseOut"_s), 0);

    stage.pointAway();
    QVERIFY(stage.tick());
    QCOMPARE(stage.log.last(), u"MouseOut"_s);
    QCOMPARE(stage.face(), 0);
    QVERIFY(!stage.timer()->isActive());
}

void TestIButtonInput::leftClick_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("pressedFace");
    QTest::addColumn<int>("releasedFace");
    QTest::addColumn<bool>("value");
    // clang-format off
    QTest::newRow("push button") << 0 << 2 << 1 << false;
    QTest::newRow("toggle latches") << 1 << 2 << 5 << true;
    // clang-format on
}

void TestIButtonInput::leftClick()
{
    QFETCH(int, style);
    QFETCH(int, pressedFace);
    QFETCH(int, releasedFace);
    QFETCH(bool, value);
    Stage stage(style);
    QVERIFY(stage.show());
    stage.hover();
    QTest::mousePress(stage.button, Qt::LeftButton, {}, inside);
    QCOMPARE(stage.face(), pressedFace);
    QTest::mouseRelease(stage.button, Qt::LeftButton, {}, inside);
    QCOMPARE(stage.face(), releasedFace);
    QCOMPARE(stage.button->Value(), value);
    QCOMPARE(stage.log, (QStringList { u"MouseOver"_s, u"MouseDown 1"_s, u"MouseUp 1"_s, u"Click"_s }));
}

void TestIButtonInput::otherButtons_data()
{
    QTest::addColumn<Qt::MouseButton>("mouseButton");
    QTest::addColumn<int>("code");
    // clang-format off
    QTest::newRow("right") << Qt::RightButton << 2;
    QTest::newRow("middle") << Qt::MiddleButton << 4;
    // clang-format on
}

void TestIButtonInput::otherButtons()
{
    QFETCH(Qt::MouseButton, mouseButton);
    QFETCH(int, code);
    Stage stage(1);
    QVERIFY(stage.show());
    stage.hover();
    QTest::mousePress(stage.button, mouseButton, {}, inside);
    QCOMPARE(stage.face(), 1);
    QTest::mouseRelease(stage.button, mouseButton, {}, inside);
    QCOMPARE(stage.face(), 1);
    QCOMPARE(stage.button->Value(), false);
    QCOMPARE(stage.log, (QStringList { u"MouseOver"_s, u"MouseDown %1"_s.arg(code), u"MouseUp %1"_s.arg(code) }));
}

void TestIButtonInput::pressLeaveReleaseOutside_data()
{
    QTest::addColumn<int>("style");
    // clang-format off
    QTest::newRow("push button") << 0;
    QTest::newRow("toggle") << 1;
    // clang-format on
}

void TestIButtonInput::pressLeaveReleaseOutside()
{
    QFETCH(int, style);
    Stage stage(style);
    QVERIFY(stage.show());
    stage.hover();
    QTest::mousePress(stage.button, Qt::LeftButton, {}, inside);
    QCOMPARE(stage.face(), 2);

    // Off the button while held: normal face at the next tick, and no MouseOut yet.
    stage.moveTo(outside, Qt::LeftButton);
    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 0);
    // Back over it: pressed again.
    stage.moveTo(inside, Qt::LeftButton);
    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 2);
    stage.moveTo(outside, Qt::LeftButton);
    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 0);
    QCOMPARE(stage.log.count(u"MouseOut"_s), 0);

    QTest::mouseRelease(stage.button, Qt::LeftButton, {}, outside);
    QCOMPARE(stage.face(), 0);
    QCOMPARE(stage.button->Value(), false);
    QCOMPARE(stage.log.count(u"Click"_s), 0);
    QCOMPARE(stage.log.last(), u"MouseUp 1"_s);

    QVERIFY(stage.tick());
    QCOMPARE(stage.log.last(), u"MouseOut"_s);
    QCOMPARE(stage.log.count(u"MouseOut"_s), 1);
    QVERIFY(!stage.timer()->isActive());
}

void TestIButtonInput::doubleClick_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<Qt::MouseButton>("mouseButton");
    QTest::addColumn<int>("doubleClickFace");
    QTest::addColumn<QStringList>("events");
    // clang-format off
    const QStringList left { u"MouseOver"_s, u"MouseDown 1"_s, u"MouseUp 1"_s, u"Click"_s, u"DBClick"_s,
        u"MouseUp 1"_s };
    QTest::newRow("left on a push button") << 0 << Qt::LeftButton << 2 << left;
    // Latched after the first release, so the second press shows the latched pressed cell (2 + 4).
    QTest::newRow("left on a toggle flips twice") << 1 << Qt::LeftButton << 6 << left;
    QTest::newRow("right: no click") << 0 << Qt::RightButton << 1 << QStringList { u"MouseOver"_s, u"MouseDown 2"_s, u"MouseUp 2"_s, u"DBClick"_s, u"MouseUp 2"_s };
    // clang-format on
}

void TestIButtonInput::doubleClick()
{
    QFETCH(int, style);
    QFETCH(Qt::MouseButton, mouseButton);
    QFETCH(int, doubleClickFace);
    QFETCH(QStringList, events);
    Stage stage(style);
    QVERIFY(stage.show());
    stage.hover();
    // What a double click delivers to a widget: press, release, double-click press, release.
    QTest::mousePress(stage.button, mouseButton, {}, inside);
    QTest::mouseRelease(stage.button, mouseButton, {}, inside);
    QTest::mouseDClick(stage.button, mouseButton, {}, inside);
    QCOMPARE(stage.face(), doubleClickFace);
    QTest::mouseRelease(stage.button, mouseButton, {}, inside);
    QCOMPARE(stage.log, events);
    QCOMPARE(stage.button->Value(), false);
    QCOMPARE(stage.face(), 1);
}

void TestIButtonInput::enterRepeats_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("face");
    // clang-format off
    QTest::newRow("push button") << 0 << false << 0;
    QTest::newRow("toggle flips at each key-down") << 1 << true << 4;
    // clang-format on
}

void TestIButtonInput::enterRepeats()
{
    QFETCH(int, style);
    QFETCH(bool, value);
    QFETCH(int, face);
    Stage stage(style);
    QVERIFY(stage.show());
    stage.key(QEvent::KeyPress, Qt::Key_Return, u"\r"_s);
    stage.key(QEvent::KeyPress, Qt::Key_Return, u"\r"_s, true);
    stage.key(QEvent::KeyPress, Qt::Key_Return, u"\r"_s, true);
    stage.key(QEvent::KeyRelease, Qt::Key_Return, u"\r"_s);
    const QStringList down { u"KeyDown 13"_s, u"Click"_s, u"KeyPress 13"_s };
    QCOMPARE(stage.log, down + down + down + QStringList { u"KeyUP 13"_s });
    QCOMPARE(stage.button->Value(), value);
    QCOMPARE(stage.face(), face);
}

void TestIButtonInput::spaceClicksAtRelease_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("face");
    // clang-format off
    QTest::newRow("push button") << 0 << false << 0;
    QTest::newRow("toggle flips at the release") << 1 << true << 4;
    // clang-format on
}

void TestIButtonInput::spaceClicksAtRelease()
{
    QFETCH(int, style);
    QFETCH(bool, value);
    QFETCH(int, face);
    Stage stage(style);
    QVERIFY(stage.show());
    stage.key(QEvent::KeyPress, Qt::Key_Space, u" "_s);
    QCOMPARE(stage.face(), 2);
    // Held: repeats come as release and press pairs marked auto-repeat.
    for (int i = 0; i < 3; ++i) {
        stage.key(QEvent::KeyRelease, Qt::Key_Space, u" "_s, true);
        stage.key(QEvent::KeyPress, Qt::Key_Space, u" "_s, true);
        QCOMPARE(stage.face(), 2);
    }
    QCOMPARE(stage.log.count(u"Click"_s), 0);
    QCOMPARE(stage.button->Value(), false);
    stage.key(QEvent::KeyRelease, Qt::Key_Space, u" "_s);
    QCOMPARE(stage.log.mid(stage.log.size() - 2), (QStringList { u"KeyUP 32"_s, u"Click"_s }));
    QCOMPARE(stage.log.count(u"Click"_s), 1);
    QCOMPARE(stage.log.count(u"KeyDown 32"_s), 4);
    QCOMPARE(stage.log.count(u"KeyUP 32"_s), 1);
    QCOMPARE(stage.button->Value(), value);
    QCOMPARE(stage.face(), face);
}

void TestIButtonInput::handlerChangesParameters_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("rewritten");
    QTest::addColumn<int>("newCode");
    QTest::addColumn<int>("pressedFace");
    QTest::addColumn<int>("clicks");
    // clang-format off
    QTest::newRow("KeyDown cancels Enter") << u"enter"_s << u"KeyDown"_s << 0 << 0 << 0;
    QTest::newRow("KeyDown cancels the pressed face of Space") << u"space"_s << u"KeyDown"_s << 0 << 0 << 1;
    QTest::newRow("KeyUP cancels the click of Space") << u"space"_s << u"KeyUP"_s << 0 << 2 << 0;
    QTest::newRow("KeyDown turns A into Enter") << u"A"_s << u"KeyDown"_s << 13 << 0 << 1;
    QTest::newRow("KeyDown turns Enter into Space") << u"enter"_s << u"KeyDown"_s << 32 << 2 << 0;
    QTest::newRow("MouseDown turns left into right") << u"left"_s << u"MouseDown"_s << 2 << 1 << 0;
    QTest::newRow("MouseDown turns right into left") << u"right"_s << u"MouseDown"_s << 1 << 2 << 1;
    // clang-format on
}

void TestIButtonInput::handlerChangesParameters()
{
    QFETCH(QString, input);
    QFETCH(QString, rewritten);
    QFETCH(int, newCode);
    QFETCH(int, pressedFace);
    QFETCH(int, clicks);
    Stage stage;
    QVERIFY(stage.show());
    if (rewritten == u"KeyDown")
        connect(stage.button, &iButton::KeyDown, this, [newCode](short& KeyCode, short&) { KeyCode = newCode; });
    else if (rewritten == u"KeyUP")
        connect(stage.button, &iButton::KeyUP, this, [newCode](short& KeyCode, short&) { KeyCode = newCode; });
    else
        connect(stage.button, &iButton::MouseDown, this,
            [newCode](short& Button, short&, float&, float&) { Button = newCode; });

    QSignalSpy clicked(stage.button, &iButton::Click);
    if (input == u"left" || input == u"right") {
        const Qt::MouseButton mouseButton = input == u"left" ? Qt::LeftButton : Qt::RightButton;
        stage.hover();
        QTest::mousePress(stage.button, mouseButton, {}, inside);
        QCOMPARE(stage.face(), pressedFace);
        QTest::mouseRelease(stage.button, mouseButton, {}, inside);
    } else {
        const int key = input == u"enter" ? Qt::Key_Return : input == u"space" ? Qt::Key_Space : Qt::Key_A;
        const QString text = input == u"enter" ? u"\r"_s : input == u"space" ? u" "_s : u"a"_s;
        stage.key(QEvent::KeyPress, key, text);
        QCOMPARE(stage.face(), pressedFace);
        stage.key(QEvent::KeyRelease, key, text);
    }
    QCOMPARE(clicked.count(), clicks);
}

void TestIButtonInput::parametersInTwips()
{
    Stage stage;
    QVERIFY(stage.show());
    QList<QList<float>> downs;
    connect(stage.button, &iButton::MouseDown, this, [&downs](short& Button, short& Shift, float& X, float& Y) {
        downs.append({ float(Button), float(Shift), X, Y });
    });
    QTest::mousePress(stage.button, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(7, 4));
    QTest::mouseRelease(stage.button, Qt::LeftButton, {}, QPoint(7, 4));
    QCOMPARE(downs.size(), 1);
    QCOMPARE(downs.at(0), (QList<float> { 1, 3, 105, 60 }));
}

void TestIButtonInput::enabledFollowsPointer()
{
    Stage stage;
    QVERIFY(stage.show());
    stage.hover();
    QCOMPARE(stage.face(), 1);
    stage.button->setEnabled(false);
    QCOMPARE(stage.face(), 3);
    stage.button->setEnabled(true);
    QCOMPARE(stage.face(), 1);

    stage.pointAway();
    stage.button->setEnabled(false);
    QCOMPARE(stage.face(), 3);
    // A disabled button gets no input.
    stage.log.clear();
    QTest::mouseClick(stage.button, Qt::LeftButton, {}, inside);
    QCOMPARE(stage.log, QStringList());
    stage.button->setEnabled(true);
    QCOMPARE(stage.face(), 0);
}

void TestIButtonInput::disabledUnderPointer_data()
{
    QTest::addColumn<bool>("pressed");
    // clang-format off
    QTest::newRow("hovering") << false;
    QTest::newRow("held down") << true;
    // clang-format on
}

void TestIButtonInput::disabledUnderPointer()
{
    QFETCH(bool, pressed);
    Stage stage;
    QVERIFY(stage.show());
    stage.hover();
    if (pressed)
        QTest::mousePress(stage.button, Qt::LeftButton, {}, inside);
    stage.button->setEnabled(false);
    QCOMPARE(stage.face(), 3);
    stage.pointAway();
    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 3);
    QCOMPARE(stage.log.count(u"MouseOut"_s), 1);
    QVERIFY(!stage.timer()->isActive());

    // Enabled again, it neither shows nor finishes the old press.
    stage.button->setEnabled(true);
    QCOMPARE(stage.face(), 0);
    stage.hover();
    QCOMPARE(stage.face(), 1);
    QVERIFY(stage.tick());
    QCOMPARE(stage.face(), 1);
}

void TestIButtonInput::focusRectangle_data()
{
    QTest::addColumn<bool>("hovering");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("drawn");
    // clang-format off
    QTest::newRow("Enter, pointer away") << false << int(Qt::Key_Return) << true;
    QTest::newRow("Enter, pointer over") << true << int(Qt::Key_Return) << false;
    QTest::newRow("Space, pointer away") << false << int(Qt::Key_Space) << true;
    QTest::newRow("Space, pointer over") << true << int(Qt::Key_Space) << false;
    // clang-format on
}

void TestIButtonInput::focusRectangle()
{
    QFETCH(bool, hovering);
    QFETCH(int, key);
    QFETCH(bool, drawn);
    Stage stage;
    QVERIFY(stage.show());
    if (hovering)
        stage.hover();
    const QString text = key == Qt::Key_Return ? u"\r"_s : u" "_s;
    stage.key(QEvent::KeyPress, key, text);
    QCOMPARE(stage.focusDrawn(), drawn);
    stage.key(QEvent::KeyRelease, key, text);
    QCOMPARE(stage.focusDrawn(), drawn);
}

void TestIButtonInput::noFocusRectangleDuringPress()
{
    Stage stage;
    QVERIFY(stage.show());
    stage.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&stage.host));
    stage.other->setFocus();
    stage.hover();
    QTest::mousePress(stage.button, Qt::LeftButton, {}, inside);
    stage.other->setFocus();
    QVERIFY(!stage.focusDrawn());
    stage.button->setFocus();
    QVERIFY(stage.button->hasFocus());
    QCOMPARE(stage.face(), 2);
    QVERIFY(!stage.focusDrawn());
    // Released, focus gain draws it again, pointer over or not.
    QTest::mouseRelease(stage.button, Qt::LeftButton, {}, inside);
    stage.other->setFocus();
    stage.button->setFocus(Qt::TabFocusReason);
    QCOMPARE(stage.face(), 1);
    QVERIFY(stage.focusDrawn());
}

// A screen reader sees a push button named by its caption or its accessible name, and its press action clicks
// the button as Space does; a button a user could not click is not pressed.
void TestIButtonInput::pressAction_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("name"); // read by the screen reader
    QTest::addColumn<QStringList>("events"); // raised by the press
    QTest::addColumn<bool>("checked"); // afterwards

    // clang-format off
    const QStringList space { u"KeyDown 32"_s, u"KeyPress 32"_s, u"KeyUP 32"_s, u"Click"_s };
    QTest::newRow("caption") << 0 << "确定" << "" << true << true << "确定" << space << false;
    QTest::newRow("picture named for the reader") << 0 << "" << "关闭" << true << true << "关闭" << space << false;
    QTest::newRow("given name over caption") << 0 << "X" << "关闭" << true << true << "关闭" << space << false;
    QTest::newRow("disabled") << 0 << "确定" << "" << false << true << "确定" << QStringList {} << false;
    QTest::newRow("hidden") << 0 << "确定" << "" << true << false << "确定" << QStringList {} << false;
    QTest::newRow("toggle") << 1 << "粗体" << "" << true << true << "粗体" << space << true;
    // clang-format on
}

void TestIButtonInput::pressAction()
{
    QFETCH(int, style);
    QFETCH(QString, caption);
    QFETCH(QString, accessibleName);
    QFETCH(bool, enabled);
    QFETCH(bool, shown);
    QFETCH(QString, name);
    QFETCH(QStringList, events);
    QFETCH(bool, checked);

    Stage stage(style);
    stage.button->setCaption(caption);
    stage.button->setAccessibleName(accessibleName);
    stage.button->setEnabled(enabled);
    QVERIFY(stage.show());
    stage.other->setFocus(); // a reader presses buttons wherever the focus is
    stage.button->setVisible(shown);
    QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(stage.button);
    QVERIFY(seen);
    QCOMPARE(seen->role(), QAccessible::PushButton);
    QCOMPARE(seen->text(QAccessible::Name), name);
    QVERIFY(seen->state().focusable);
    QCOMPARE(bool(seen->state().disabled), !enabled);
    QCOMPARE(bool(seen->state().invisible), !shown);
    QCOMPARE(bool(seen->state().checkable), style == 1);
    QAccessibleActionInterface* actions = seen->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(stage.log, events);
    QCOMPARE(bool(seen->state().checked), checked);
    QVERIFY(!stage.focusDrawn()); // pressed from afar, the button did not take the focus
}

QTEST_MAIN(TestIButtonInput)
#include "tst_ibuttoninput.moc"
