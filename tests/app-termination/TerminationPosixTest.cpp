// Termination signals on POSIX: the unit that feeds them into the event
// loop, and the program's end by each of them while it is in the middle of an
// exchange with the analyzer.

#include "AnalyzerPort.h"
#include "Cp1251.h"
#include "TerminationSignals.h"
#include "WaitFor.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

volatile std::sig_atomic_t gMarks = 0;
extern "C" void MarkSignal(int)
{
    gMarks = gMarks + 1;
}

TEST(TerminationSignals, EachSignalArrivesInTheEventLoopAndTheOldHandlersComeBack)
{
    struct sigaction marker {};
    marker.sa_handler = MarkSignal;
    sigemptyset(&marker.sa_mask);
    std::vector<struct sigaction> saved(kSignals.size());
    for (size_t i = 0; i < saved.size(); ++i)
        ASSERT_EQ(sigaction(kSignals[i], &marker, &saved[i]), 0);

    {
        TTerminationSignals termination;
        EXPECT_THROW(TTerminationSignals second, std::logic_error);
        std::vector<int> received;
        QObject::connect(&termination, &TTerminationSignals::Received, [&](int signal) { received.push_back(signal); });
        // In order, also when they come faster than the loop reads them.
        for (int signal : kSignals)
            ASSERT_EQ(raise(signal), 0);
        ASSERT_EQ(raise(SIGTERM), 0);
        EXPECT_TRUE(WaitFor([&] { return received.size() == 4; }));
        EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP, SIGINT, SIGTERM}));
        EXPECT_EQ(gMarks, 0);
    }

    for (int signal : kSignals)
        ASSERT_EQ(raise(signal), 0);
    EXPECT_EQ(gMarks, 3) << "the handlers from before are back";
    for (size_t i = 0; i < saved.size(); ++i)
        sigaction(kSignals[i], &saved[i], nullptr);
}

// The window polls the emulator in a child process; the signal comes while the
// analyzer is still sending its reply to the first fetch. With a modal box
// open, the code after the box must not run (it would go on as if answered).
TEST(TerminationSignals, EndTheProgramInOrderInTheMiddleOfAnExchange)
{
    const struct {
        int Signal;
        bool Modal;
    } cases[] = {{SIGTERM, false}, {SIGHUP, false}, {SIGINT, false}, {SIGTERM, true}};
    for (const auto &c : cases) {
        const int signal = c.Signal;
        SCOPED_TRACE(std::string(strsignal(signal)) + (c.Modal ? ", a modal box open" : ""));
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        Emulator::TEmulatorConfig config;
        config.Interval = std::chrono::milliseconds(1);
        config.SplitAt = 10;
        config.SplitGap = std::chrono::milliseconds(150);
        Emulator::PtyAnalyzer analyzer(config);

        QProcess child;
        child.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(environment);
        const QString ini = dir.filePath("Nivara.Ini");
        QStringList args{ini, PortName(analyzer), "1"};
        if (c.Modal)
            args << "modal";
        child.start(TERMINATION_CHILD, args);
        ASSERT_TRUE(child.waitForStarted());

        QString output;
        ASSERT_TRUE(WaitFor([&] {
            output += QString::fromUtf8(child.readAllStandardOutput());
            return analyzer.Fetches() == 1 && (!c.Modal || output.contains("modal open\n"));
        }));
        const auto signalled = Emulator::Clock::now();
        ASSERT_EQ(kill(pid_t(child.processId()), signal), 0);
        ASSERT_TRUE(child.waitForFinished(15'000));

        output += QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        EXPECT_TRUE(output.startsWith("polling\n")) << output.toStdString();
        EXPECT_FALSE(output.contains("box ")) << "nothing is asked: " << output.toStdString();
        EXPECT_FALSE(output.contains("modal closed")) << output.toStdString();

        // The exchange ran to its end: the result was acknowledged after the
        // signal, nothing else was sent, and the acknowledgement was answered.
        const std::vector<Emulator::TLineEvent> events = analyzer.Events();
        EXPECT_EQ(analyzer.Fetches(), 1);
        EXPECT_EQ(analyzer.Acks(), 1);
        EXPECT_EQ(analyzer.Count(Emulator::TLineEvent::TKind::OtherFrame), 0);
        for (const Emulator::TLineEvent &event : events) {
            if (event.Kind == Emulator::TLineEvent::TKind::Ack) {
                EXPECT_GT(event.Time, signalled);
            }
        }
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Kind, Emulator::TLineEvent::TKind::Reply);

        // The settings are written; the journal is not saved into its file.
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString settings = Cp1251::Decode(file.readAll());
        EXPECT_EQ(settings, "[Config]\r\nCOM=" + PortName(analyzer) + "\r\nFileName=Новый.txt\r\nDeviceNumber=1\r\n");
        // The window's size and place, in a file of their own.
        EXPECT_TRUE(QFile::exists(dir.filePath("NivaraWindow.ini")));
        EXPECT_FALSE(QFile::exists(dir.filePath("Новый.txt")));
    }
}

// A box shown while the window is being built (here: the remembered journal
// cannot be read) is open when the signal comes: the program still ends in
// order, not by the signal.
TEST(TerminationSignals, EndTheProgramInOrderInsideABoxShownAtStartUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("Nivara.Ini");
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Cp1251::Encode("[Config]\r\nFileName=" + dir.path() + "\r\n")); // a folder: no journal to read
    file.close();

    QProcess child;
    child.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(environment);
    child.start(TERMINATION_CHILD, {ini, dir.filePath("no-port"), "1", "unread"});
    ASSERT_TRUE(child.waitForStarted());
    QString output;
    ASSERT_TRUE(WaitFor([&] {
        output += QString::fromUtf8(child.readAllStandardOutput());
        return output.contains("box Error");
    })) << output.toStdString();
    ASSERT_EQ(kill(pid_t(child.processId()), SIGTERM), 0);
    ASSERT_TRUE(child.waitForFinished(15'000));
    output += QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_FALSE(output.contains("polling")) << "nothing goes on after the box";
}

} // namespace
