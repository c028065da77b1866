// mainwindow_screenshots: renders what the operator sees, for a visual check.
// Polls the analyzer emulator for three results with the real main window,
// then writes <folder>/nivara-main.png, nivara-ports.png, nivara-about.png,
// nivara-preview.png (the print preview), nivara-page-300dpi.png (the first
// printed page drawn by the page painter at 300 dpi) and nivara-print.pdf
// (turn it into pictures with pdftoppm -png).
// Usage: mainwindow_screenshots [folder]   (default /tmp; run it under
// xvfb-run, or with QT_QPA_PLATFORM=offscreen). The Windows build's, under
// Wine: give a folder (Z:\tmp\shots) and a COM pair in
// NIVARA_TEST_ANALYZER_LINES, both as scripts/lib/test-windows maps them;
// under xvfb-run it takes Windows' platform and Wine's fonts, with
// "-platform offscreen" Qt's own and the fonts of QT_QPA_FONTDIR (which
// Wine takes from the prefix's environment only).

#include "AboutForm.h"
#include "AnalyzerPort.h"
#include "JournalGrid.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "NumberEdit.h"
#include "PrintedPage.h"
#include "WaitFor.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

bool Save(const QPixmap &Picture, const QString &FileName)
{
    const bool saved = Picture.save(FileName);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(FileName));
    return saved;
}

// The first page of a printout as a printer at that resolution draws it, on
// an A4 sheet.
QImage PrintedPage(JournalPrintout Printout, int Dpi)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter sheet(&buffer);
    sheet.setResolution(Dpi);
    sheet.setPageSize(QPageSize(QPageSize::A4));
    return PrintFirstPage(std::move(Printout), {sheet.width(), sheet.height()}, Dpi).Page;
}

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"));

    Emulator::TEmulatorConfig config;
    config.Values = {21.5, 3.52, 8.61, 1028.4, 3.18, 0, 12.25, 4.71, 0.72, 9.1, -0.5204, 77};
    config.GroupNumber = 3;
    config.Interval = std::chrono::milliseconds(1);
    TTestAnalyzer analyzer(config);
    Emulator::TFakeClock clock;
    clock.Set(45'000.0 + 8.5 / 24);

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    TForm1Setup setup;
    setup.IniFileName = folder.filePath(QStringLiteral("Nivara.Ini"));
    setup.SerialPortNames = [] { return std::string("ttyS0,ttyS1,ttyUSB0"); };
    TForm1 form(std::move(setup));
    form.FixMeas1->SetClock(clock.AsClock());
    form.FixMeas1->SetMonotonicClock(clock.AsMonotonicClock());
    form.FixMeas1->SetPort(PortName(analyzer));
    form.NumberEdit1->SetValue(1);
    form.show();
    WaitFor([&] { return form.isVisible(); }, 2000);

    const QStringList labels = {QStringLiteral("Ферма 12"), QStringLiteral("Бидон 4"),
                                QStringLiteral("Сборное молоко, ферма «Заречная»")};
    form.actOpr->trigger();
    for (int i = 0; i < labels.size(); ++i) {
        form.Journal().Model().SetCell(1, form.Journal().Model().EntryRow(), labels[i]);
        const int rows = form.Journal().Model().RowCount();
        if (!WaitFor([&] { return form.Journal().Model().RowCount() > rows && !form.PollState.AckPending; })) {
            std::fprintf(stderr, "no result from the emulator\n");
            return 1;
        }
        if (i + 1 < labels.size())
            clock.Advance(132); // the next result is due
    }
    WaitFor([] { return false; }, 300); // the running look: image 5
    bool ok = Save(form.grab(), out.filePath(QStringLiteral("nivara-main.png")));
    form.actOpr->trigger();
    WaitFor([&] { return !form.FixMeas1->Active(); });

    form.MenuPort->popup(form.ToolButton7->mapToGlobal(QPoint(0, form.ToolButton7->height())));
    WaitFor([] { return false; }, 300);
    ok = Save(form.MenuPort->grab(), out.filePath(QStringLiteral("nivara-ports.png"))) && ok;
    form.MenuPort->close();

    {
        TAboutForm about(&form);
        about.show();
        WaitFor([] { return false; }, 300);
        ok = Save(about.grab(), out.filePath(QStringLiteral("nivara-about.png"))) && ok;
    }

    // The preview, grabbed once it shows its pages.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        auto *pages = dialog ? dialog->findChild<QPrintPreviewWidget *>() : nullptr;
        if (!pages || pages->pageCount() == 0)
            return;
        watch.stop();
        dialog->resize(1000, 760);
        pages->fitToWidth();
        WaitFor([] { return false; }, 300);
        ok = Save(dialog->grab(), out.filePath(QStringLiteral("nivara-preview.png"))) && ok;
        dialog->reject();
    });
    watch.start(50);
    form.actPrintPreview->trigger();

    const QImage page =
        PrintedPage(form.Journal().Printout(form.Journal().Model().RowCount() - 1, form.MainGrid->font()), 300);
    ok = Save(QPixmap::fromImage(page), out.filePath(QStringLiteral("nivara-page-300dpi.png"))) && ok;

    const QString pdf = out.filePath(QStringLiteral("nivara-print.pdf"));
    form.Journal().SetPrintDeviceProvider(std::make_unique<PdfFileProvider>(pdf));
    form.actPrint->trigger();
    std::printf("wrote %s\n", qPrintable(pdf));

    form.Journal().SetJournalModified(false);
    form.close();
    analyzer.Runner().Stop();
    return ok ? 0 : 1;
}
