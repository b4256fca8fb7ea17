// Tests of the pictures on dense screens (device pixel ratios 2 and 1.5): iButton's cells and the window's pictures.
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/clickablelabel.h"
#include "../app/windowcontrols.h"
#include "app/fmmain.h"
#include "skinstrip.h"
#include "widgets/ibutton/ibutton.h"

using namespace Qt::StringLiterals;
using skinstrip::cellColour;

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void buttonAtRatioTwo_data();
    void buttonAtRatioTwo();
    void windowPicksTwiceDrawnPictures();
};

void TestHiDpi::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void TestHiDpi::buttonAtRatioTwo_data()
{
    QTest::addColumn<QSize>("cell"); // logical
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("firstCell"); // the cell the normal state shows
    // clang-format off
    QTest::newRow("push button, 23 x 16 like 最小化") << QSize(23, 16) << 0 << false << 0;
    QTest::newRow("toggle button on: cells 4 to 7") << QSize(40, 20) << 1 << true << 4;
    // clang-format on
}

void TestHiDpi::buttonAtRatioTwo()
{
    QFETCH(QSize, cell);
    QFETCH(int, style);
    QFETCH(bool, value);
    QFETCH(int, firstCell);
    // A strip drawn at twice the size: its cells are 2 × cell device pixels, with a black first and a white
    // last device column each, so a cut or a stretch that is one device pixel off shows.
    const int cells = style == 0 ? 5 : 10;
    QImage picture = skinstrip::stripImage(cells * cell.width() * 2, cell.height() * 2, cell.width() * 2);
    picture.setDevicePixelRatio(2);
    iButton button;
    button.setAutoSize(true);
    QVERIFY(button.setStyle(style));
    button.setBackPicture(QPixmap::fromImage(picture));
    button.setValue(value);

    QCOMPARE(button.size(), cell); // auto-size gives the designed logical size
    for (int state = 0; state < 4; ++state) {
        button.cMouseAction(state, true);
        const QImage face = button.Image();
        QCOMPARE(face.devicePixelRatio(), 2.0);
        QCOMPARE(face.size(), cell * 2);
        const int y = face.height() / 2;
        QCOMPARE(face.pixelColor(0, y), QColor(Qt::black));
        QCOMPARE(face.pixelColor(1, y), cellColour(firstCell + state));
        QCOMPARE(face.pixelColor(face.width() - 2, y), cellColour(firstCell + state));
        QCOMPARE(face.pixelColor(face.width() - 1, y), QColor(Qt::white));
    }

    // Transparent back style: the mask is in logical pixels, taken from the 2× cell.
    QImage masked = picture;
    for (int x = 0; x < masked.width(); ++x)
        if (x % (cell.width() * 2) < cell.width())
            for (int y = 0; y < masked.height(); ++y)
                masked.setPixel(x, y, 0xFFFF00FF);
    button.setBackPicture(QPixmap::fromImage(masked));
    QVERIFY(button.setcBackStyle(0));
    button.cMouseAction(0, true);
    QCOMPARE(button.size(), cell);
    QVERIFY(!button.mask().contains(QPoint(cell.width() / 4, cell.height() / 2)));
    QVERIFY(button.mask().contains(QPoint(cell.width() * 3 / 4, cell.height() / 2)));
    QVERIFY(button.mask().boundingRect().right() < cell.width());
}

void TestHiDpi::windowPicksTwiceDrawnPictures()
{
    WindowOptions options;
    options.checkForUpdates = false;
    fmMain window(options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* background = control<QLabel>(window, u"Image1"_s);
    auto* btDIY = control<QLabel>(window, u"btDIY"_s);
    auto* btClose = control<iButton>(window, u"btClose"_s);

    QCOMPARE(window.size(), QSize(680, 580));
    QCOMPARE(background->pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(btDIY->pixmap().devicePixelRatio(), 2.0); // the tab shows the 2× look
    QCOMPARE(btClose->BackPicture().devicePixelRatio(), 2.0);
    QCOMPARE(btClose->size(), QSize(23, 16));

    // On screen the logo is the 2× picture pixel for pixel, not the 1× one enlarged.
    const QImage shown
        = window.grab(control(window, u"picLogo"_s)->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage drawn = QImage(u":/skins/logo@2x.png"_s).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(240, 80));
    QCOMPARE(shown.copy(), drawn.copy());

    // Moved to the ordinary screen the window shows the 1× pictures; at 150 % the 2× ones drawn down to 1.5×;
    // and the 2× ones again when it comes back.
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 3);
    for (const qreal ratio : { 1.0, 1.5, 2.0 }) {
        QScreen* target = nullptr;
        for (QScreen* screen : screens) {
            if (screen->devicePixelRatio() == ratio)
                target = screen;
        }
        QVERIFY(target);
        window.move(target->geometry().topLeft() + QPoint(40, 40));
        QTRY_COMPARE(window.screen(), target);
        QCOMPARE(background->pixmap().devicePixelRatio(), ratio);
        QCOMPARE(background->pixmap().deviceIndependentSize(), QSizeF(680, 580));
        QCOMPARE(btDIY->pixmap().devicePixelRatio(), ratio);
        QCOMPARE(
            btClose->BackPicture().devicePixelRatio(), std::ceil(ratio)); // the button cuts its cells from the 2× strip
        QCOMPARE(btClose->size(), QSize(23, 16));
        QTRY_COMPARE(btClose->Image().devicePixelRatio(), ratio);
    }
}

int main(int argc, char* argv[])
{
    // Three screens side by side: the first (primary) at 200 %, the second at 100 %, the third at 150 %.
    QTemporaryDir dir;
    QFile config(dir.filePath(u"screens.json"_s));
    if (!dir.isValid() || !config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({ "screens": [
        { "name": "dense", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 2 },
        { "name": "ordinary", "x": 1280, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1 },
        { "name": "medium", "x": 2560, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1.5 } ] })");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
