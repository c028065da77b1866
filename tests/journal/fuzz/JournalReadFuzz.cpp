// Any bytes read as a journal: no crash, no hang, at least the caption row
// and an entry row without a result, every row numbered, and a journal that
// once written reads back to itself.

#include "JournalFile.h"
#include "JournalModel.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

QByteArray Written(const JournalRows &rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteJournal(rows, buffer);
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);

    JournalModel model(JournalCaptions{});
    model.ReplaceRows(ReadJournal(input));
    Check(model.RowCount() >= 2);
    for (int r = 1; r < model.RowCount(); ++r)
        Check(model.Cell(0, r) == QString::number(r));
    for (int c = 2; c < JournalModel::ColCount; ++c)
        Check(model.Cell(c, model.EntryRow()).isEmpty());

    const QByteArray once = Written(model.Rows());
    Check(once.count("\r\n") == model.RowCount() - 1);
    const JournalRows again = ParseJournal(QByteArray(once));
    Check(again.Count() == model.Rows().Count());
    for (qsizetype i = 0; i < again.Count(); ++i)
        for (int f = 1; f <= JournalRows::FieldCount; ++f)
            Check(again.Field(i, f) == model.Rows().Field(i, f));
    Check(Written(again) == once);
    return 0;
}
