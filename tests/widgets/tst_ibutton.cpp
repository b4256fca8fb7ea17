// Tests of the skinned button's face and settings: cutting the strip, auto-size, caption, back style,
// property writes and the saved settings.
#include <QBitmap>
#include <QCursor>
#include <QDataStream>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

#include "skinstrip.h"
#include "widgets/ibutton/ibutton.h"
#include "widgets/ibutton/propertybag.h"

using skinstrip::cellColour;

class TestIButton : public QObject {
    Q_OBJECT

private slots:
    void init();

    void cellFaces_data();
    void cellFaces();
    void autoSize_data();
    void autoSize();
    void autoSizeFalseOnlyMarks();
    void loadedInstanceSizesAtFirstShow_data();
    void loadedInstanceSizesAtFirstShow();
    void secondShowDoesNotRedraw();
    void emptySkinClearsFace();
    void caption();
    void valueOnPushButton();
    void refusedValues_data();
    void refusedValues();
    void hugeStyleMakesNoCells();
    void propertyWrites_data();
    void propertyWrites();
    void disabledAtOnce();
    void transparentMask_data();
    void transparentMask();
    void focusRectangle();

    void writeProperties_data();
    void writeProperties();
    void readDefaults();
    void settingsRoundTrip();

private:
    static QImage cell(const QPixmap& strip, int index, int cellWidth);
};

void TestIButton::init()
{
    // Keep the pointer away from every window these tests open.
    QCursor::setPos(QPoint(5000, 5000));
}

QImage TestIButton::cell(const QPixmap& strip, int index, int cellWidth)
{
    return strip.toImage().copy(index * cellWidth, 0, cellWidth, strip.height()).convertToFormat(QImage::Format_RGB32);
}

void TestIButton::cellFaces_data()
{
    QTest::addColumn<int>("stripWidth");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("cellWidth");
    QTest::addColumn<int>("expectedCell");

    // clang-format off
    for (int state = 0; state < 4; ++state) {
        QTest::addRow("push 400x22, state %d", state) << 400 << 0 << false << state << 80 << state;
        QTest::addRow("toggle 800x22 released, state %d", state) << 800 << 1 << false << state << 80 << state;
        QTest::addRow("toggle 800x22 latched, state %d", state) << 800 << 1 << true << state << 80 << state + 4;
    }
    // Cell width = strip width / 5 (or / 10), rounded once, halves to even.
    QTest::newRow("push 402 wide: 80.4 -> 80") << 402 << 0 << false << 3 << 80 << 3;
    QTest::newRow("push 403 wide: 80.6 -> 81") << 403 << 0 << false << 3 << 81 << 3;
    QTest::newRow("toggle 805 wide: 80.5 -> 80") << 805 << 1 << true << 2 << 80 << 6;
    QTest::newRow("toggle 815 wide: 81.5 -> 82") << 815 << 1 << true << 2 << 82 << 6;
    // clang-format on
}

void TestIButton::cellFaces()
{
    QFETCH(int, stripWidth);
    QFETCH(int, style);
    QFETCH(bool, value);
    QFETCH(int, state);
    QFETCH(int, cellWidth);
    QFETCH(int, expectedCell);

    const QPixmap strip = skinstrip::strip(stripWidth, 22, cellWidth);
    iButton button;
    QVERIFY(button.setStyle(style));
    button.setAutoSize(true);
    button.setBackPicture(strip);
    button.setValue(value);
    QCOMPARE(button.size(), QSize(cellWidth, 22));

    button.cMouseAction(state, true);
    QCOMPARE(button.Image(), cell(strip, expectedCell, cellWidth));
}

void TestIButton::autoSize_data()
{
    QTest::addColumn<QSize>("stripSize");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<bool>("sized");
    // clang-format off
    QTest::newRow("115x16 close button") << QSize(115, 16) << QSize(23, 16) << true;
    QTest::newRow("530x22 open files") << QSize(530, 22) << QSize(106, 22) << true;
    QTest::newRow("200x40 row command") << QSize(200, 40) << QSize(40, 40) << true;
    QTest::newRow("3 wide: a one-pixel cell") << QSize(3, 10) << QSize(1, 10) << true;
    QTest::newRow("2 wide: no cell, size kept") << QSize(2, 10) << QSize(50, 30) << false;
    // clang-format on
}

