// Not a test by itself: the main window as the program runs it, polling the
// port given on the command line, for TerminationTest to end by a signal.
// Usage: termination_child <settings file> <port> <device number> [modal|unread]
// Prints "polling" once the run has started, and "box <kind> <text>" for any
// box or dialog the window opens (which then answers as if cancelled). With
// "modal", a modal dialog is open from the start ("modal open"; "modal
// closed" once its loop has returned). With "unread", an error box stays
// open, as one nobody has read yet (for boxes shown while the window is
// being built).

#include "FormDialogs.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "NumberEdit.h"

#include <QAction>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

class TReportingDialogs final : public IFormDialogs {
public:
    explicit TReportingDialogs(bool UnreadErrors) : FUnreadErrors(UnreadErrors) {}

    TSaveAnswer AskSaveOnClose(QWidget *, const QString &Text, const QString &) override
    {
        Report("AskSave", Text);
        return TSaveAnswer::Cancel;
    }
    bool Confirm(QWidget *, const QString &Text, const QString &) override
    {
        Report("Confirm", Text);
        return false;
    }
    void ShowError(QWidget *, const QString &Text, const QString &) override
    {
        Report("Error", Text);
        if (FUnreadErrors) {
            QEventLoop unread;
            QTimer::singleShot(60'000, &unread, &QEventLoop::quit);
            unread.exec();
        }
    }
    void ShowInformation(QWidget *, const QString &Text, const QString &) override { Report("Info", Text); }
    QString GetOpenFileName(QWidget *, const TFileDialogSetup &) override
    {
        Report("Open", {});
        return {};
    }
    QString GetSaveFileName(QWidget *, const TFileDialogSetup &) override
    {
        Report("Save", {});
        return {};
    }

private:
    bool FUnreadErrors;
    static void Report(const char *Kind, const QString &Text)
    {
        std::printf("box %s %s\n", Kind, Text.toUtf8().constData());
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    const QStringList args = application.arguments();
    const QString mode = args.value(4);
    if (args.size() != 4 && !(args.size() == 5 && (mode == "modal" || mode == "unread"))) {
        std::fprintf(stderr, "usage: termination_child <settings file> <port> <device number> [modal|unread]\n");
        return 2;
    }
    // As the program does: from the start, before the window is built.
    application.EndOnTermination({});
    TForm1Setup setup;
    setup.Dialogs = std::make_unique<TReportingDialogs>(mode == "unread");
    setup.IniFileName = args[1];
    setup.SerialPortNames = [] { return std::string("COM1"); };
    TForm1 Form1(std::move(setup));
    application.EndOnTermination([&Form1] { Form1.FormEndSession(); });
    Form1.show();
    Form1.FixMeas1->SetPort(args[2]);
    Form1.NumberEdit1->SetValue(args[3].toInt());
    Form1.actOpr->trigger();
    std::printf("polling\n");
    std::fflush(stdout);
    if (mode == "modal") {
        QTimer::singleShot(0, &Form1, [&Form1] {
            QDialog box(&Form1);
            box.setModal(true);
            QTimer::singleShot(0, &box, [] {
                std::printf("modal open\n");
                std::fflush(stdout);
            });
            box.exec();
            std::printf("modal closed\n");
            std::fflush(stdout);
        });
    }
    return application.exec();
}
