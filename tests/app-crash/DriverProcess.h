#pragma once

// What the crash test and the close soak share: the analyzer they run the
// window against, and starting the window (nivara_crash_driver) in a process
// of its own.

#include "AnalyzerEmulator.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>

// A new analysis at every fetch, and no two alike, as real ones.
inline Emulator::TEmulatorConfig DriverAnalyzerConfig()
{
    Emulator::TEmulatorConfig config;
    config.DevNumber = 1;
    config.Values = {20.0, 3.45, 8.5, 1028.0};
    config.Interval = std::chrono::milliseconds(1);
    config.NumberedResults = true;
    return config;
}

// The window with the settings file Nivara.Ini in Folder, its clock running
// Speed times faster than the steady clock from OriginNs on.
inline void StartDriver(QProcess &Child, const QString &Driver, const QString &Folder, qint64 OriginNs, double Speed,
                        const QStringList &More = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    Child.setProcessEnvironment(env);
    Child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Child.setWorkingDirectory(Folder);
    Child.start(Driver, QStringList{QDir(Folder).filePath(QStringLiteral("Nivara.Ini")), QString::number(OriginNs),
                                    QString::number(Speed)} +
                            More);
    Child.waitForStarted();
}

// The seed of a randomised run: the command line's, else NIVARA_TEST_SEED's
// (to replay a run that failed in a suite), else a new one.
inline quint32 RunSeed(int Argc, char **Argv, int Index)
{
    if (Argc > Index)
        return quint32(QByteArray(Argv[Index]).toULongLong());
    bool given = false;
    const quint32 seed = quint32(qEnvironmentVariable("NIVARA_TEST_SEED").toULongLong(&given));
    return given ? seed : QRandomGenerator::global()->generate();
}