void TestIButton::autoSize()
{
    QFETCH(QSize, stripSize);
    QFETCH(QSize, expected);
    QFETCH(bool, sized);
    QWidget host;
    host.resize(300, 200);
    iButton button(&host);
    button.resize(50, 30);
    button.setBackPicture(skinstrip::strip(stripSize.width(), stripSize.height(), qMax(1, stripSize.width() / 5)));
    QCOMPARE(button.size(), QSize(50, 30)); // a new instance does not size itself
    button.setAutoSize(true);
    QCOMPARE(button.size(), expected);

    // While AutoSize holds, the host cannot size it otherwise (unless there is no cell to size it to).
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    button.resize(70, 70);
    QCOMPARE(button.size(), sized ? expected : QSize(70, 70));
}

void TestIButton::autoSizeFalseOnlyMarks()
{
    iButton button;
    button.resize(60, 30);
    button.setBackPicture(skinstrip::pushStrip(23, 16));
    QSignalSpy changed(&button, &iButton::propertyChanged);
    const qint64 face = button.Image().cacheKey();
    button.setAutoSize(false);
    QCOMPARE(button.size(), QSize(60, 30));
    QCOMPARE(button.Image().cacheKey(), face);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), u"AutoSize"_s);
}

void TestIButton::loadedInstanceSizesAtFirstShow_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QSize>("expected");
    // clang-format off
    QTest::newRow("loaded without AutoSize key") << true << QSize(23, 16);
    QTest::newRow("new instance") << false << QSize(90, 30);
    // clang-format on
}

void TestIButton::loadedInstanceSizesAtFirstShow()
{
    QFETCH(bool, loaded);
    QFETCH(QSize, expected);
    const QPixmap strip = skinstrip::pushStrip(23, 16);
    QWidget host;
    host.resize(300, 200);
    iButton button(&host);
    if (loaded) {
        // What the main window stores for each of its buttons.
        PropertyBag bag;
        bag.WriteProperty(u"BackPicture"_s, QVariant::fromValue(strip));
        bag.WriteProperty(u"cFont"_s, QFont(u"宋体"_s, 9));
        bag.WriteProperty(u"cDrawMode"_s, 13);
        bag.WriteProperty(u"cForeColor"_s, QColor(Qt::black));
        QSignalSpy changed(&button, &iButton::propertyChanged);
        button.ReadProperties(bag);
        QCOMPARE(changed.count(), 0);
    } else {
        button.setBackPicture(strip);
    }
    button.setGeometry(10, 10, 90, 30);
    QCOMPARE(button.size(), QSize(90, 30)); // loading cuts and sizes nothing
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(button.size(), expected);
    QCOMPARE(skinstrip::centre(button.Image()), cellColour(0));
}

void TestIButton::secondShowDoesNotRedraw()
{
    QWidget host;
    host.resize(200, 100);
    iButton button(&host);
    button.setBackPicture(skinstrip::pushStrip(40, 20));
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    button.hide();
    const qint64 face = button.Image().cacheKey();
    button.show();
    QCOMPARE(button.Image().cacheKey(), face);
}

void TestIButton::emptySkinClearsFace()
{
    iButton button;
    button.resize(40, 20);
    button.setBackPicture(skinstrip::pushStrip(40, 20));
    QCOMPARE(skinstrip::centre(button.Image()), cellColour(0));
    button.setBackPicture(QPixmap());
    QVERIFY(button.BackPicture().isNull());
    QImage cleared(40, 20, QImage::Format_RGB32);
    cleared.fill(button.palette().color(QPalette::Base));
    QCOMPARE(button.Image(), cleared);
}

