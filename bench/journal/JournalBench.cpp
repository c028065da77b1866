// Journal benchmarks on realistic journals (dates, times, values with
// decimal commas, Cyrillic labels) of 100,000 rows (a station's year) and
// 1,000,000 rows.
//
// Before the Google Benchmark runs it prints, for each size:
//   - the file size,
//   - the peak memory of loading it, measured in a fresh process
//     (VmHWM minus the VmRSS before the load), against the file size,
//   - the best time of a load against the best time of merely reading the
//     file's bytes and splitting its lines,
//   - the time of a Save exactly as the program makes it (format, write,
//     fdatasync, rename), each in a fresh process, against a plain write +
//     fsync of the same bytes in the same folder. Target: at most 2x.

#include "Cp1251.h"
#include "JournalDocument.h"
#include "JournalFile.h"
#include "JournalGrid.h"
#include "JournalView.h"
#include "ProgramTexts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int Sizes[] = {100'000, 1'000'000};
QTemporaryDir *workDir = nullptr;

QString JournalPath(int rows)
{
    return workDir->filePath(QStringLiteral("journal%1.txt").arg(rows));
}

QStringList ResultTexts(int i)
{
    const auto value = [i](int base, int decimals) {
        return QString::number((base + i % 97) / 100.0, 'f', decimals).replace(u'.', u',');
    };
    return {QStringLiteral("%1.%2.2024").arg(1 + i % 28, 2, 10, QChar(u'0')).arg(1 + i % 12, 2, 10, QChar(u'0')),
            QStringLiteral("%1:%2:%3")
                .arg(8 + i % 10, 2, 10, QChar(u'0'))
                .arg(i % 60, 2, 10, QChar(u'0'))
                .arg(i % 59, 2, 10, QChar(u'0')),
            QString::number(1 + i % 9),
            value(1200, 2),
            value(350, 2),
            value(820, 2),
            value(10270, 2),
            value(310, 2),
            value(0, 2),
            value(900, 2),
            value(470, 2),
            value(70, 2),
            value(800, 2),
            value(-52, 4),
            value(90, 2)};
}

QString Label(int i)
{
    static const char *farms[] = {"Ферма Иванова", "Колхоз Заря", "ИП Петров", "Молокозавод №2"};
    return QString::fromUtf8(farms[i % 4]) + QStringLiteral(" %1").arg(i);
}

void WriteJournalFile(int rows, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    QByteArray out;
    for (int i = 0; i < rows; ++i) {
        const QStringList cells = QStringList{Label(i)} + ResultTexts(i);
        out += Cp1251::Encode(cells.join(u'\t'));
        out += "\r\n";
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    out += QByteArray(15, '\t') + "\r\n"; // the entry row
    file.write(out);
}

long StatusKb(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t keyLength = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, keyLength, key) == 0)
            return std::stol(line.substr(keyLength + 1));
    return -1;
}

std::vector<QByteArrayView> RawReadAndSplit(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    bytes = file.readAll();
    std::vector<QByteArrayView> lines;
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    while (p < end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        lines.emplace_back(p, (lf ? lf : end) - p);
        p = lf ? lf + 1 : end;
    }
    return lines;
}

// Runs in a fresh process: prints the growth of resident memory during
// one load into a journal document.
int MeasurePeak(const char *what, const char *path)
{
    const long before = StatusKb("VmRSS:");
    long rows = 0;
    if (std::strcmp(what, "load") == 0) {
        JournalDocument journal(MyConsts::sJournalTexts());
        journal.LoadJournal(QString::fromLocal8Bit(path));
        rows = journal.Model().RowCount();
    } else {
        QByteArray bytes;
        rows = long(RawReadAndSplit(QString::fromLocal8Bit(path), bytes).size());
    }
    std::printf("%ld %ld\n", StatusKb("VmHWM:") - before, rows);
    return 0;
}

long PeakKbInFreshProcess(const char *what, const QString &path)
{
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return -1;
    const std::string command =
        "'" + std::string(self) + "' --peak " + std::string(what) + " '" + path.toStdString() + "'";
    FILE *child = popen(command.c_str(), "r");
    long kb = -1, rows = 0;
    if (child) {
        if (std::fscanf(child, "%ld %ld", &kb, &rows) != 2)
            kb = -1;
        pclose(child);
    }
    return kb;
}

double Seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

