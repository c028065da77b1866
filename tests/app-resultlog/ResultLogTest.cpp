#include "ResultLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &FileName, const QByteArray &Bytes)
{
    QFile file(FileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Bytes);
}

const std::vector<TResultLogRecord> kRecords = {
    TResultLogRecord::Label(1, QStringLiteral("проба 7")),
    TResultLogRecord::Result(1, {"15.03.2023", "12:00:00", "1", "20,00", "3,45", "8,50", "1028,00"}),
    TResultLogRecord::Label(1, QStringLiteral("tab\there, ä €")), // as typed; the journal normalises it
    TResultLogRecord::Result(2, {"15.03.2023", "12:02:10", "2", "", "-0,5204"}),
};

class ResultLogTest : public ::testing::Test {
protected:
    QString Path(const QString &Name) const { return Dir.filePath(Name); }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(ResultLogTest, RecordsComeBackInOrderWithTheJournalTheyBelongTo)
{
    WriteAll(Path("day.txt"), "a\t\r\n");
    TResultLog log(Path("Nivara.log"));
    ASSERT_TRUE(log.Restart(Path("day.txt")));
    for (const TResultLogRecord &record : kRecords)
        ASSERT_TRUE(log.Append(record));
    EXPECT_TRUE(log.Secured());

    const TResultLogContents contents = ReadResultLog(Path("Nivara.log"));
    EXPECT_TRUE(contents.HasHeader);
    EXPECT_EQ(contents.JournalFileName, Path("day.txt"));
    EXPECT_EQ(contents.Stamp, TJournalFileStamp::Of(Path("day.txt")));
    EXPECT_TRUE(contents.Stamp.Exists);
    EXPECT_EQ(contents.Records, kRecords);
    EXPECT_EQ(contents.Results(), 2);
    EXPECT_EQ(contents.Labels(), 2);
    EXPECT_EQ(contents.ValidLength, contents.FileLength);

    // A journal rewritten in place or replaced no longer has that stamp.
    WriteAll(Path("day.txt"), "a\t\r\nb\t\r\n");
    EXPECT_NE(TJournalFileStamp::Of(Path("day.txt")), contents.Stamp);

    // Afresh: the header only, for a journal that does not exist yet.
    ASSERT_TRUE(log.Restart(Path("Новый.txt")));
    const TResultLogContents fresh = ReadResultLog(Path("Nivara.log"));
    EXPECT_EQ(fresh.JournalFileName, Path("Новый.txt"));
    EXPECT_FALSE(fresh.Stamp.Exists);
    EXPECT_TRUE(fresh.Records.empty());
    EXPECT_EQ(fresh.ValidLength, fresh.FileLength);

    EXPECT_FALSE(ReadResultLog(Path("none.log")).HasHeader);
}

// A crash may stop the last write after any byte: that record is ignored,
// all before it are used, and the next record goes where the torn one began.
TEST_F(ResultLogTest, ATornLastRecordIsIgnoredAtEveryCut)
{
    TResultLog log(Path("Nivara.log"));
    ASSERT_TRUE(log.Restart(Path("day.txt")));
    for (size_t i = 0; i + 1 < kRecords.size(); ++i)
        ASSERT_TRUE(log.Append(kRecords[i]));
    const qint64 before = ReadAll(Path("Nivara.log")).size();
    ASSERT_TRUE(log.Append(kRecords.back()));
    const QByteArray whole = ReadAll(Path("Nivara.log"));
    const std::vector<TResultLogRecord> kept(kRecords.begin(), kRecords.end() - 1);

    for (qint64 cut = before; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        WriteAll(Path("torn.log"), whole.left(cut));
        const TResultLogContents contents = ReadResultLog(Path("torn.log"));
        ASSERT_TRUE(contents.HasHeader);
        EXPECT_EQ(contents.Records, kept);
        EXPECT_EQ(contents.ValidLength, before);

        TResultLog more(Path("torn.log"));
        more.Continue(contents);
        ASSERT_TRUE(more.Append(kRecords.front()));
        std::vector<TResultLogRecord> expected = kept;
        expected.push_back(kRecords.front());
        EXPECT_EQ(ReadResultLog(Path("torn.log")).Records, expected);
    }
    // A header torn at any byte: nothing to use.
    const qint64 header = EncodeResultLogRecord(TResultLogRecord::Header(Path("day.txt"), {})).size();
    for (qint64 cut = 0; cut < header; ++cut)
        EXPECT_FALSE(ParseResultLog(whole.left(cut)).HasHeader) << cut;
}

// Any changed byte of a record ends the log before that record; a zeroed
// tail (a power cut after the size grew) the same.
TEST_F(ResultLogTest, DamageEndsTheLogBeforeTheDamagedRecord)
{
    QByteArray bytes = EncodeResultLogRecord(TResultLogRecord::Header(Path("day.txt"), {}));
    std::vector<qsizetype> starts;
    for (const TResultLogRecord &record : kRecords) {
        starts.push_back(bytes.size());
        bytes += EncodeResultLogRecord(record);
    }
    starts.push_back(bytes.size());
    for (size_t k = 0; k < kRecords.size(); ++k) {
        for (qsizetype at = starts[k]; at < starts[k + 1]; ++at) {
            QByteArray damaged = bytes;
            damaged[at] = char(damaged[at] ^ 0x20);
            const TResultLogContents contents = ParseResultLog(damaged);
            ASSERT_EQ(contents.Records.size(), k) << "record " << k << ", byte " << at;
            EXPECT_EQ(contents.ValidLength, starts[k]);
        }
    }
    EXPECT_EQ(ParseResultLog(bytes + QByteArray(4096, '\0')).Records, kRecords);
    // A second header, or records without one, are not a log.
    EXPECT_EQ(ParseResultLog(bytes + bytes).Records, kRecords);
    EXPECT_FALSE(ParseResultLog(bytes.mid(starts[0])).HasHeader);
}

// The folder for the log cannot exist (a file stands where it should be):
// records are kept, and all of them reach the disk, in order, once the log
// can be written again. Holds for root too, unlike permission bits.
TEST_F(ResultLogTest, ALogThatCannotBeWrittenKeepsItsRecordsUntilItWorks)
{
    WriteAll(Path("folder"), "not a folder");
    TResultLog log(Path("folder/Nivara.log"));
    EXPECT_FALSE(log.Restart(Path("day.txt")));
    EXPECT_FALSE(log.Secured());
    EXPECT_FALSE(log.LastError().isEmpty());
    EXPECT_FALSE(log.Append(kRecords[0]));
    EXPECT_FALSE(log.Append(kRecords[1]));
    EXPECT_FALSE(log.Secured());

    ASSERT_TRUE(QFile::remove(Path("folder")));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder"));
    EXPECT_TRUE(log.Append(kRecords[2]));
    EXPECT_TRUE(log.Secured());
    EXPECT_TRUE(log.LastError().isEmpty());
    const TResultLogContents contents = ReadResultLog(Path("folder/Nivara.log"));
    EXPECT_EQ(contents.JournalFileName, Path("day.txt"));
    EXPECT_EQ(contents.Records, std::vector<TResultLogRecord>(kRecords.begin(), kRecords.begin() + 3));

    // A log that exists but cannot be read is an error, not an empty log.
    EXPECT_THROW(ReadResultLog(Path("folder")), std::runtime_error);
}

// The poll state travels with the header, with results and on its own, every
// field and the reply's bytes intact; the last one in the log is the one that
// counts, and records of it alone are neither results nor labels.
TEST_F(ResultLogTest, ThePollStateComesBackAsItWasLastLogged)
{
    const auto snapshot = [](double Time, bool AckPending, bool Repeated, QByteArray Reply) {
        TPollSnapshot poll;
        poll.State.DevNumber = 513;
        poll.State.Status = 0x8001;
        poll.State.GroupNumber = 7;
        for (size_t i = 0; i < poll.State.Values.size(); ++i)
            poll.State.Values[i] = Real6::FromFloat(1000.0 / double(i + 3) - 10.0);
        poll.State.ResultTime = Time;
        poll.State.ValueCount = 12;
        poll.State.AckPending = AckPending;
        poll.State.Repeated = Repeated;
        poll.LastReply = std::move(Reply);
        return poll;
    };
    const TPollSnapshot atSave = snapshot(45000.5, true, false, QByteArray("\x01\x00\xff reply", 9));
    TResultLogRecord result = TResultLogRecord::Result(3, {"15.03.2023", "12:00:00", "7"});
    result.Poll = snapshot(45000.75, true, true, QByteArray(54, '\x9c'));
    const TPollSnapshot confirmed = snapshot(45000.75, false, true, QByteArray(54, '\x9c'));

    TResultLog log(Path("Nivara.log"));
    ASSERT_TRUE(log.Restart(Path("day.txt"), atSave));
    const TResultLogContents fresh = ReadResultLog(Path("Nivara.log"));
    ASSERT_TRUE(fresh.Poll.has_value());
    EXPECT_EQ(*fresh.Poll, atSave);
    EXPECT_TRUE(fresh.Records.empty());

    ASSERT_TRUE(log.Append(result));
    ASSERT_TRUE(log.Append(kRecords[0]));
    EXPECT_EQ(ReadResultLog(Path("Nivara.log")).Poll, result.Poll);
    const qint64 before = ReadAll(Path("Nivara.log")).size();
    ASSERT_TRUE(log.Append(TResultLogRecord::PollState(confirmed)));

    const QByteArray whole = ReadAll(Path("Nivara.log"));
    const TResultLogContents contents = ParseResultLog(whole);
    EXPECT_EQ(contents.Poll, confirmed);
    EXPECT_EQ(contents.Records, (std::vector<TResultLogRecord>{result, kRecords[0]}));
    EXPECT_EQ(contents.Results(), 1);
    EXPECT_EQ(contents.Labels(), 1);
    EXPECT_EQ(contents.ValidLength, whole.size());
    // A torn poll record leaves the state logged before it.
    for (qint64 cut = before; cut < whole.size(); ++cut)
        EXPECT_EQ(ParseResultLog(whole.left(cut)).Poll, result.Poll) << cut;
    // Without a poll state, the log has none.
    ASSERT_TRUE(log.Restart(Path("day.txt")));
    EXPECT_FALSE(ReadResultLog(Path("Nivara.log")).Poll.has_value());
}
