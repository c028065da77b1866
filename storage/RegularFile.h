#pragma once
// Reading a file that has to be a regular file: a device could give bytes
// without end and a pipe could block the program, so those are refused
// before a byte is read. Failures are EFileError, the cause named in
// Russian. The platform's side is in a file of its own.

#include <QByteArray>
#include <QString>

#include <optional>

class TRegularFileReader {
public:
    TRegularFileReader() = default;
    ~TRegularFileReader();
    TRegularFileReader(const TRegularFileReader &) = delete;
    TRegularFileReader &operator=(const TRegularFileReader &) = delete;

    // Opens FileName for reading without waiting on it. False when there is
    // no such file (or no such folder); throws EFileError for every other
    // failure, a folder (SystemError::IsAFolder()) and a device or a pipe
    // (kNotARegularFile) among them. Others may go on writing the file.
    bool Open(const QString &FileName);
    // The size when it was opened.
    qint64 Size() const { return FSize; }
    // Up to Room bytes from where the last read ended; 0 at the end. Throws
    // EFileError.
    qint64 Read(char *Data, qint64 Room);

    // The whole file; nothing when there is none. Throws EFileError.
    static std::optional<QByteArray> ReadAll(const QString &FileName);

private:
    void Close() noexcept;

    long long FHandle = -1; // a descriptor or a handle, by platform
    qint64 FSize = 0;
};
