#include "AppError.h"

#include <cstdio>

namespace {

void WriteToStandardError(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
    std::fflush(stderr);
}

ApplicationErrorSink &CurrentSink()
{
    static ApplicationErrorSink sink = WriteToStandardError;
    return sink;
}

} // namespace

ApplicationErrorSink SetApplicationErrorSink(ApplicationErrorSink sink)
{
    if (!sink)
        sink = WriteToStandardError;
    return std::exchange(CurrentSink(), std::move(sink));
}

void ShowApplicationError(const QString &text) noexcept
{
    try {
        // A copy, so that a sink may replace itself while it runs.
        const ApplicationErrorSink sink = CurrentSink();
        sink(text);
    } catch (...) {
        WriteToStandardError(text);
    }
}
