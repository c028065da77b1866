#pragma once
// What a file on disk is and how it last stood: which file (device and
// file number, so that a file replaced under the same name counts as
// another), its size and its last modification. Two equal stamps mean the
// file was not touched in between.

#include <QString>

#include <cstdint>

struct TFileStamp {
    uint64_t Device = 0;
    uint64_t File = 0;
    int64_t Size = -1; // -1: the file could not be looked at
    int64_t ModifiedNs = -1;
    bool operator==(const TFileStamp &) const = default;
};

// The stamp of the file at that name; Size -1 when there is none.
TFileStamp FileStampOf(const QString &FileName);
