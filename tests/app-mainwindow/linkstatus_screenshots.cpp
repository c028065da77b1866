// linkstatus_screenshots: renders the main window in each state of the link's
// status bar, reached by real polling runs against the analyzer emulator, for
// a check by eye. Writes <folder>/link-<n>-<state>.png.
// Usage: linkstatus_screenshots [folder]   (default /tmp; run it under
// xvfb-run, or with QT_QPA_PLATFORM=offscreen)

#include "AnalyzerPort.h"
#include "LinkStatusBar.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "NumberEdit.h"
#include "WaitFor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

Emulator::TEmulatorConfig Analyzer()
{
    Emulator::TEmulatorConfig config;
    config.Values = {21.5, 3.52, 8.61, 1028.4};
    config.GroupNumber = 3;
    config.Interval = std::chrono::milliseconds(1);
    return config;
}

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"));

    Emulator::TFakeClock clock;
    clock.Set(45'000.0 + 8.5 / 24);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    TForm1Setup setup;
    setup.IniFileName = folder.filePath(QStringLiteral("Nivara.Ini"));
    setup.SerialPortNames = [] { return std::string("ttyS0,ttyUSB0"); };
    TForm1 form(std::move(setup));
    form.FixMeas1->SetClock(clock.AsClock());
    form.FixMeas1->SetMonotonicClock(clock.AsMonotonicClock());
    form.FixMeas1->SetReconnectInterval(std::chrono::milliseconds(200));
    form.show();
    WaitFor([&] { return form.isVisible(); }, 2000);

    int shot = 0;
    bool ok = true;
    const auto save = [&](const char *State) {
        form.LinkStatus->Refresh();
        WaitFor([] { return false; }, 300);
        const QString name = out.filePath(QStringLiteral("link-%1-%2.png").arg(++shot).arg(QLatin1String(State)));
        const bool saved = form.grab().save(name);
        std::printf("%s %s: %s\n", saved ? "wrote" : "could not write", qPrintable(name),
                    qPrintable(form.LinkStatus->Text()));
        ok = ok && saved;
    };
    const auto run = [&](const QString &Port, int Device) {
        form.FixMeas1->SetPort(Port);
        form.NumberEdit1->SetValue(Device);
        form.actOpr->trigger();
    };
    const auto stop = [&] {
        if (form.FixMeas1->Active())
            form.actOpr->trigger();
        WaitFor([&] { return !form.FixMeas1->Active(); });
    };

    {
        // The description as the port menu's owner will hand it over.
        Emulator::PtyAnalyzer analyzer(Analyzer());
        form.FixMeas1->SetPort(PortName(analyzer));
        form.NumberEdit1->SetValue(1);
        form.LinkStatus->SetPort(PortName(analyzer), QStringLiteral("FTDI FT232R USB UART"));
        save("off");
        form.NumberEdit1->SetValue(0);
        save("cannot-start-device-0");
    }
    form.FixMeas1->SetPort(QStringLiteral("ttyUSB7"));
    form.NumberEdit1->SetValue(1);
    save("cannot-start-port-absent");

    {
        Emulator::PtyAnalyzer analyzer(Analyzer());
        run(PortName(analyzer), 1);
        WaitFor([&] { return form.Journal().Model().RowCount() > 2 && !form.PollState.AckPending; });
        clock.Advance(23);
        save("waiting");
        stop();
    }
    clock.Advance(130);
    {
        Emulator::TEmulatorConfig config = Analyzer();
        config.NoAnswer = true;
        Emulator::PtyAnalyzer analyzer(config);
        run(PortName(analyzer), 1);
        WaitFor([&] { return analyzer.Fetches() >= 1; });
        save("fetching");
        clock.Advance(25);
        save("no-answer");
        clock.Advance(47);
        save("no-answer-operator");
        stop();
    }
    {
        Emulator::TEmulatorConfig config = Analyzer();
        config.WrongEcho = true;
        Emulator::PtyAnalyzer analyzer(config);
        run(PortName(analyzer), 1);
        WaitFor([&] { return analyzer.Fetches() >= 2; });
        clock.Advance(4);
        save("refused");
        stop();
    }
    {
        const QString link = folder.filePath(QStringLiteral("analyzer"));
        Emulator::TEmulatorConfig config = Analyzer();
        config.VanishAfterFrames = 1;
        Emulator::PtyAnalyzer analyzer(config);
        QFile::link(PortName(analyzer), link);
        clock.Advance(130);
        run(link, 1);
        WaitFor([&] { return form.FixMeas1->LinkSnapshot().Phase == TLinkPhase::PortLost; });
        clock.Advance(7);
        save("port-lost");
        stop();
    }
    save("off-after-runs");

    form.Journal().SetJournalModified(false);
    form.close();
    return ok ? 0 : 1;
}
