#include "JournalRows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype BlockSize = 64 * 1024;
// Rewritten rows leave their old text behind; the blocks are rebuilt when
// that waste exceeds both the live text and this floor, which keeps the
// cost of rebuilding amortised over the edits that caused it.
constexpr qsizetype WasteFloor = 4 * 1024 * 1024;

} // namespace

QByteArrayView JournalRows::Field(qsizetype i, int field) const
{
    const QByteArrayView line = Line(i);
    const char *p = line.data();
    const char *end = p + line.size();
    for (int f = 1; f < field; ++f) {
        const char *tab = p ? static_cast<const char *>(std::memchr(p, '\t', size_t(end - p))) : nullptr;
        if (!tab)
            return {};
        p = tab + 1;
    }
    if (!p)
        return {};
    const char *tab = static_cast<const char *>(std::memchr(p, '\t', size_t(end - p)));
    return QByteArrayView(p, (tab ? tab : end) - p);
}

JournalRows::Fields JournalRows::AllFields(qsizetype i) const
{
    Fields fields{};
    const QByteArrayView line = Line(i);
    const char *p = line.data();
    const char *end = p + line.size();
    for (int f = 0; f < FieldCount && p; ++f) {
        const char *tab = static_cast<const char *>(std::memchr(p, '\t', size_t(end - p)));
        fields[size_t(f)] = QByteArrayView(p, (tab ? tab : end) - p);
        p = tab ? tab + 1 : nullptr;
    }
    return fields;
}

bool JournalRows::HasResult(qsizetype i) const
{
    const QByteArrayView line = Line(i);
    const qsizetype firstTab = line.indexOf('\t');
    if (firstTab < 0)
        return false;
    const auto rest = line.sliced(firstTab + 1);
    return std::any_of(rest.begin(), rest.end(), [](char c) { return c != '\t'; });
}

QByteArray JournalRows::Join(const Fields &fields)
{
    int used = FieldCount;
    while (used > 0 && fields[size_t(used - 1)].isEmpty())
        --used;
    QByteArray line;
    qsizetype size = used > 0 ? used - 1 : 0;
    for (int f = 0; f < used; ++f)
        size += fields[size_t(f)].size();
    line.reserve(size);
    for (int f = 0; f < used; ++f) {
        if (f > 0)
            line.append('\t');
        line.append(fields[size_t(f)]);
    }
    return line;
}

const char *JournalRows::Store(QByteArrayView line)
{
    if (line.isEmpty())
        return nullptr;
    Block *tail = FBlocks.empty() ? nullptr : FBlocks.back().get();
    if (!tail || FTailShared || tail->bytes.size() - tail->used < line.size()) {
        auto block = std::make_shared<Block>();
        block->bytes = QByteArray(std::max(BlockSize, line.size()), Qt::Uninitialized);
        FBlocks.push_back(std::move(block));
        tail = FBlocks.back().get();
        FTailShared = false;
    }
    char *dst = tail->bytes.data() + tail->used;
    std::memcpy(dst, line.data(), size_t(line.size()));
    tail->used += line.size();
    FStored += line.size();
    return dst;
}

void JournalRows::Append(const Fields &fields)
{
    const QByteArray line = Join(fields);
    FRows.push_back(RowRef{Store(line), line.size()});
    FLive += line.size();
}

void JournalRows::SetFields(qsizetype i, const Fields &fields)
{
    // Join first: the fields may point into the row being replaced.
    const QByteArray line = Join(fields);
    RowRef &row = FRows[size_t(i)];
    FLive += line.size() - row.length;
    row = RowRef{Store(line), line.size()};
    CompactIfWasteful();
}

void JournalRows::Clear()
{
    FRows.clear();
    FRows.shrink_to_fit();
    FBlocks.clear();
    FTailShared = false;
    FStored = 0;
    FLive = 0;
}

char *JournalRows::AdoptBlock(QByteArray &&bytes)
{
    auto block = std::make_shared<Block>();
    block->bytes = std::move(bytes);
    block->used = block->bytes.size();
    FStored += block->used;
    char *data = block->bytes.data();
    FBlocks.push_back(std::move(block));
    FTailShared = true; // full: later rows go into a fresh block
    return data;
}

JournalRows JournalRows::Snapshot()
{
    JournalRows copy;
    copy.FRows = FRows;
    copy.FBlocks = FBlocks;
    copy.FStored = FStored;
    copy.FLive = FLive;
    // Neither side may write into the free end of a block the other sees.
    copy.FTailShared = true;
    FTailShared = true;
    return copy;
}

void JournalRows::CompactIfWasteful()
{
    const qsizetype waste = FStored - FLive;
    if (waste <= FLive || waste <= WasteFloor)
        return;
    std::vector<std::shared_ptr<Block>> old;
    old.swap(FBlocks); // keeps the old text alive while it is copied
    FTailShared = false;
    FStored = 0;
    for (RowRef &row : FRows)
        row.data = Store(QByteArrayView(row.data, row.length));
}
