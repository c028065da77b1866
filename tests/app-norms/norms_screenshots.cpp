// norms_screenshots: renders the quality norms as the operator sees them,
// for a visual check: the main window with the raw-milk norms from its norms
// file and a value that did not decode (norms-main.png), the norms dialog
// (norms-dialog.png) and the top of the first printed page at 300 dpi
// (norms-page-300dpi.png).
// Usage: norms_screenshots [folder]   (default: the current folder; run it
// with QT_QPA_PLATFORM=offscreen or under xvfb-run)

#include "JournalGrid.h"
#include "JournalPrint.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "NormsDialog.h"
#include "PrintedPage.h"
#include "QualityNormsFile.h"
#include "WaitFor.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool Save(const QImage &Picture, const QString &FileName)
{
    const bool saved = Picture.save(FileName);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(FileName));
    return saved;
}

QImage PrintedTop(JournalPrintout Printout, int Dpi)
{
    const int rows = Printout.lastRow;
    const TPrintedPage printed = PrintFirstPage(std::move(Printout), kA4At300Dpi, Dpi);
    return printed.Page.copy(0, 0, printed.Page.width(), (rows + 6) * printed.Layout.S);
}

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Absolute: the window works in a folder of its own.
    const QDir out(QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath()).absolutePath());

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    const QString ini = folder.filePath(QStringLiteral("Nivara.Ini"));
    WriteNormsFile(NormsFileName(ini), RawCowMilkNorms());
    TForm1Setup setup;
    setup.IniFileName = ini;
    setup.SerialPortNames = [] { return std::string("ttyS0"); };
    TForm1 form(std::move(setup));
    form.show();
    WaitFor([&] { return form.isVisible(); }, 2000);

    struct TRow {
        const char *label;
        QStringList values;
        quint32 undecoded;
    };
    const TRow rows[] = {
        {"Ферма 12",
         {"21,50", "3,52", "8,61", "1028,40", "3,18", "0,00", "12,25", "4,71", "0,72", "9,10", "-0,5204", "77,00"},
         0},
        {"Бидон 4",
         {"20,10", "2,61", "8,05", "1026,20", "2,95", "3,10", "11,02", "4,40", "0,70", "8,70", "-0,5112", "75,00"},
         0},
        {"Ферма 3",
         {"19,80", "3,90", "0,00", "1029,10", "3,25", "0,00", "12,70", "4,80", "0,73", "9,20", "-0,5250", "78,00"},
         1u << 7},
        {"Сборное",
         {"20,40", "3,40", "8,40", "1027,60", "3,05", "0,00", "12,05", "4,62", "0,71", "9,00", "-0,5221", "76,00"},
         0},
    };
    for (const TRow &row : rows) {
        JournalModel &model = form.Journal().Model();
        model.SetCell(1, model.EntryRow(), QString::fromUtf8(row.label));
        form.Journal().EnterResult(QStringList{"11.12.2026", "08:30:00", "3"} + row.values, row.undecoded);
    }
    form.MainGrid->setCurrentIndex(form.Journal().Model().index(4, 1));
    WaitFor([] { return false; }, 300);
    bool ok = Save(form.grab().toImage(), out.filePath(QStringLiteral("norms-main.png")));

    {
        TNormsDialog dialog(RawCowMilkNorms(), u',', &form);
        dialog.show();
        WaitFor([] { return false; }, 300);
        ok = Save(dialog.grab().toImage(), out.filePath(QStringLiteral("norms-dialog.png"))) && ok;
    }

    ok = Save(PrintedTop(form.Journal().Printout(form.Journal().Model().RowCount() - 1, form.MainGrid->font()), 300),
              out.filePath(QStringLiteral("norms-page-300dpi.png"))) &&
         ok;

    form.Journal().SetJournalModified(false);
    form.close();
    return ok ? 0 : 1;
}
