// Tests of the name generator: both plans, numbering, padding, extensions and replacing.
#include <QTest>

using namespace Qt::StringLiterals;

#include "rename/namegenerator.h"
#include "rename/numbertext.h"

class TestNameGenerator : public QObject {
    Q_OBJECT

private slots:
    void numbering_data();
    void numbering();
    void replace_data();
    void replace();
    void extension_data();
    void extension();
    void paddingWidth_data();
    void paddingWidth();
    void numberText_data();
    void numberText();
    void hugePaddingIsCapped();
    void sameFileTwice();
    void emptyList();
};

static QStringList txtNames(int n)
{
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << QStringLiteral("file%1.txt").arg(i);
    names[0] = QStringLiteral("a.txt");
    return names;
}

void TestNameGenerator::numbering_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("expected");

    // clang-format off
    const QString qh = QStringLiteral("青禾");
    const QString mz = QStringLiteral("木舟");
    QTest::newRow("sample: padded to 2") << qh << "1" << "2" << mz << 1 << QStringList { u"青禾01木舟.txt"_s };
    QTest::newRow("sample: no padding") << qh << "1" << "" << mz << 1 << QStringList { u"青禾1木舟.txt"_s };
    QTest::newRow("start 7, 3 digits, second row") << "" << "7" << "3" << "" << 2 << QStringList { u"007.txt"_s, u"008.txt"_s };
    QTest::newRow("digits 2 past ten") << "" << "9" << "2" << "" << 3 << QStringList { u"09.txt"_s, u"10.txt"_s, u"11.txt"_s };
    QTest::newRow("longer than digits is never cut") << "" << "100" << "2" << "" << 1 << QStringList { u"100.txt"_s };
    QTest::newRow("digits 0 means none") << "" << "5" << "0" << "" << 1 << QStringList { u"5.txt"_s };
    QTest::newRow("digits 1 means none") << "" << "5" << "1" << "" << 1 << QStringList { u"5.txt"_s };
    QTest::newRow("digits 00 means none") << "" << "5" << "00" << "" << 1 << QStringList { u"5.txt"_s };
    QTest::newRow("digits trimmed") << "" << "5" << " 3 " << "" << 1 << QStringList { u"005.txt"_s };
    QTest::newRow("start 0") << "" << "0" << "" << "" << 3 << QStringList { u"0.txt"_s, u"1.txt"_s, u"2.txt"_s };
    QTest::newRow("start with leading zeros") << "" << "007" << "" << "" << 1 << QStringList { u"7.txt"_s };
    QTest::newRow("start empty: all empty") << "x" << "" << "2" << "y" << 2 << QStringList { u""_s, u""_s };
    QTest::newRow("start not a number: all empty") << "x" << "abc" << "" << "y" << 2 << QStringList { u""_s, u""_s };
    QTest::newRow("start fraction rounds half away") << "" << "1.5" << "" << "" << 2 << QStringList { u"2.txt"_s, u"3.txt"_s };
    QTest::newRow("start -2.5 rounds half away from zero") << "" << "-2.5" << "" << "" << 2 << QStringList { u"-3.txt"_s, u"-2.txt"_s };
    QTest::newRow("start -1.5 counts through zero") << "" << "-1.5" << "" << "" << 3 << QStringList { u"-2.txt"_s, u"-1.txt"_s, u"0.txt"_s };
    QTest::newRow("start negative keeps sign before zeros") << "" << "-5" << "3" << "" << 2 << QStringList { u"-005.txt"_s, u"-004.txt"_s };
    QTest::newRow("start with spaces") << "" << " 3 " << "" << "" << 1 << QStringList { u"3.txt"_s };
    QTest::newRow("spaces in prefix and suffix stay") << " a " << "1" << "" << " b " << 1 << QStringList { u" a 1 b .txt"_s };
    QTest::newRow("9e18 and above padded") << "" << "9e18" << "22" << "" << 1 << QStringList { u"0009000000000000000000.txt"_s };
    QTest::newRow("-9e18 and below padded after the sign") << "" << "-9e18" << "21" << "" << 1 << QStringList { u"-009000000000000000000.txt"_s };
    QTest::newRow("huge start prints whole digits") << "" << "1e20" << "" << "" << 1 << QStringList { u"100000000000000000000.txt"_s };
    // clang-format on
}

