#include "ResultLog.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

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

// A journal's bytes with what Windows-1251 holds.
QByteArray Cp1251Journal()
{
    return QByteArray("\xf3\xf2\xf0\xee\t14.03.2023\t08:00:00\t1\t20,00\r\n\t\t\r\n");
}

// A record around a payload made by hand: length, CRC-32 (bit by bit, as
// zip defines it), payload.
QByteArray RecordBytes(const QByteArray &Payload)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : Payload) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    QByteArray bytes(8, '\0');
    qToLittleEndian(quint32(Payload.size()), bytes.data());
    qToLittleEndian(~crc, bytes.data() + 4);
    return bytes + Payload;
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
    ASSERT_TRUE(log.Restart(Path("day.txt"), std::nullopt));
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
    ASSERT_TRUE(log.Restart(Path("Новый.txt"), std::nullopt));
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
    ASSERT_TRUE(log.Restart(Path("day.txt"), std::nullopt));
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

// Any changed byte of a record costs that record only: reading goes on at
// the next intact one, and the damage is counted, in the header too. Only
// the last record, cut short or zeroed as a crash leaves it, goes quietly.
TEST_F(ResultLogTest, ADamagedRecordCostsThatRecordAndIsCounted)
{
    QByteArray bytes = EncodeResultLogRecord(TResultLogRecord::Header(Path("day.txt"), {}, QByteArray("a\t\r\n")));
    std::vector<qsizetype> starts{0};
    for (const TResultLogRecord &record : kRecords) {
        starts.push_back(bytes.size());
        bytes += EncodeResultLogRecord(record);
    }
    starts.push_back(bytes.size());
    // Record k of the file: 0 the header, then kRecords.
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        std::vector<TResultLogRecord> rest = kRecords;
        if (k > 0)
            rest.erase(rest.begin() + qsizetype(k) - 1);
        const bool last = k + 2 == starts.size();
        for (qsizetype at = starts[k]; at < starts[k + 1]; ++at) {
            QByteArray damaged = bytes;
            damaged[at] = char(damaged[at] ^ 0x20);
            const TResultLogContents contents = ParseResultLog(damaged);
            SCOPED_TRACE(testing::Message() << "record " << k << ", byte " << at);
            ASSERT_EQ(contents.Records, rest);
            EXPECT_EQ(contents.HasHeader, k != 0);
            // A last record whose length now reaches past the end looks torn.
            const bool looksTorn = last && at < starts[k] + 4 && (damaged[at] & 0x20) != 0;
            EXPECT_EQ(contents.Unreadable, looksTorn ? 0 : 1);
        }
    }
    // Three records in a row, their lengths intact: three are counted.
    QByteArray three = bytes;
    for (size_t k = 1; k <= 3; ++k)
        three[starts[k] + 9] = char(three[starts[k] + 9] ^ 1);
    EXPECT_EQ(ParseResultLog(three).Records, std::vector<TResultLogRecord>{kRecords.back()});
    EXPECT_EQ(ParseResultLog(three).Unreadable, 3);
    // A zeroed tail is what a power cut leaves after the size grew.
    const TResultLogContents zeroed = ParseResultLog(bytes + QByteArray(4096, '\0'));
    EXPECT_EQ(zeroed.Records, kRecords);
    EXPECT_EQ(zeroed.Unreadable, 0);
    EXPECT_EQ(zeroed.ValidLength, bytes.size());
    // Records without the header that named their journal still count.
    const TResultLogContents headless = ParseResultLog(bytes.mid(starts[1]));
    EXPECT_FALSE(headless.HasHeader);
    EXPECT_EQ(headless.Records, kRecords);
    // Noise between records is skipped, whatever its length field says.
    QByteArray noisy = bytes.left(starts[2]) + QByteArray("\xff\xff\xff\x7fnoise") + bytes.mid(starts[2]);
    EXPECT_EQ(ParseResultLog(noisy).Records, kRecords);
    EXPECT_EQ(ParseResultLog(noisy).Unreadable, 1);
}

// The journal as the log began goes with the header; a log of the earlier
// format, without it, still reads.
TEST_F(ResultLogTest, TheHeaderCarriesTheJournalItBeganWith)
{
    const QByteArray journal = Cp1251Journal();
    TResultLog log(Path("Nivara.log"));
    ASSERT_TRUE(log.Restart(Path("day.txt"), journal, std::nullopt, {kRecords[0], kRecords[1]}));
    const TResultLogContents contents = ReadResultLog(Path("Nivara.log"));
    EXPECT_EQ(contents.Base, journal);
    EXPECT_EQ(contents.Records, (std::vector<TResultLogRecord>{kRecords[0], kRecords[1]}));

    // Format 1: the same fields up to the inode, nothing after them.
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << quint8('H') << QByteArray("Nivara result log") << quint32(1) << Path("day.txt") << true << qint64(4)
            << qint64(5) << quint64(6);
    }
    const QByteArray record = EncodeResultLogRecord(kRecords[1]);
    QByteArray old = RecordBytes(payload) + record;
    const TResultLogContents earlier = ParseResultLog(old);
    EXPECT_TRUE(earlier.HasHeader);
    EXPECT_EQ(earlier.JournalFileName, Path("day.txt"));
    EXPECT_FALSE(earlier.Base.has_value());
    EXPECT_EQ(earlier.Stamp.Size, 4);
    EXPECT_EQ(earlier.Records, std::vector<TResultLogRecord>{kRecords[1]});
}

// The folder for the log cannot exist (a file stands where it should be):
// records are kept, and all of them reach the disk, in order, once the log
// can be written again. Holds for root too, unlike permission bits.
TEST_F(ResultLogTest, ALogThatCannotBeWrittenKeepsItsRecordsUntilItWorks)
{
    WriteAll(Path("folder"), "not a folder");
    TResultLog log(Path("folder/Nivara.log"));
    EXPECT_FALSE(log.Restart(Path("day.txt"), std::nullopt));
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
    ASSERT_TRUE(log.Restart(Path("day.txt"), std::nullopt, atSave));
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
    ASSERT_TRUE(log.Restart(Path("day.txt"), std::nullopt));
    EXPECT_FALSE(ReadResultLog(Path("Nivara.log")).Poll.has_value());
}