// The box around the pixels of `face` that differ from `background`.
static QRect inkBox(const QImage& face, const QColor& background)
{
    QRect box;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (face.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

void TestIButton::caption()
{
    // Flat cells without edge marks, so that only the caption differs from the cell colour.
    QImage strip(500, 40, QImage::Format_RGB32);
    for (int i = 0; i < 5; ++i)
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 40; ++y)
                strip.setPixelColor(i * 100 + x, y, cellColour(i));
    iButton button;
    button.setAutoSize(true);
    button.setBackPicture(QPixmap::fromImage(strip));
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(16);
    button.setcFont(font);
    button.setcForeColor(QColor(Qt::black));
    button.setCaption(u"OK"_s);

    button.cMouseAction(1, true);
    const QRect over = inkBox(button.Image(), cellColour(1));
    button.cMouseAction(2, true);
    const QRect pressed = inkBox(button.Image(), cellColour(2));
    QVERIFY(over.isValid());
    QCOMPARE(pressed, over.translated(1, 1));
    // Centred: the ink lies about as far from the left edge as from the right.
    QVERIFY2(qAbs(over.left() - (100 - 1 - over.right())) <= 3,
        qPrintable(u"ink %1..%2"_s.arg(over.left()).arg(over.right())));
    QVERIFY(over.top() > 5 && over.bottom() < 35);

    // Without a skin only the caption is drawn.
    button.setBackPicture(QPixmap());
    const QRect alone = inkBox(button.Image(), button.palette().color(QPalette::Base));
    QVERIFY(alone.isValid());
}

void TestIButton::valueOnPushButton()
{
    iButton button;
    button.setBackPicture(skinstrip::toggleStrip(20, 10));
    const qint64 face = button.Image().cacheKey();
    button.setValue(true);
    QCOMPARE(button.Value(), false);
    QCOMPARE(button.Image().cacheKey(), face);

    // A toggle keeps a latched value when its style changes.
    QVERIFY(button.setStyle(1));
    button.setValue(true);
    QCOMPARE(button.Value(), true);
    QVERIFY(button.setStyle(0));
    QCOMPARE(button.Value(), true);
    button.setValue(true);
    QCOMPARE(button.Value(), false);
}

void TestIButton::refusedValues_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("value");
    // clang-format off
    QTest::newRow("negative style") << u"Style"_s << -1;
    QTest::newRow("style whose last cell index overflows") << u"Style"_s << 536870912;
    QTest::newRow("back style 2") << u"cBackStyle"_s << 2;
    QTest::newRow("back style beyond 16 bits") << u"cBackStyle"_s << 40000;
    // clang-format on
}

void TestIButton::refusedValues()
{
    QFETCH(QString, member);
    QFETCH(int, value);
    iButton button;
    QSignalSpy changed(&button, &iButton::propertyChanged);
    const bool accepted = member == u"Style"_s ? button.setStyle(value) : button.setcBackStyle(value);
    QVERIFY(!accepted);
    QCOMPARE(button.Style(), 0);
    QCOMPARE(button.cBackStyle(), 1);
    QCOMPARE(changed.count(), 0);
}

void TestIButton::hugeStyleMakesNoCells()
{
    // The largest style whose cell indexes fit 32 bits: only the cells inside the strip are made.
    iButton button;
    button.setAutoSize(true);
    const QPixmap strip = skinstrip::toggleStrip(20, 10);
    button.setBackPicture(strip);
    QVERIFY(button.setStyle(536870911));
    button.cMouseAction(3, true);
    QCOMPARE(button.Image(), cell(strip, 3, 20));
    QVERIFY(button.setStyle(1));
    button.setValue(true);
    QVERIFY(button.setStyle(2)); // latched: state 0 would be cell 8, state 3 cell 11, past the strip
    button.cMouseAction(0, true);
    QCOMPARE(button.Image(), cell(strip, 8, 20));
    button.cMouseAction(3, true);
    QImage cleared(20, 10, QImage::Format_RGB32);
    cleared.fill(button.palette().color(QPalette::Base));
    QCOMPARE(button.Image(), cleared);
}

void TestIButton::propertyWrites_data()
{
    // Every write repaints; all but Value are marked changed under their key.
    QTest::addColumn<QString>("key");
    // clang-format off
    QTest::newRow("cDrawMode") << u"cDrawMode"_s;
    QTest::newRow("cFont") << u"cFont"_s;
    QTest::newRow("cForeColor") << u"cForeColor"_s;
    QTest::newRow("AutoSize true") << u"AutoSize"_s;
    QTest::newRow("Style") << u"Style"_s;
    QTest::newRow("BackPicture") << u"BackPicture"_s;
    QTest::newRow("Enabled") << u"Enabled"_s;
    QTest::newRow("cBackStyle") << u"cBackStyle"_s;
    QTest::newRow("Caption") << u"Caption"_s;
    QTest::newRow("Value of a toggle") << QString();
    // clang-format on
}

