#include "JournalRows.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype BlockSize = 64 * 1024;
// Rewritten rows leave their old text behind; the blocks are rebuilt when
// that waste exceeds both the live text and this floor, which keeps the
// cost of rebuilding amortised over the edits that caused it.
constexpr qsizetype WasteFloor = 4 * 1024 * 1024;

}  // namespace

QByteArrayView JournalRows::Field(qsizetype i, int field) const
{
    const QByteArrayView line = Line(i);
    const char* p = line.data();
    const char* end = p + line.size();
    for (int f = 1; f < field; ++f) {
        const char* tab = p ? static_cast<const char*>(std::memchr(p, '\t', size_t(end - p))) : nullptr;
        if (!tab)
            return {};
        p = tab + 1;
    }
    if (!p)
        return {};
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
    return QByteArrayView(p, (tab ? tab : end) - p);
}

JournalRows::Fields JournalRows::AllFields(qsizetype i) const
{
    Fields fields{};
    const QByteArrayView line = Line(i);
    const char* p = line.data();
    const char* end = p + line.size();
    for (int f = 0; f < FieldCount && p; ++f) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
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

QByteArray JournalRows::Join(const Fields& fields)
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

const char* JournalRows::Store(QByteArrayView line)
{
    if (line.isEmpty())
        return nullptr;
    Block* tail = blocks_.empty() ? nullptr : blocks_.back().get();
    if (!tail || tailShared_ || tail->bytes.size() - tail->used < line.size()) {
        auto block = std::make_shared<Block>();
        block->bytes = QByteArray(std::max(BlockSize, line.size()), Qt::Uninitialized);
        blocks_.push_back(std::move(block));
        tail = blocks_.back().get();
        tailShared_ = false;
    }
    char* dst = tail->bytes.data() + tail->used;
    std::memcpy(dst, line.data(), size_t(line.size()));
    tail->used += line.size();
    stored_ += line.size();
    return dst;
}

void JournalRows::Append(const Fields& fields)
{
    const QByteArray line = Join(fields);
    rows_.push_back(RowRef{Store(line), line.size()});
    live_ += line.size();
}

void JournalRows::SetFields(qsizetype i, const Fields& fields)
{
    // Join first: the fields may point into the row being replaced.
    const QByteArray line = Join(fields);
    RowRef& row = rows_[size_t(i)];
    live_ += line.size() - row.length;
    row = RowRef{Store(line), line.size()};
    CompactIfWasteful();
}

void JournalRows::Clear()
{
    rows_.clear();
    rows_.shrink_to_fit();
    blocks_.clear();
    tailShared_ = false;
    stored_ = 0;
    live_ = 0;
}

char* JournalRows::AdoptBlock(QByteArray&& bytes)
{
    auto block = std::make_shared<Block>();
    block->bytes = std::move(bytes);
    block->used = block->bytes.size();
    stored_ += block->used;
    char* data = block->bytes.data();
    blocks_.push_back(std::move(block));
    tailShared_ = true;  // full: later rows go into a fresh block
    return data;
}

JournalRows JournalRows::Snapshot()
{
    JournalRows copy;
    copy.rows_ = rows_;
    copy.blocks_ = blocks_;
    copy.stored_ = stored_;
    copy.live_ = live_;
    // Neither side may write into the free end of a block the other sees.
    copy.tailShared_ = true;
    tailShared_ = true;
    return copy;
}

void JournalRows::CompactIfWasteful()
{
    const qsizetype waste = stored_ - live_;
    if (waste <= live_ || waste <= WasteFloor)
        return;
    std::vector<std::shared_ptr<Block>> old;
    old.swap(blocks_);  // keeps the old text alive while it is copied
    tailShared_ = false;
    stored_ = 0;
    for (RowRef& row : rows_)
        row.data = Store(QByteArrayView(row.data, row.length));
}
