// Tests of the property bag: omitted defaults, order, and damaged streams.
#include <QDataStream>
#include <QTest>

using namespace Qt::StringLiterals;

#include "widgets/ibutton/propertybag.h"

class TestPropertyBag : public QObject {
    Q_OBJECT

private slots:
    void defaultIsOmitted_data();
    void defaultIsOmitted();
    void orderAndReplace();
    void damagedStream_data();
    void damagedStream();
};

void TestPropertyBag::defaultIsOmitted_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<bool>("written");
    // clang-format off
    QTest::newRow("bool equal to default") << QVariant(true) << QVariant(true) << false;
    QTest::newRow("bool differs") << QVariant(false) << QVariant(true) << true;
    QTest::newRow("int equal to default") << QVariant(1) << QVariant(1) << false;
    QTest::newRow("int differs") << QVariant(0) << QVariant(1) << true;
    QTest::newRow("empty string against empty default") << QVariant(QString()) << QVariant(u""_s) << false;
    QTest::newRow("text differs") << QVariant(u"打开"_s) << QVariant(QString()) << true;
    QTest::newRow("no default: always written") << QVariant(13) << QVariant() << true;
    // clang-format on
}

void TestPropertyBag::defaultIsOmitted()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, defaultValue);
    QFETCH(bool, written);
    PropertyBag bag;
    bag.WriteProperty(u"Key"_s, value, defaultValue);
    QCOMPARE(bag.contains(u"Key"_s), written);
    if (written)
        QCOMPARE(bag.ReadProperty(u"Key"_s), value);
}

void TestPropertyBag::orderAndReplace()
{
    PropertyBag bag;
    bag.WriteProperty(u"b"_s, 1);
    bag.WriteProperty(u"a"_s, 2);
    bag.WriteProperty(u"c"_s, 3);
    bag.WriteProperty(u"a"_s, 20);
    QCOMPARE(bag.keys(), (QStringList { u"b"_s, u"a"_s, u"c"_s }));
    QCOMPARE(bag.ReadProperty(u"a"_s).toInt(), 20);
    QCOMPARE(bag.count(), 3);
}

void TestPropertyBag::damagedStream_data()
{
    PropertyBag bag;
    bag.WriteProperty(u"Caption"_s, u"确定"_s);
    bag.WriteProperty(u"Style"_s, 1);
    QByteArray good;
    {
        QDataStream out(&good, QIODevice::WriteOnly);
        out << bag;
    }
    QByteArray foreign = good;
    foreign[0] = 'X';
    QByteArray hugeCount = good;
    hugeCount[6] = char(0x7F); // the count's first byte: far more entries than the data holds

    QTest::addColumn<QByteArray>("data");
    // clang-format off
    QTest::newRow("foreign marker") << foreign;
    QTest::newRow("cut short") << good.left(good.size() - 3);
    QTest::newRow("count beyond the data") << hugeCount;
    QTest::newRow("empty") << QByteArray();
    // clang-format on
}

void TestPropertyBag::damagedStream()
{
    QFETCH(QByteArray, data);
    PropertyBag bag;
    bag.WriteProperty(u"Kept"_s, 1);
    QDataStream in(data);
    in >> bag;
    QVERIFY(in.status() != QDataStream::Ok);
    QCOMPARE(bag.keys(), QStringList { u"Kept"_s });
}

QTEST_MAIN(TestPropertyBag)
#include "tst_propertybag.moc"
