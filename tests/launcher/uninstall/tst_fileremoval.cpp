// Removing an entry never follows a symbolic link, wherever the link sits.
#include "common/fileoperations.h"

#include "permissions.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;

namespace {

bool present(const QString &path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

} // namespace

class FileRemovalTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction()) +
                 QStringLiteral("-") + QString::fromLatin1(QTest::currentDataTag());
        m_outside = m_root + QStringLiteral("/outside");
        QVERIFY(test::writeFile(m_outside + QStringLiteral("/data/keep.txt"), "keep"));
    }

    // Each row builds an entry at <root>/victim, removes it, and checks that the victim is gone
    // and everything under <root>/outside is still there.
    void removesWithoutFollowingLinks_data() {
        QTest::addColumn<QString>("shape");
        QTest::newRow("file") << "file";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to folder") << "linkToFolder";
        QTest::newRow("link to file") << "linkToFile";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("folder holding links") << "folderWithLinks";
    }

    void removesWithoutFollowingLinks() {
        QFETCH(QString, shape);
        const QString victim = m_root + QStringLiteral("/victim");
        if (shape == u"file") {
            QVERIFY(test::writeFile(victim, "x"));
        } else if (shape == u"folder") {
            QVERIFY(test::writeFile(victim + QStringLiteral("/a/b/c.txt"), "x"));
        } else if (shape == u"linkToFolder") {
            QVERIFY(QFile::link(m_outside, victim));
        } else if (shape == u"linkToFile") {
            QVERIFY(QFile::link(m_outside + QStringLiteral("/data/keep.txt"), victim));
        } else if (shape == u"dangling") {
            QVERIFY(QFile::link(m_root + QStringLiteral("/nowhere"), victim));
        } else {
            QVERIFY(test::writeFile(victim + QStringLiteral("/inner/c.txt"), "x"));
            QVERIFY(QFile::link(m_outside, victim + QStringLiteral("/inner/up")));
            QVERIFY(QFile::link(m_outside + QStringLiteral("/data"), victim + QStringLiteral("/data")));
        }

        const FileOperationResult result = removeIfPresent(victim);
        QVERIFY(result.ok && result.existed);
        QVERIFY(!present(victim));
        QCOMPARE(QDir(m_outside + QStringLiteral("/data")).entryList(QDir::Files), QStringList{"keep.txt"});
    }

    void absentEntries() {
        const FileOperationResult missing = removeIfPresent(m_root + QStringLiteral("/missing"));
        QVERIFY(missing.ok && !missing.existed);
        // A path through a file is just as absent.
        QVERIFY(test::writeFile(m_root + QStringLiteral("/plain"), "x"));
        const FileOperationResult below = removeIfPresent(m_root + QStringLiteral("/plain/below"));
        QVERIFY(below.ok && !below.existed);
    }

    void failureIsReportedAndNothingFollowed() {
        const test::PermissionsEnforced enforced;
        if (!enforced.isActive())
            QSKIP("cannot make permission bits bind this process");
        const QString folder = m_root + QStringLiteral("/locked");
        QVERIFY(test::writeFile(folder + QStringLiteral("/item.plist"), "x"));
        const test::ReadOnlyFolder readOnly(folder);

        const FileOperationResult result = removeIfPresent(folder + QStringLiteral("/item.plist"));
        QVERIFY(!result.ok);
        QCOMPARE(result.errorCode, EACCES);
        QCOMPARE(result.description, QStringLiteral("\u201Citem.plist\u201D couldn\u2019t be removed: "
                                                    "Permission denied"));
        QVERIFY(QFile::exists(folder + QStringLiteral("/item.plist")));
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
    QString m_outside;
};

QTEST_GUILESS_MAIN(FileRemovalTest)
#include "tst_fileremoval.moc"