void TestNameGenerator::numbering()
{
    QFETCH(QString, prefix);
    QFETCH(QString, start);
    QFETCH(QString, digits);
    QFETCH(QString, suffix);
    QFETCH(int, rows);
    QFETCH(QStringList, expected);

    PlanSettings s;
    s.plan = Plan::Numbering;
    s.prefix = prefix;
    s.startText = start;
    s.digitsText = digits;
    s.suffix = suffix;
    s.addBefore = QStringLiteral("ignored");
    s.replaceOld = QStringLiteral("a");
    const QStringList names = txtNames(rows);
    QCOMPARE(generateNewNames(s, names), expected);
    // A row named alone, as the view asks for it, reads as the whole column does.
    const NameRecipe recipe(s);
    for (int row = 0; row < rows; ++row)
        QCOMPARE(recipe.name(row, names.at(row)), expected.at(row));
}

void TestNameGenerator::replace_data()
{
    QTest::addColumn<QString>("oldName");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("example: replace, before, after") << "a.txt" << "a" << "b" << "x" << "y" << "xby.txt";
    QTest::newRow("example: empty replacement deletes") << "a.txt" << "a" << "" << "" << "" << ".txt";
    QTest::newRow("no overlaps") << "aaa.txt" << "aa" << "b" << "" << "" << "ba.txt";
    QTest::newRow("every occurrence") << "a-a-a.txt" << "a" << "bb" << "" << "" << "bb-bb-bb.txt";
    QTest::newRow("case-sensitive") << "img_IMG.jpg" << "img" << "pic" << "" << "" << "pic_IMG.jpg";
    QTest::newRow("empty find keeps name") << "photo.jpg" << "" << "zzz" << "" << "" << "photo.jpg";
    QTest::newRow("extension untouched by replace") << "a.a" << "a" << "b" << "" << "" << "b.a";
    QTest::newRow("several dots: base keeps inner dots") << "archive.tar.gz" << "." << "_" << "" << "" << "archive_tar.gz";
    QTest::newRow("no dot: whole name is base") << "README" << "E" << "e" << "<" << ">" << "<ReADMe>";
    QTest::newRow("leading dot: empty base") << ".profile" << "p" << "q" << "x" << "" << "x.profile";
    QTest::newRow("spaces are kept") << "a b.txt" << " " << "  " << " " << " " << " a  b .txt";
    QTest::newRow("CJK") << "青禾木舟.png" << "木舟" << "小船" << "新" << "" << "新青禾小船.png";
    // clang-format on
}

void TestNameGenerator::replace()
{
    QFETCH(QString, oldName);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, expected);

    PlanSettings s;
    s.plan = Plan::Replace;
    s.replaceOld = find;
    s.replaceNew = replacement;
    s.addBefore = before;
    s.addAfter = after;
    s.prefix = QStringLiteral("ignored");
    QCOMPARE(generateNewNames(s, { oldName }), QStringList { expected });
    QCOMPARE(NameRecipe(s).name(0, oldName), expected);
}

void TestNameGenerator::extension_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<QString>("oldName");
    QTest::addColumn<QString>("extensionText");
    QTest::addColumn<QString>("expected");

    // clang-format off
    const int num = int(Plan::Numbering);
    const int rep = int(Plan::Replace);
    QTest::newRow("kept: last dot") << num << "archive.tar.gz" << "" << "1.gz";
    QTest::newRow("kept: no dot, no extension") << num << "Makefile" << "" << "1";
    QTest::newRow("kept: leading-dot name is all extension") << num << ".profile" << "" << "1.profile";
    QTest::newRow("kept: trailing dot") << num << "name." << "" << "1.";
    QTest::newRow("fixed replaces") << num << "photo.png" << ".jpg" << "1.jpg";
    QTest::newRow("fixed on a name without one") << num << "Makefile" << ".jpg" << "1.jpg";
    QTest::newRow("fixed is trimmed") << num << "a.png" << "  .jpg " << "1.jpg";
    QTest::newRow("fixed gets no dot added") << num << "a.png" << "jpg" << "1jpg";
    QTest::newRow("spaces only means kept") << num << "a.png" << "   " << "1.png";
    QTest::newRow("replace plan, fixed") << rep << "a.b.png" << ".webp" << "a.b.webp";
    QTest::newRow("replace plan, no dot, fixed") << rep << "notes" << ".md" << "notes.md";
    // clang-format on
}

