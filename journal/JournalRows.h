#pragma once
// Compact storage of the journal rows 1..n: each row is kept as its encoded
// file line (Windows-1251, fields separated by TAB, no line end) in large
// shared byte blocks, so a row costs its text plus one 16-byte reference.
// Cells are decoded only when they are shown or printed.

#include "JournalColumns.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <memory>
#include <vector>

class JournalRows {
public:
    // Columns 1 to 16 of the journal; column 0 (the row number) is not stored.
    static constexpr int FieldCount = JournalColumns::StoredCount;
    using Fields = std::array<QByteArrayView, FieldCount>;

    JournalRows() = default;
    JournalRows(JournalRows &&) noexcept = default;
    JournalRows &operator=(JournalRows &&) noexcept = default;
    JournalRows(const JournalRows &) = delete;
    JournalRows &operator=(const JournalRows &) = delete;

    qsizetype Count() const { return qsizetype(FRows.size()); }
    bool IsEmpty() const { return FRows.empty(); }

    // The stored line of row index i (0-based): at most 15 TABs, no CR/LF.
    // Trailing empty fields may be missing.
    QByteArrayView Line(qsizetype i) const { return {FRows[size_t(i)].data, FRows[size_t(i)].length}; }
    // Field 1..16 of row index i; missing fields are empty.
    QByteArrayView Field(qsizetype i, int field) const;
    Fields AllFields(qsizetype i) const;
    // True if any of fields 2..16 (date, time, group, values) is non-empty.
    bool HasResult(qsizetype i) const;

    void Reserve(qsizetype rowCount) { FRows.reserve(size_t(rowCount)); }
    void AppendEmpty() { FRows.push_back(RowRef{}); }
    // Fields must hold no TAB, CR or LF.
    void Append(const Fields &fields);
    void SetFields(qsizetype i, const Fields &fields);
    void Clear();

    // Hands over a block of bytes that rows added with AppendInBlock point
    // into; returns the block's first byte. Used by the file reader to keep
    // a file's bytes in place instead of copying them line by line.
    char *AdoptBlock(QByteArray &&bytes);
    // Adds a row whose (already normalised) line lies inside the last
    // adopted block.
    void AppendInBlock(const char *data, qsizetype length)
    {
        FRows.push_back(RowRef{data, length});
        FLive += length;
    }

    // A read-only copy sharing the byte blocks: costs one reference per row.
    // Later changes to either side do not show in the other.
    JournalRows Snapshot();

    // Bytes held in blocks, and bytes of live row text (for tests and
    // benchmarks).
    qsizetype StoredBytes() const { return FStored; }
    qsizetype LiveBytes() const { return FLive; }

private:
    struct RowRef {
        const char *data = nullptr;
        qsizetype length = 0;
    };
    struct Block {
        QByteArray bytes; // capacity is bytes.size()
        qsizetype used = 0;
    };

    const char *Store(QByteArrayView line);
    void CompactIfWasteful();
    static QByteArray Join(const Fields &fields);

    std::vector<RowRef> FRows;
    std::vector<std::shared_ptr<Block>> FBlocks;
    bool FTailShared = false; // the last block is shared with a snapshot
    qsizetype FStored = 0;
    qsizetype FLive = 0;
};
