#pragma once
// The result log's file as the system keeps it: opened for writing (made
// when missing), cut, written at an offset and flushed to the disk, each
// step answering with the system's error number, 0 when it went well. The
// platform's side is in a file of its own, with the stamp of a journal file
// (TJournalFileStamp::Of).

#include <QByteArrayView>
#include <QString>

class TResultLogFile {
public:
    TResultLogFile() = default;
    ~TResultLogFile() { Close(); }
    TResultLogFile(const TResultLogFile &) = delete;
    TResultLogFile &operator=(const TResultLogFile &) = delete;

    // Opens FileName for writing, making it when missing, so that a new
    // name survives a power cut as well as the bytes. Others may read the
    // file meanwhile; on Windows no one else may write it.
    int Open(const QString &FileName);
    bool IsOpen() const { return FHandle >= 0; }
    void Close() noexcept;
    // Cuts the file at Length.
    int Truncate(qint64 Length);
    // All of Bytes at Offset, or the error that stopped it.
    int WriteAt(qint64 Offset, QByteArrayView Bytes);
    // On the disk when it returns 0.
    int Sync();

private:
    long long FHandle = -1; // a descriptor or a handle, by platform
};