void TestNameGenerator::extension()
{
    QFETCH(int, plan);
    QFETCH(QString, oldName);
    QFETCH(QString, extensionText);
    QFETCH(QString, expected);

    PlanSettings s;
    s.plan = Plan(plan);
    s.extensionText = extensionText;
    QCOMPARE(generateNewNames(s, { oldName }), QStringList { expected });
    // The same with the extensions laid out once, as the list does, among names with other extensions.
    const QStringList names { QStringLiteral("other.jpeg"), oldName, QStringLiteral("noextension"), oldName };
    QCOMPARE(generateNewNames(s, names, Extensions(names)), generateNewNames(s, names));
    QCOMPARE(NameRecipe(s).name(3, oldName), generateNewNames(s, names).at(3));
    // More distinct extensions than the layout remembers at once, each met twice.
    QStringList many { oldName };
    for (int i = 0; i < 600; ++i)
        many << QStringLiteral("n.%1").arg(i % 300);
    QCOMPARE(generateNewNames(s, many, Extensions(many)), generateNewNames(s, many));
}

void TestNameGenerator::paddingWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    // clang-format off
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("spaces") << "   " << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("1") << "1" << 0;
    QTest::newRow("2") << "2" << 2;
    QTest::newRow("padded 06") << "06" << 6;
    QTest::newRow("255") << "255" << 255;
    QTest::newRow("capped") << "32767" << kMaxDigits;
    QTest::newRow("far beyond 16 bits is capped") << "99999999" << kMaxDigits;
    QTest::newRow("pasted text") << "abc" << 0;
    QTest::newRow("negative") << "-4" << 0;
    // clang-format on
}

void TestNameGenerator::paddingWidth()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(::paddingWidth(text), width);
}

void TestNameGenerator::numberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    // clang-format off
    QTest::newRow("digits") << "12" << true << 12.0;
    QTest::newRow("spaces around") << "  1.0  " << true << 1.0;
    QTest::newRow("sign") << "-0.9" << true << -0.9;
    QTest::newRow("plus") << "+3" << true << 3.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("exponent with minus") << "1e-3" << true << 0.001;
    QTest::newRow("exponent with plus") << "1E+3" << true << 1000.0;
    QTest::newRow("exponent without digits") << "1e+" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("html") << "<html>" << false << 0.0;
    QTest::newRow("inner space") << "1 0" << false << 0.0;
    QTest::newRow("two points") << "1.0.1" << false << 0.0;
    QTest::newRow("comma decimal") << "1,5" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("tab is not a space") << "\t1" << false << 0.0;
    // clang-format on
}

void TestNameGenerator::numberText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> parsed = numbertext::parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestNameGenerator::hugePaddingIsCapped()
{
    PlanSettings s;
    s.digitsText = QStringLiteral("32767");
    const QString name = generateNewNames(s, { QStringLiteral("a.txt") }).value(0);
    QCOMPARE(name.size(), kMaxDigits + 4);
    QVERIFY(name.endsWith(QStringLiteral("01.txt")));
}

void TestNameGenerator::sameFileTwice()
{
    const QStringList twice { QStringLiteral("a.txt"), QStringLiteral("a.txt") };
    PlanSettings s;
    QCOMPARE(generateNewNames(s, twice), (QStringList { u"1.txt"_s, u"2.txt"_s }));
    s.plan = Plan::Replace;
    s.addBefore = QStringLiteral("x");
    QCOMPARE(generateNewNames(s, twice), (QStringList { u"xa.txt"_s, u"xa.txt"_s }));
}

void TestNameGenerator::emptyList()
{
    PlanSettings s;
    QVERIFY(generateNewNames(s, {}).isEmpty());
    s.startText.clear();
    QVERIFY(generateNewNames(s, {}).isEmpty());
}

QTEST_GUILESS_MAIN(TestNameGenerator)
#include "tst_namegenerator.moc"
