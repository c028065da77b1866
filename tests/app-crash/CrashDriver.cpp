// The real main window in a process of its own, for the crash test: built
// with the given settings file, it polls the analyzer (the settings name the
// port), types sample labels and saves now and then, and says on standard
// output what it has done, so that the test can kill it at chosen moments.
//
//   nivara_crash_driver <settings> <clock-origin-ns> <speed> [--dump <file> | --idle]
//
// The station's clock runs <speed> times faster than the steady clock from
// <clock-origin-ns> on (from 15 March 2023, 12:00), so the 125 s between
// fetches pass in a blink and every result has a time of its own. With
// --dump the window only starts (recovering what the log holds), writes
// what Save would write to <file>, and ends without closing, so the log
// stays as it was. With --idle it only starts and waits, as a window the
// operator has left alone.
//
// Like the program, it claims its settings folder first: a start in a folder
// whose driver runs says "second start: brought forward" (or "... not
// answering") and ends; the running one says "brought forward".
//
// It also serves the close soak: a line "close" on standard input closes the
// window as the operator would (questions answered No), and SIGTERM ends it
// as the desktop's logout does.

#include "FormDialogs.h"
#include "JournalFile.h"
#include "JournalGrid.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "SettingsLocation.h"
#include "StationInstance.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void Say(const QString &Line)
{
    std::fputs((Line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// No person: questions are answered No, boxes go to standard output. An
// error box stays open for a while, as one no one has read yet: its loop
// serves the poller meanwhile, and a termination may come inside it.
class TSilentDialogs final : public IFormDialogs {
public:
    TSaveAnswer AskSaveOnClose(QWidget *, const QString &, const QString &) override { return TSaveAnswer::No; }
    bool Confirm(QWidget *, const QString &, const QString &) override { return false; }
    void ShowError(QWidget *, const QString &Text, const QString &) override
    {
        Say(QStringLiteral("error ") + QString(Text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        QEventLoop unread;
        QTimer::singleShot(3000, &unread, &QEventLoop::quit);
        unread.exec();
    }
    void ShowInformation(QWidget *, const QString &Text, const QString &) override
    {
        Say(QStringLiteral("info ") + QString(Text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    QString GetOpenFileName(QWidget *, const TFileDialogSetup &) override { return {}; }
    QString GetSaveFileName(QWidget *, const TFileDialogSetup &) override { return {}; }
};

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool idle = args.size() == 5 && args[4] == QStringLiteral("--idle");
    if (args.size() != 4 && !idle && !(args.size() == 6 && args[4] == QStringLiteral("--dump"))) {
        std::fputs("usage: nivara_crash_driver <settings> <clock-origin-ns> <speed> [--dump <file> | --idle]\n",
                   stderr);
        return 2;
    }
    TStationInstance instance(ResultLogFileName(args[1]));
    instance.OnBringForward = [] { Say(QStringLiteral("brought forward")); };
    switch (instance.Claim()) {
    case TStartVerdict::Run: break;
    case TStartVerdict::BroughtForward: Say(QStringLiteral("second start: brought forward")); return 0;
    case TStartVerdict::NotAnswering: Say(QStringLiteral("second start: not answering")); return 3;
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const qint64 origin = args[2].toLongLong();
    const double speed = args[3].toDouble();

    TForm1Setup setup;
    setup.Dialogs = std::make_unique<TSilentDialogs>();
    setup.IniFileName = args[1];
    setup.SerialPortNames = [] { return std::string(); };
    TForm1 form(std::move(setup));
    app.EndOnTermination([&form] { form.FormEndSession(); });
    JournalModel &model = form.Journal().Model();

    if (args.size() == 6) {
        QFile dump(args[5]);
        if (!dump.open(QIODevice::WriteOnly))
            return 1;
        WriteJournal(model.Rows(), dump);
        dump.close();
        Say(QStringLiteral("dumped"));
        return 0;
    }

    if (idle) {
        form.show();
        Say(QStringLiteral("idle"));
        return app.exec();
    }

    form.FixMeas1->SetClock([origin, speed] {
        const qint64 now =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        return 45'000.5 + double(now - origin) * 1e-9 * speed / 86'400.0;
    });
    // Said once the result is in the journal (and the log), before the
    // poller sends its acknowledgement.
    auto putResult = form.FixMeas1->OnPutResult;
    form.FixMeas1->OnPutResult = [&, putResult](QObject *Sender) {
        const int before = model.RowCount();
        putResult(Sender);
        if (model.RowCount() != before)
            Say(QStringLiteral("put %1").arg(before - 1));
    };

    // A label for the entry row, or now and then for an earlier row that
    // has none, typed as the grid's editor commits it.
    QTimer labels;
    QObject::connect(&labels, &QTimer::timeout, [&] {
        auto *random = QRandomGenerator::global();
        int row = model.EntryRow();
        if (random->bounded(4) == 0)
            row = 1 + random->bounded(model.EntryRow());
        if (!model.Cell(JournalModel::LabelColumn, row).isEmpty())
            return;
        const QString text = QStringLiteral("проба %1-%2").arg(row).arg(random->bounded(1000));
        Say(QStringLiteral("label-begin %1").arg(row));
        form.MainGrid->model()->setData(form.MainGrid->model()->index(row - 1, JournalModel::LabelColumn), text);
        Say(QStringLiteral("label %1 %2").arg(row).arg(text));
    });
    labels.start(9);

    QTimer saves;
    QObject::connect(&saves, &QTimer::timeout, [&] {
        Say(QStringLiteral("save-begin"));
        form.actSave->trigger();
        Say(QStringLiteral("save-end"));
    });
    saves.start(170);

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char line[64];
        const ssize_t got = ::read(STDIN_FILENO, line, sizeof line);
        if (got <= 0) {
            commands.setEnabled(false); // the test went away; SIGKILL or SIGTERM will follow
            return;
        }
        if (std::string(line, size_t(got)).find("close") != std::string::npos) {
            Say(QStringLiteral("closing"));
            labels.stop(); // the operator stops typing to close the window
            saves.stop();
            form.close();
        }
    });

    form.show(); // a closed window that was never shown would not end the program
    form.actOpr->trigger();
    Say(QStringLiteral("polling"));
    return app.exec();
}
