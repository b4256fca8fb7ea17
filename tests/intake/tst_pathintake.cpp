// Tests of adding the files and folders named on the command line.
#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "intake/pathintake.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

class TestPathIntake : public QObject {
    Q_OBJECT

private slots:
    void foldersAndFilesInOrder();
};

namespace {

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

void TestPathIntake::foldersAndFilesInOrder()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString root = dir.path() + u'/';
    QVERIFY(QDir(root).mkpath(u"相册"_s));
    for (const QString& name : { u"相册/b.jpg"_s, u"相册/A.jpg"_s, u"相册/.hidden"_s, u"x.txt"_s, u"y.txt"_s })
        QVERIFY(touch(root + name));
    QVERIFY(QFile::link(root + u"相册"_s, root + u"link"_s));
    QVERIFY(QFile::link(root + u"gone"_s, root + u"broken"_s));
    QCOMPARE(mkfifo(QFile::encodeName(root + u"fifo"_s).constData(), 0600), 0);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(u"earlier.txt"_s, u"/elsewhere/"_s);
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root));
    const QList<intake::SkippedPath> skipped = intake::addPaths(list,
        { root + u"y.txt"_s, u"相册/"_s, root + u"missing"_s, u"x.txt"_s, root + u"broken"_s, root + u"fifo"_s,
            root + u"link"_s, u"y.txt"_s });
    QVERIFY(QDir::setCurrent(previous));

    // In the order given, after the rows already there; a folder's visible files sorted as 添加文件夹 does.
    QCOMPARE(list.oldNames(),
        (QStringList {
            u"earlier.txt"_s, u"y.txt"_s, u"A.jpg"_s, u"b.jpg"_s, u"x.txt"_s, u"A.jpg"_s, u"b.jpg"_s, u"y.txt"_s }));
    const QString album = root + u"相册/"_s;
    QCOMPARE(list.folder(1), root);
    QCOMPARE(list.folder(2), album);
    QCOMPARE(list.folder(4), root);
    QCOMPARE(list.folder(5), root + u"link/"_s);
    QCOMPARE(list.folder(7), root);
    for (int row = 1; row < list.count(); ++row) {
        QCOMPARE(list.icon(row), RowIcon::Added);
        QVERIFY(QFile::exists(list.oldPath(row)));
    }
    using Reason = intake::SkippedPath::Reason;
    QCOMPARE(skipped,
        (QList<intake::SkippedPath> { { root + u"missing"_s, Reason::Missing }, { root + u"broken"_s, Reason::Missing },
            { root + u"fifo"_s, Reason::NotFileOrFolder } }));
}

QTEST_GUILESS_MAIN(TestPathIntake)
#include "tst_pathintake.moc"
