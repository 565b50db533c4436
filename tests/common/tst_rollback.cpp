// Undo records replayed from a journal on disk: whatever part of its change was made when the
// power went, undoing it (once, or again after an undo that was itself cut short) gives back what
// was there before, and nothing else.
#include "common/rollback.h"

#include "await.h"
#include "testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;

class RollbackTest : public QObject {
    Q_OBJECT

private slots:
    void replayingAnyPartOfAChangeGivesBackWhatWasThere_data() {
        QTest::addColumn<int>("kind"); // UndoRecord::Kind
        QTest::addColumn<bool>("existed");
        QTest::addColumn<int>("done"); // how many of the change's parts were made
        for (const int done : {0, 1, 2})
            QTest::addRow("moved aside, %d of 2 moves", done) << int(UndoRecord::Kind::PutBack) << true << done;
        QTest::newRow("made, not yet") << int(UndoRecord::Kind::Remove) << false << 0;
        QTest::newRow("made") << int(UndoRecord::Kind::Remove) << false << 2;
        QTest::newRow("folders made, a file kept in one") << int(UndoRecord::Kind::RemoveFolder) << false << 2;
        QTest::newRow("file replaced, not yet") << int(UndoRecord::Kind::RestoreFile) << true << 0;
        QTest::newRow("file replaced") << int(UndoRecord::Kind::RestoreFile) << true << 2;
        QTest::newRow("file written where none was") << int(UndoRecord::Kind::RestoreFile) << false << 2;
    }
    void replayingAnyPartOfAChangeGivesBackWhatWasThere() {
        QFETCH(int, kind);
        QFETCH(bool, existed);
        QFETCH(int, done);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"x"_s);
        const QString aside = dir.filePath(u".previous/x"_s);
        if (existed)
            QVERIFY(writeFile(path + u"/old"_s, "old \xff\x01") && writeFile(path + u"/other"_s, "other"));
        const QMap<QString, QByteArray> before = snapshot(dir.path());
        const std::optional<QByteArray> bytes = readFile(path + u"/old"_s);
        const QMap<UndoRecord::Kind, UndoRecord> records = {
            {UndoRecord::Kind::PutBack, UndoRecord::putBack(path, aside)},
            {UndoRecord::Kind::Remove, UndoRecord::remove(path)},
            {UndoRecord::Kind::RemoveFolder, UndoRecord::removeFolder(path)},
            {UndoRecord::Kind::RestoreFile, UndoRecord::restoreFile(path + u"/old"_s, existed ? bytes : std::nullopt)},
        };
        UndoJournal journal(dir.filePath(u"journal"_s));
        QCOMPARE(journal.append({records[UndoRecord::Kind(kind)]}), std::nullopt);

        // The change, as far as it got.
        if (kind == int(UndoRecord::Kind::PutBack) && done >= 1)
            QVERIFY(QDir().mkpath(dir.filePath(u".previous"_s)) && QDir().rename(path, aside));
        if (kind != int(UndoRecord::Kind::RemoveFolder) && done == 2)
            QVERIFY(writeFile(path + u"/old"_s, "new") && writeFile(path + u"/added"_s, "new"));
        if (kind == int(UndoRecord::Kind::RemoveFolder)) {
            QVERIFY(QDir().mkpath(path + u"/a/b"_s) && writeFile(path + u"/c/kept"_s, "a user's"));
            QVERIFY(QDir().mkpath(path + u"/c/d"_s));
        }

        const auto undo = [&] {
            const std::optional<UndoJournal> loaded = UndoJournal::load(journal.path());
            QVERIFY(loaded && loaded->records() == journal.records());
            QVERIFY(await(rollBack(loaded->records(), {}, [](const QString &) {})).complete);
        };
        undo();
        undo();
        QVERIFY(journal.clear() && !QFileInfo::exists(journal.path()));
        QMap<QString, QByteArray> expected = before;
        if (kind == int(UndoRecord::Kind::RemoveFolder))
            expected.insert(u"x/c/kept"_s, "a user's");
        if (kind == int(UndoRecord::Kind::RestoreFile) && done == 2)
            expected.insert(u"x/added"_s, "new"); // not the record's
        QCOMPARE(snapshot(dir.path(), {u".previous"_s}), expected);
        QCOMPARE(snapshot(dir.filePath(u".previous"_s)).size(), 0);
    }
};

QTEST_GUILESS_MAIN(RollbackTest)
#include "tst_rollback.moc"