// Runs in a fresh process, as the program's first Save after loading a
// journal does: loads the journal, saves it to target through the program's
// own path, then writes the same bytes with a plain write + fsync. Prints
// both times.
int MeasureSave(const char *journalPath, const char *target, int argc, char **argv)
{
    QApplication app(argc, argv); // the save shows the wait cursor
    JournalDocument journal(MyConsts::sJournalTexts());
    journal.LoadJournal(QString::fromLocal8Bit(journalPath));
    QElapsedTimer timer;
    timer.start();
    journal.SaveJournal(QString::fromLocal8Bit(target));
    const double save = Seconds(timer);

    QFile saved(QString::fromLocal8Bit(target));
    if (!saved.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = saved.readAll();
    const std::string reference = std::string(target) + ".reference";
    timer.restart();
    const int fd = ::open(reference.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (qsizetype done = 0; fd >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return 1;
        done += n;
    }
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0)
        return 1;
    const double plain = Seconds(timer);
    // Read back by the parent: the same digits whatever the C library's locale.
    std::fputs(qPrintable(QString::asprintf("%f %f\n", save, plain)), stdout);
    return 0;
}

// Best of a few fresh processes, for the save and for its reference.
std::pair<double, double> SaveInFreshProcess(const QString &path, int runs = 3)
{
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return {-1, -1};
    const QString target = workDir->filePath(QStringLiteral("fresh-save.txt"));
    const std::string command =
        "'" + std::string(self) + "' --save '" + path.toStdString() + "' '" + target.toStdString() + "'";
    double save = 1e9, plain = 1e9;
    for (int i = 0; i < runs; ++i) {
        FILE *child = popen(command.c_str(), "r");
        if (!child)
            return {-1, -1};
        char line[128] = {};
        const bool read = std::fgets(line, sizeof line, child) != nullptr;
        pclose(child);
        double s = -1, p = -1;
        const char *end = line + std::strlen(line);
        const auto first = std::from_chars(line, end, s);
        if (!read || first.ec != std::errc() || *first.ptr != ' ' ||
            std::from_chars(first.ptr + 1, end, p).ec != std::errc())
            return {-1, -1};
        save = std::min(save, s);
        plain = std::min(plain, p);
    }
    return {save, plain};
}

template <typename F>
double BestSeconds(F &&work, int runs = 5)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

void PrintSummary()
{
    std::printf("%-10s %10s %12s %12s %10s %10s %10s %8s\n", "rows", "file MB", "load peak MB", "raw peak MB",
                "peak/file", "load s", "raw s", "load/raw");
    for (int rows : Sizes) {
        const QString path = JournalPath(rows);
        const double fileMb = QFileInfo(path).size() / 1048576.0;
        const double loadPeak = PeakKbInFreshProcess("load", path) / 1024.0;
        const double rawPeak = PeakKbInFreshProcess("raw", path) / 1024.0;
        const double load = BestSeconds([&] { benchmark::DoNotOptimize(ReadJournalFile(path)); });
        const double raw = BestSeconds([&] {
            QByteArray bytes;
            benchmark::DoNotOptimize(RawReadAndSplit(path, bytes));
        });
        std::fputs(qPrintable(QString::asprintf("%-10d %10.1f %12.1f %12.1f %10.2f %10.3f %10.3f %8.2f\n", rows, fileMb,
                                                loadPeak, rawPeak, loadPeak / fileMb, load, raw, load / raw)),
                   stdout);
    }
    std::printf("\n%-10s %10s %16s %10s %s\n", "rows", "save s", "write+fsync s", "save/ref",
                "(fresh process, target <= 2)");
    for (int rows : Sizes) {
        const auto [save, plain] = SaveInFreshProcess(JournalPath(rows));
        std::fputs(qPrintable(QString::asprintf("%-10d %10.3f %16.3f %10.2f\n", rows, save, plain, save / plain)),
                   stdout);
    }
    std::fflush(stdout);
}

void BM_RawReadAndSplit(benchmark::State &state)
{
    const QString path = JournalPath(int(state.range(0)));
    for (auto _ : state) {
        QByteArray bytes;
        benchmark::DoNotOptimize(RawReadAndSplit(path, bytes));
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void BM_LoadJournal(benchmark::State &state)
{
    const QString path = JournalPath(int(state.range(0)));
    JournalDocument journal(MyConsts::sJournalTexts());
    for (auto _ : state)
        journal.LoadJournal(path);
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

void BM_SaveJournal(benchmark::State &state)
{
    JournalDocument journal(MyConsts::sJournalTexts());
    journal.LoadJournal(JournalPath(int(state.range(0))));
    const QString target = workDir->filePath(QStringLiteral("saved.txt"));
    for (auto _ : state)
        journal.SaveJournal(target);
    state.SetBytesProcessed(state.iterations() * QFileInfo(target).size());
}

// One analyzer result: fill the entry row and append a new one.
void BM_EnterResult(benchmark::State &state)
{
    JournalDocument journal(MyConsts::sJournalTexts());
    if (state.range(0) > 0)
        journal.LoadJournal(JournalPath(int(state.range(0))));
    const QStringList texts = ResultTexts(42);
    for (auto _ : state)
        journal.EnterResult(texts);
    state.counters["rows at end"] = journal.Model().RowCount();
}

// The same with the journal shown in its grid, the window's events handled
// after each result as the program's message loop would.
void BM_EnterResultShownInGrid(benchmark::State &state)
{
    JournalDocument journal(MyConsts::sJournalTexts());
    if (state.range(0) > 0)
        journal.LoadJournal(JournalPath(int(state.range(0))));
    TColorStringGrid grid;
    AttachJournalGrid(grid, journal);
    grid.resize(756, 486);
    grid.show();
    grid.scrollToBottom();
    QCoreApplication::processEvents();
    const QStringList texts = ResultTexts(42);
    for (auto _ : state) {
        journal.EnterResult(texts);
        grid.scrollToBottom();
        QCoreApplication::processEvents();
    }
    state.counters["rows at end"] = journal.Model().RowCount();
}

BENCHMARK(BM_RawReadAndSplit)->Arg(Sizes[0])->Arg(Sizes[1])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJournal)->Arg(Sizes[0])->Arg(Sizes[1])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveJournal)->Arg(Sizes[0])->Arg(Sizes[1])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnterResult)->Arg(0)->Arg(Sizes[1]);
BENCHMARK(BM_EnterResultShownInGrid)->Arg(0)->Arg(Sizes[1])->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--peak") == 0)
        return MeasurePeak(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--save") == 0)
        return MeasureSave(argv[2], argv[3], argc, argv);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    workDir = &dir;
    for (int rows : Sizes)
        WriteJournalFile(rows, JournalPath(rows));
    PrintSummary();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
