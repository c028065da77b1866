// The cost of securing one result before its acknowledgement: one record
// appended to the result log and made durable with fdatasync. Runs in a
// folder under the current directory, so that it measures the disk the
// program would use (a /tmp on tmpfs would make fdatasync free).

#include "ResultLog.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QStringList kTexts = {"15.03.2023", "12:00:00", "1",    "21,50", "3,45", "8,50",    "1028,30", "3,10",
                            "0,00",       "12,25",    "4,70", "0,70",  "9,10", "-0,5204", "77,00"};

void BM_AppendResult(benchmark::State &state)
{
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("resultlog-bench-XXXXXX")));
    TResultLog log(dir.filePath(QStringLiteral("Nivara.log")));
    if (!log.Restart(dir.filePath(QStringLiteral("journal.txt")), std::nullopt)) {
        state.SkipWithError("the log cannot be written here");
        return;
    }
    // With the poll state and a 12-value reply, as the window logs it.
    TResultLogRecord record = TResultLogRecord::Result(1, kTexts);
    record.Poll.emplace().LastReply = QByteArray(AnalyzerProtocol::ReplyLengthForValueCount(12), '\x80');
    record.Poll->State.ValueCount = 12;
    record.Poll->State.AckPending = true;
    for (auto _ : state) {
        if (!log.Append(record))
            state.SkipWithError("append failed");
        ++record.Row;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendResult)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AppendLabel(benchmark::State &state)
{
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("resultlog-bench-XXXXXX")));
    TResultLog log(dir.filePath(QStringLiteral("Nivara.log")));
    log.Restart(dir.filePath(QStringLiteral("journal.txt")), std::nullopt);
    for (auto _ : state)
        log.Append(TResultLogRecord::Label(1, QStringLiteral("проба 12")));
}
BENCHMARK(BM_AppendLabel)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