void TestIButton::propertyWrites()
{
    QFETCH(QString, key);
    iButton button;
    QVERIFY(button.setStyle(1));
    button.setBackPicture(skinstrip::toggleStrip(20, 10));
    QSignalSpy changed(&button, &iButton::propertyChanged);
    const qint64 face = button.Image().cacheKey();

    const QString member = QString::fromLatin1(QTest::currentDataTag()).section(u' ', 0, 0);
    if (member == u"cDrawMode")
        button.setcDrawMode(6);
    else if (member == u"cFont")
        button.setcFont(QFont(u"DejaVu Serif"_s, 12));
    else if (member == u"cForeColor")
        button.setcForeColor(Qt::red);
    else if (member == u"AutoSize")
        button.setAutoSize(true);
    else if (member == u"Style")
        QVERIFY(button.setStyle(0));
    else if (member == u"BackPicture")
        button.setBackPicture(skinstrip::pushStrip(20, 10));
    else if (member == u"Enabled")
        button.setEnabled(false);
    else if (member == u"cBackStyle")
        QVERIFY(button.setcBackStyle(0));
    else if (member == u"Caption")
        button.setCaption(u"好"_s);
    else if (member == u"Value")
        button.setValue(true);

    QVERIFY(button.Image().cacheKey() != face);
    if (key.isEmpty()) {
        QCOMPARE(changed.count(), 0);
    } else {
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), key);
    }
}

void TestIButton::disabledAtOnce()
{
    iButton button;
    button.setAutoSize(true);
    button.setBackPicture(skinstrip::pushStrip(30, 12));
    QSignalSpy changed(&button, &iButton::propertyChanged);
    button.setEnabled(false);
    QCOMPARE(button.Enabled(), false);
    QCOMPARE(skinstrip::centre(button.Image()), cellColour(3));
    button.setEnabled(true);
    QCOMPARE(skinstrip::centre(button.Image()), cellColour(0));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).toString(), u"Enabled"_s);
}

void TestIButton::transparentMask_data()
{
    QTest::addColumn<bool>("autoSize");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("magentaPoint");
    QTest::addColumn<QPoint>("solidPoint");
    // clang-format off
    QTest::newRow("cell-sized: the cell is the mask") << true << QSize(20, 10) << QPoint(2, 5) << QPoint(15, 5);
    QTest::newRow("stretched: the face is the mask") << false << QSize(40, 20) << QPoint(8, 10) << QPoint(30, 10);
    // clang-format on
}

void TestIButton::transparentMask()
{
    QFETCH(bool, autoSize);
    QFETCH(QSize, size);
    QFETCH(QPoint, magentaPoint);
    QFETCH(QPoint, solidPoint);
    // Cells whose left half is magenta.
    QImage strip = skinstrip::stripImage(100, 10, 20);
    for (int i = 0; i < 5; ++i)
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                strip.setPixel(i * 20 + x, y, 0xFFFF00FF);
    QWidget host;
    host.resize(200, 100);
    iButton button(&host);
    button.setGeometry(20, 20, size.width(), size.height());
    button.setAutoSize(autoSize);
    QVERIFY(button.setcBackStyle(0));
    button.setBackPicture(QPixmap::fromImage(strip));
    QCOMPARE(button.size(), size);
    QVERIFY(!button.mask().contains(magentaPoint));
    QVERIFY(button.mask().contains(solidPoint));

    // The pointer over a masked-out part is not over the button.
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCursor::setPos(button.mapToGlobal(magentaPoint));
    QVERIFY(QApplication::widgetAt(QCursor::pos()) != &button);

    QVERIFY(button.setcBackStyle(1));
    QVERIFY(button.mask().isEmpty());
}

void TestIButton::focusRectangle()
{
    QWidget host;
    host.resize(200, 100);
    iButton button(&host);
    button.setAutoSize(true);
    button.setBackPicture(skinstrip::pushStrip(40, 20));
    iButton other(&host);
    other.move(100, 0);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host));

    button.setFocus(Qt::TabFocusReason);
    QVERIFY(button.hasFocus());
    const QImage face = button.Image();
    const QColor fill = cellColour(0);
    const QColor inverted = QColor::fromRgb(fill.rgb() ^ 0x00FFFFFF);
    QCOMPARE(face.pixelColor(3, 3), inverted); // corner of the dotted rectangle, 3 pixels in
    QCOMPARE(face.pixelColor(4, 3), fill); // every other pixel
    QCOMPARE(face.pixelColor(5, 3), inverted);
    QCOMPARE(face.pixelColor(36, 3), fill);
    QCOMPARE(face.pixelColor(36, 16), inverted); // right and bottom edges end 3 pixels in
    QCOMPARE(face.pixelColor(36, 4), inverted);
    QCOMPARE(face.pixelColor(37, 4), fill);
    QCOMPARE(face.pixelColor(4, 16), inverted);
    QCOMPARE(face.pixelColor(4, 17), fill);
    QCOMPARE(face.pixelColor(2, 2), fill);
    QCOMPARE(face.pixelColor(20, 10), fill);

    other.setFocus(Qt::TabFocusReason);
    QCOMPARE(button.Image(), cell(button.BackPicture(), 0, 40));
}

