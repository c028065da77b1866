// Any bytes read as a result log: no crash, no hang; every record read
// encodes back to bytes that read as the same record; and recovery places
// every result it read, whatever the journal file holds.

#include "LogRecovery.h"
#include "ResultLog.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TResultLogContents contents = ParseResultLog(bytes);
    Check(contents.ValidLength <= contents.FileLength);
    Check(contents.FileLength == bytes.size());
    for (const TResultLogRecord &record : contents.Records) {
        const TResultLogContents again = ParseResultLog(EncodeResultLogRecord(record));
        Check(again.Records.size() == 1 && again.Records[0] == record && again.Unreadable == 0);
    }

    // The journal file: missing, or the log's own bytes read as a journal.
    for (const TJournalFileNow &file :
         {TJournalFileNow{}, TJournalFileNow{TJournalFileNow::TState::Readable, bytes.left(256), {}}}) {
        const TRecoveryPlan plan = PlanRecovery(contents, file, QStringLiteral("day.txt"));
        if (plan.Place != TRecoveryPlace::Nothing)
            Check(plan.Results == std::count_if(contents.Records.begin(), contents.Records.end(), [](const auto &r) {
                      return r.Kind == TResultLogRecord::TKind::Result &&
                             std::any_of(r.Texts.begin(), r.Texts.end(), [](const QString &t) { return !t.isEmpty(); });
                  }));
        Check(plan.Labels + plan.Unplaced == (plan.Place == TRecoveryPlace::Nothing ? 0 : contents.Labels()));
    }
    return 0;
}
