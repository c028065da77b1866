#include "ResultLog.h"

#include "DurableFile.h"
#include "FileError.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <tuple>

namespace {

constexpr char kMagic[] = "Nivara result log";
// 1: the header without the journal's bytes; 2: with them.
constexpr quint32 kFormat = 2;
constexpr qsizetype kPrefix = 8;                  // length and CRC
constexpr quint32 kMaxPayload = 64 * 1024 * 1024; // a length beyond is damage
// No result or label comes near this (see RecordAt).
constexpr quint32 kMaxRecord = 1024 * 1024;
// A journal larger than this is not copied into the header: its recovery
// then falls back on the file alone, as for a log of an earlier version.
constexpr qsizetype kMaxBase = 32 * 1024 * 1024;

// CRC-32 (IEEE 802.3, reflected), as zip and PNG use it.
quint32 Crc32(QByteArrayView Data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : Data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// A poll state follows a record's own fields, field by field behind a
// version byte, and then the reply's bytes.
constexpr quint8 kPollFormat = 1;

void WritePoll(QDataStream &Out, const TPollSnapshot &Poll)
{
    const TFixMeasResult &s = Poll.State;
    Out << kPollFormat << s.DevNumber << s.Status << s.GroupNumber << s.ValueCount;
    for (const Real6 &value : s.Values)
        Out.writeRawData(reinterpret_cast<const char *>(value.Bytes.data()), int(value.Bytes.size()));
    Out << s.ResultTime << s.AckPending << s.Repeated << Poll.LastReply;
}

bool ReadPoll(QDataStream &In, TPollSnapshot &Poll)
{
    quint8 format = 0;
    In >> format;
    if (format != kPollFormat)
        return false;
    TFixMeasResult &s = Poll.State;
    In >> s.DevNumber >> s.Status >> s.GroupNumber >> s.ValueCount;
    for (Real6 &value : s.Values)
        if (In.readRawData(reinterpret_cast<char *>(value.Bytes.data()), int(value.Bytes.size())) !=
            int(value.Bytes.size()))
            return false;
    In >> s.ResultTime >> s.AckPending >> s.Repeated >> Poll.LastReply;
    return In.status() == QDataStream::Ok;
}

// Decodes one payload; false for anything that is not a whole record.
bool DecodePayload(const QByteArray &Payload, TResultLogRecord &Record)
{
    QDataStream in(Payload);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 kind = 0;
    in >> kind;
    Record = {};
    Record.Kind = TResultLogRecord::TKind(kind);
    switch (Record.Kind) {
    case TResultLogRecord::TKind::Header: {
        QByteArray magic;
        quint32 format = 0;
        in >> magic >> format >> Record.JournalFileName >> Record.Stamp.Exists >> Record.Stamp.Size >>
            Record.Stamp.ModifiedNs >> Record.Stamp.Inode;
        if (magic != kMagic || format < 1 || format > kFormat)
            return false;
        if (format >= 2) {
            bool hasBase = false;
            in >> hasBase;
            if (hasBase)
                in >> Record.Base.emplace();
        }
        break;
    }
    case TResultLogRecord::TKind::Result:
    case TResultLogRecord::TKind::Label: {
        qint32 row = 0;
        in >> row >> Record.Texts;
        Record.Row = row;
        if (Record.Kind == TResultLogRecord::TKind::Label && Record.Texts.size() != 1)
            return false;
        break;
    }
    case TResultLogRecord::TKind::Poll: break;
    default: return false;
    }
    if (in.status() != QDataStream::Ok)
        return false;
    // A poll state, where one follows; a Poll record is nothing else.
    if (!in.atEnd() || Record.Kind == TResultLogRecord::TKind::Poll) {
        if (Record.Kind == TResultLogRecord::TKind::Label || !ReadPoll(in, Record.Poll.emplace()))
            return false;
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

} // namespace

bool TPollSnapshot::operator==(const TPollSnapshot &Other) const
{
    // Field by field: the record's padding says nothing.
    const auto fields = [](const TFixMeasResult &s) {
        return std::tie(s.DevNumber, s.Status, s.GroupNumber, s.Values, s.ResultTime, s.ValueCount, s.AckPending,
                        s.Repeated);
    };
    return fields(State) == fields(Other.State) && LastReply == Other.LastReply;
}

TResultLogRecord TResultLogRecord::Header(const QString &JournalFileName, const TJournalFileStamp &Stamp,
                                          std::optional<QByteArray> Base)
{
    TResultLogRecord record;
    record.Kind = TKind::Header;
    record.JournalFileName = JournalFileName;
    record.Stamp = Stamp;
    if (Base && Base->size() <= kMaxBase)
        record.Base = std::move(Base);
    return record;
}

TResultLogRecord TResultLogRecord::Result(int Row, const QStringList &Texts)
{
    TResultLogRecord record;
    record.Kind = TKind::Result;
    record.Row = Row;
    record.Texts = Texts;
    return record;
}

TResultLogRecord TResultLogRecord::Label(int Row, const QString &Text)
{
    TResultLogRecord record;
    record.Kind = TKind::Label;
    record.Row = Row;
    record.Texts = {Text};
    return record;
}

TResultLogRecord TResultLogRecord::PollState(const TPollSnapshot &Poll)
{
    TResultLogRecord record;
    record.Kind = TKind::Poll;
    record.Poll = Poll;
    return record;
}

QByteArray EncodeResultLogRecord(const TResultLogRecord &Record)
{
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << quint8(Record.Kind);
        if (Record.Kind == TResultLogRecord::TKind::Header) {
            out << QByteArray(kMagic) << kFormat << Record.JournalFileName << Record.Stamp.Exists << Record.Stamp.Size
                << Record.Stamp.ModifiedNs << Record.Stamp.Inode << Record.Base.has_value();
            if (Record.Base)
                out << *Record.Base;
        } else if (Record.Kind != TResultLogRecord::TKind::Poll)
            out << qint32(Record.Row) << Record.Texts;
        if (Record.Poll && Record.Kind != TResultLogRecord::TKind::Label)
            WritePoll(out, *Record.Poll);
    }
    QByteArray bytes(kPrefix, Qt::Uninitialized);
    qToLittleEndian(quint32(payload.size()), bytes.data());
    qToLittleEndian(Crc32(payload), bytes.data() + 4);
    return bytes + payload;
}

int TResultLogContents::Results() const
{
    return int(std::count_if(Records.begin(), Records.end(),
                             [](const auto &r) { return r.Kind == TResultLogRecord::TKind::Result; }));
}

int TResultLogContents::Labels() const
{
    return int(std::count_if(Records.begin(), Records.end(),
                             [](const auto &r) { return r.Kind == TResultLogRecord::TKind::Label; }));
}

namespace {

// The record that starts at At, if an intact one does; its size in Size.
// The header counts only at the very start. Searching behind damage, a
// length no result or label comes near is not tried, which keeps the search
// linear.
bool RecordAt(const QByteArray &Bytes, qsizetype At, TResultLogRecord &Record, qsizetype &Size, bool Searching = false)
{
    if (Bytes.size() - At < kPrefix)
        return false;
    const quint32 length = qFromLittleEndian<quint32>(Bytes.constData() + At);
    if (length == 0 || qsizetype(length) > Bytes.size() - At - kPrefix)
        return false;
    using TKind = TResultLogRecord::TKind;
    const char kind = Bytes[At + kPrefix];
    const bool header = kind == char(TKind::Header);
    if (header ? At != 0 : kind != char(TKind::Result) && kind != char(TKind::Label) && kind != char(TKind::Poll))
        return false;
    if (length > (Searching ? kMaxRecord : kMaxPayload))
        return false;
    const QByteArrayView payload(Bytes.constData() + At + kPrefix, length);
    if (Crc32(payload) != qFromLittleEndian<quint32>(Bytes.constData() + At + 4))
        return false;
    if (!DecodePayload(payload.toByteArray(), Record))
        return false;
    Size = kPrefix + length;
    return true;
}

// How many records the damaged stretch [From, To) held, by its length
// fields as far as they lead exactly to To; one when they do not.
int RecordsIn(const QByteArray &Bytes, qsizetype From, qsizetype To)
{
    int count = 0;
    for (qsizetype at = From; at < To; ++count) {
        if (To - at < kPrefix)
            return 1;
        at += kPrefix + qsizetype(qFromLittleEndian<quint32>(Bytes.constData() + at));
        if (at > To)
            return 1;
    }
    return std::max(count, 1);
}

// What a crash leaves behind the last record it completed: a record cut
// short, or a size that grew without its bytes (zeros after a power cut).
bool IsTornTail(const QByteArray &Bytes, qsizetype At)
{
    if (Bytes.size() - At < kPrefix)
        return true;
    const quint32 length = qFromLittleEndian<quint32>(Bytes.constData() + At);
    if (qint64(length) > qint64(Bytes.size() - At - kPrefix))
        return true;
    return std::all_of(Bytes.begin() + At, Bytes.end(), [](char c) { return c == 0; });
}

} // namespace

TResultLogContents ParseResultLog(const QByteArray &Bytes)
{
    TResultLogContents contents;
    contents.FileLength = Bytes.size();
    qsizetype at = 0;
    while (at < Bytes.size()) {
        TResultLogRecord record;
        qsizetype size = 0;
        if (RecordAt(Bytes, at, record, size)) {
            if (record.Poll)
                contents.Poll = record.Poll;
            if (record.Kind == TResultLogRecord::TKind::Header) {
                contents.HasHeader = true;
                contents.JournalFileName = record.JournalFileName;
                contents.Stamp = record.Stamp;
                contents.Base = record.Base;
            } else if (record.Kind != TResultLogRecord::TKind::Poll) {
                contents.Records.push_back(std::move(record));
            }
            at += size;
            contents.ValidLength = at;
            continue;
        }
        // Damage: reading goes on at the next intact record. Only a torn
        // last record is what a crash leaves; anything else is counted.
        qsizetype next = at + 1;
        while (next < Bytes.size() && !RecordAt(Bytes, next, record, size, true))
            ++next;
        if (next >= Bytes.size()) {
            if (!IsTornTail(Bytes, at))
                contents.Unreadable += RecordsIn(Bytes, at, Bytes.size());
            break;
        }
        contents.Unreadable += RecordsIn(Bytes, at, next);
        at = next;
    }
    return contents;
}

TResultLogContents ReadResultLog(const QString &FileName)
{
    QFile file(FileName);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error((FileName + QStringLiteral(": ") + file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error((FileName + QStringLiteral(": ") + file.errorString()).toStdString());
    return ParseResultLog(bytes);
}

TResultLog::TResultLog(QString FileName) : FFileName(std::move(FileName)) {}

TResultLog::~TResultLog()
{
    Close();
}

void TResultLog::Close()
{
    FFile.Close();
}

bool TResultLog::Restart(const QString &JournalFileName, const std::optional<QByteArray> &Base,
                         const std::optional<TPollSnapshot> &Poll, const std::vector<TResultLogRecord> &Work)
{
    TResultLogRecord header = TResultLogRecord::Header(JournalFileName, TJournalFileStamp::Of(JournalFileName), Base);
    header.Poll = Poll;
    FPending = EncodeResultLogRecord(header);
    for (const TResultLogRecord &record : Work)
        FPending += EncodeResultLogRecord(record);
    FGoodLength = 0;
    FCutTail = true;
    if (FHeld)
        return false;
    // The new log is made whole beside the old one and then takes its
    // place, so that a kill or a power cut in between leaves the old log,
    // never an empty one: its header names the journal in use and holds the
    // acknowledgement the analyzer may still be owed. Where that cannot be
    // done (a reader on Windows that does not share deletion, a full disk),
    // the log is rewritten in place as the next flush does anyway.
    Close();
    try {
        DurableFile::WriteFile(FFileName, [this](const DurableFile::TWrite &Write) { Write(FPending); });
    } catch (const EFileError &) {
        return Flush();
    }
    FGoodLength = FPending.size();
    FPending.clear();
    FCutTail = false;
    FLastError.clear();
    return true;
}

void TResultLog::Continue(const TResultLogContents &Contents)
{
    FPending.clear();
    FGoodLength = Contents.ValidLength;
    FCutTail = Contents.FileLength != Contents.ValidLength;
}

bool TResultLog::Append(const TResultLogRecord &Record)
{
    FPending += EncodeResultLogRecord(Record);
    return Flush();
}

void TResultLog::Hold(const QString &Cause)
{
    FHeld = true;
    FLastError = Cause;
    Close();
}

bool TResultLog::Flush()
{
    if (FPending.isEmpty())
        return true;
    if (FHeld)
        return false;
    const auto fail = [this](int Error) {
        FLastError = FileErrorCause(Error); // the operator reads it in the warning
        // Opened afresh next time: the folder may have come back meanwhile.
        Close();
        FCutTail = true;
        return false;
    };
    if (!FFile.IsOpen()) {
        if (const int error = FFile.Open(FFileName))
            return fail(error);
    }
    // Whatever a failed attempt left behind the last whole record goes, so
    // that the records that follow can be read.
    if (FCutTail) {
        if (const int error = FFile.Truncate(FGoodLength))
            return fail(error);
    }
    if (const int error = FFile.WriteAt(FGoodLength, FPending))
        return fail(error);
    if (const int error = FFile.Sync())
        return fail(error);
    FGoodLength += FPending.size();
    FPending.clear();
    FCutTail = false;
    FLastError.clear();
    return true;
}