void TestIButton::writeProperties_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QStringList>("keys");
    // clang-format off
    QTest::newRow("defaults: only what has no default") << false << QStringList { u"cFont"_s, u"cDrawMode"_s, u"cForeColor"_s };
    QTest::newRow("everything set") << true << QStringList { u"BackPicture"_s, u"Enabled"_s, u"Style"_s, u"cBackStyle"_s, u"Caption"_s, u"cFont"_s, u"cDrawMode"_s, u"cForeColor"_s };
    // clang-format on
}

void TestIButton::writeProperties()
{
    QFETCH(bool, changed);
    QFETCH(QStringList, keys);
    iButton button;
    button.setAutoSize(true); // its saved default
    if (changed) {
        button.setBackPicture(skinstrip::pushStrip(10, 10));
        button.setEnabled(false);
        QVERIFY(button.setStyle(1));
        QVERIFY(button.setcBackStyle(0));
        button.setCaption(u"关闭"_s);
        button.setValue(true);
    }
    PropertyBag bag;
    button.WriteProperties(bag);
    QCOMPARE(bag.keys(), keys);
    QCOMPARE(bag.ReadProperty(u"cDrawMode"_s).toInt(), 13);
    QVERIFY(!bag.contains(u"Value"_s));

    // A new instance (AutoSize false) saves it.
    iButton fresh;
    PropertyBag freshBag;
    fresh.WriteProperties(freshBag);
    QCOMPARE(freshBag.keys().first(), u"AutoSize"_s);
    QCOMPARE(freshBag.ReadProperty(u"AutoSize"_s).toBool(), false);

    // The identifier saved forms know the control by.
    const QMetaObject& meta = *button.metaObject();
    QCOMPARE(QString::fromUtf8(meta.classInfo(meta.indexOfClassInfo("ProgID")).value()), u"青禾更名器.iButton"_s);
}

void TestIButton::readDefaults()
{
    iButton button;
    button.setEnabled(false);
    QVERIFY(button.setStyle(1));
    QVERIFY(button.setcBackStyle(0));
    button.setCaption(u"x"_s);
    button.setBackPicture(skinstrip::pushStrip(10, 10));
    button.setcForeColor(Qt::green);
    const QFont font = button.cFont();
    QSignalSpy changed(&button, &iButton::propertyChanged);
    const qint64 face = button.Image().cacheKey();

    button.ReadProperties(PropertyBag());
    QCOMPARE(changed.count(), 0); // loading marks nothing changed
    QCOMPARE(button.Image().cacheKey(), face); // and repaints nothing
    QVERIFY(button.BackPicture().isNull());
    QCOMPARE(button.Enabled(), true);
    QCOMPARE(button.cBackStyle(), 1);
    QCOMPARE(button.Caption(), QString());
    QCOMPARE(button.Style(), 0);
    QCOMPARE(button.AutoSize(), true);
    QCOMPARE(button.cForeColor(), QColor(Qt::green)); // kept when missing
    QCOMPARE(button.cFont(), font);
    QCOMPARE(button.cDrawMode(), short(13));
}

void TestIButton::settingsRoundTrip()
{
    iButton button;
    button.setBackPicture(skinstrip::toggleStrip(12, 8));
    QVERIFY(button.setStyle(1));
    button.setCaption(u"还原"_s);
    QFont font(u"DejaVu Serif"_s, 11);
    button.setcFont(font);
    button.setcForeColor(QColor(0x12, 0x34, 0x56));
    button.setcDrawMode(7);
    button.setEnabled(false);

    PropertyBag bag;
    button.WriteProperties(bag);
    QByteArray stored;
    {
        QDataStream out(&stored, QIODevice::WriteOnly);
        out << bag;
    }
    PropertyBag read;
    QDataStream in(stored);
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);

    iButton copy;
    copy.ReadProperties(read);
    QCOMPARE(copy.BackPicture().toImage(), button.BackPicture().toImage());
    QCOMPARE(copy.Style(), 1);
    QCOMPARE(copy.Caption(), u"还原"_s);
    QCOMPARE(copy.cFont(), font);
    QCOMPARE(copy.cForeColor(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(copy.cDrawMode(), short(7));
    QCOMPARE(copy.Enabled(), false);
    QCOMPARE(copy.AutoSize(), false);
}

QTEST_MAIN(TestIButton)
#include "tst_ibutton.moc"
