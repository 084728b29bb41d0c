#include "rek2/FileLists.h"

#include <QtTest>

using namespace rek2;

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<x/>");
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestFileLists : public QObject {
    Q_OBJECT
private slots:
    // Every kind of entry whose name matches counts; other extensions do not.
    void entriesMatchingTheMask()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        for (const char* name : {"a.xml", "B.XML", ".hidden.xml", "c.tml", "d.xml.bak", "e.txt"})
            touch(folder + name);
        QVERIFY(QDir(folder).mkdir("folder.xml"));
        QVERIFY(QDir(folder).mkdir("other"));
        touch(folder + "other/inner.xml");
        QFile readOnly(folder + "a.xml");
        QVERIFY(readOnly.setPermissions(QFileDevice::ReadOwner));

        QCOMPARE(sorted(FileLists::neposlana(folder)),
                 (QStringList{".hidden.xml", "B.XML", "a.xml", "folder.xml"}));
    }

    // The list is appended to; a folder that is missing or not set adds nothing.
    void appendsAndToleratesMissingFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing") << "/nonexistent-rek2-folder/";
        QTest::newRow("not set") << "";
    }
    void appendsAndToleratesMissingFolders()
    {
        QFETCH(QString, folder);
        QStringList list{"kept.xml"};
        FileLists::loadFilesByMask(list, folder, "*.xml");
        QCOMPARE(list, QStringList{"kept.xml"});

        QTemporaryDir dir;
        touch(dir.filePath("n.xml"));
        FileLists::loadFilesByMask(list, dir.path() + u'/', "*.xml");
        QCOMPARE(list, (QStringList{"kept.xml", "n.xml"}));
    }

    // A file moved by hand from the output folder into the archive moves between the lists.
    void movedFileChangesList()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("out") + u'/';
        const QString arhiv = dir.filePath("arhiv") + u'/';
        QVERIFY(QDir().mkpath(out));
        QVERIFY(QDir().mkpath(arhiv));
        touch(out + "REK2_A_1_O_1_1901_090615.xml");
        touch(out + "REK2_A_1_O_2_1901_090615.xml");
        QCOMPARE(FileLists::neposlana(out).size(), 2);
        QVERIFY(FileLists::poslana(arhiv).isEmpty());
        QVERIFY(QFile::rename(out + "REK2_A_1_O_1_1901_090615.xml", arhiv + "REK2_A_1_O_1_1901_090615.xml"));
        QCOMPARE(FileLists::neposlana(out), QStringList{"REK2_A_1_O_2_1901_090615.xml"});
        QCOMPARE(FileLists::poslana(arhiv), QStringList{"REK2_A_1_O_1_1901_090615.xml"});
    }
};

QTEST_GUILESS_MAIN(TestFileLists)
#include "tst_filelists.moc"
