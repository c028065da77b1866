#include "PtyAnalyzer.h"

#include <algorithm>

namespace Emulator {

PtyAnalyzer::PtyAnalyzer(TEmulatorConfig Config, PtyRunner::LogSink Log)
    : FEmulator(std::move(Config), Clock::now())
    , FRunner(FEmulator, std::move(Log), [this](const TLineEvent &Event) { Record(Event); })
{
    FRunner.Start();
}

void PtyAnalyzer::Record(const TLineEvent &Event)
{
    std::lock_guard lock(FMutex);
    FEvents.push_back(Event);
}

std::vector<TLineEvent> PtyAnalyzer::Events() const
{
    std::lock_guard lock(FMutex);
    return FEvents;
}

int PtyAnalyzer::Count(TLineEvent::TKind Kind) const
{
    std::lock_guard lock(FMutex);
    return static_cast<int>(
        std::count_if(FEvents.begin(), FEvents.end(), [Kind](const TLineEvent &Event) { return Event.Kind == Kind; }));
}

} // namespace Emulator
