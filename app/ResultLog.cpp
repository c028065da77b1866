#include "ResultLog.h"

#include "FileError.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <stdexcept>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[] = "Nivara result log";
constexpr quint32 kFormat = 1;
constexpr qsizetype kPrefix = 8;                  // length and CRC
constexpr quint32 kMaxPayload = 64 * 1024 * 1024; // a length beyond is damage

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
        if (magic != kMagic || format != kFormat)
            return false;
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

TJournalFileStamp TJournalFileStamp::Of(const QString &FileName)
{
    struct stat st {};
    if (::stat(QFile::encodeName(FileName).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}

bool TPollSnapshot::operator==(const TPollSnapshot &Other) const
{
    // Field by field: the record's padding says nothing.
    const auto fields = [](const TFixMeasResult &s) {
        return std::tie(s.DevNumber, s.Status, s.GroupNumber, s.Values, s.ResultTime, s.ValueCount, s.AckPending,
                        s.Repeated);
    };
    return fields(State) == fields(Other.State) && LastReply == Other.LastReply;
}

TResultLogRecord TResultLogRecord::Header(const QString &JournalFileName, const TJournalFileStamp &Stamp)
{
    TResultLogRecord record;
    record.Kind = TKind::Header;
    record.JournalFileName = JournalFileName;
    record.Stamp = Stamp;
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
        if (Record.Kind == TResultLogRecord::TKind::Header)
            out << QByteArray(kMagic) << kFormat << Record.JournalFileName << Record.Stamp.Exists << Record.Stamp.Size
                << Record.Stamp.ModifiedNs << Record.Stamp.Inode;
        else if (Record.Kind != TResultLogRecord::TKind::Poll)
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

TResultLogContents ParseResultLog(const QByteArray &Bytes)
{
    TResultLogContents contents;
    contents.FileLength = Bytes.size();
    qsizetype at = 0;
    while (Bytes.size() - at >= kPrefix) {
        const quint32 length = qFromLittleEndian<quint32>(Bytes.constData() + at);
        const quint32 crc = qFromLittleEndian<quint32>(Bytes.constData() + at + 4);
        if (length > kMaxPayload || qsizetype(length) > Bytes.size() - at - kPrefix)
            break;
        const QByteArray payload = Bytes.mid(at + kPrefix, length);
        TResultLogRecord record;
        if (Crc32(payload) != crc || !DecodePayload(payload, record))
            break;
        // The header comes first and only first.
        if ((record.Kind == TResultLogRecord::TKind::Header) != (at == 0))
            break;
        if (record.Poll)
            contents.Poll = record.Poll;
        if (record.Kind == TResultLogRecord::TKind::Header) {
            contents.HasHeader = true;
            contents.JournalFileName = record.JournalFileName;
            contents.Stamp = record.Stamp;
        } else if (record.Kind != TResultLogRecord::TKind::Poll) {
            contents.Records.push_back(std::move(record));
        }
        at += kPrefix + length;
        contents.ValidLength = at;
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
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}

bool TResultLog::Restart(const QString &JournalFileName, const std::optional<TPollSnapshot> &Poll)
{
    TResultLogRecord header = TResultLogRecord::Header(JournalFileName, TJournalFileStamp::Of(JournalFileName));
    header.Poll = Poll;
    FPending = EncodeResultLogRecord(header);
    FGoodLength = 0;
    FCutTail = true;
    return Flush();
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
    if (FFd < 0) {
        const QByteArray path = QFile::encodeName(FFileName);
        FFd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (FFd < 0)
            return fail(errno);
        // The new name must survive a power cut as well as the bytes.
        const QByteArray folder = QFile::encodeName(QFileInfo(FFileName).absolutePath());
        if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    // Whatever a failed attempt left behind the last whole record goes, so
    // that the records that follow can be read.
    if (FCutTail && ::ftruncate(FFd, FGoodLength) != 0)
        return fail(errno);
    qint64 written = 0;
    while (written < FPending.size()) {
        const ssize_t n = ::pwrite(FFd, FPending.constData() + written, size_t(FPending.size() - written),
                                   off_t(FGoodLength + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        written += n;
    }
    if (::fdatasync(FFd) != 0)
        return fail(errno);
    FGoodLength += written;
    FPending.clear();
    FCutTail = false;
    FLastError.clear();
    return true;
}
