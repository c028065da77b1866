// The printout: what lands where on which page, through a recording
// device, and whole printouts through the real path into a PDF.

#include "JournalPrint.h"
#include "JournalDocument.h"
#include "JournalPrintPreview.h"
#include "JournalView.h"
#include "ProgramTexts.h"
#include "TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextItem>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

struct Written {
    int page;
    QPoint topLeft; // of the text's opaque background
    QString text;
};

// Paint engine that keeps every text with the white box drawn under it.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyBrush)
            FBrush = state.brush();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawRects(const QRectF *rects, int count) override
    {
        if (count > 0)
            FBox = rects[count - 1].toRect();
        FTextsSinceBox = 0;
        FWhite = FBrush.color() == Qt::white && FBrush.style() == Qt::SolidPattern;
    }
    void drawRects(const QRect *rects, int count) override
    {
        if (count > 0)
            FBox = rects[count - 1];
        FTextsSinceBox = 0;
        FWhite = FBrush.color() == Qt::white && FBrush.style() == Qt::SolidPattern;
    }
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        // A text of mixed scripts arrives in several items over one box.
        if (!FWhite && !written.empty() && FTextsSinceBox > 0) {
            written.back().text += item.text();
            return;
        }
        EXPECT_TRUE(FWhite) << item.text().toStdString();
        written.push_back({page, FBox.topLeft(), item.text()});
        FWhite = false;
        ++FTextsSinceBox;
    }
    Type type() const override { return QPaintEngine::User; }

    int page = 1;
    std::vector<Written> written;

private:
    QBrush FBrush;
    QRect FBox;
    bool FWhite = false;
    int FTextsSinceBox = 0;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(int width, int height) : FWidth(width), FHeight(height) {}
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return FWidth;
        case PdmHeight: return FHeight;
        case PdmWidthMM: return FWidth * 254 / 6000;
        case PdmHeightMM: return FHeight * 254 / 6000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 600;
        case PdmDepth: return 32;
        case PdmNumColors: return 1 << 24;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    int FWidth, FHeight;
};

class RecordingSink : public PrintPageSink {
public:
    RecordingSink() : device(4760, 6600), painter(&device) {}
    QPainter &Painter() override { return painter; }
    void NewPage() override { ++device.engine.page; }

    RecordingDevice device;
    QPainter painter;
};

JournalRows RowsOfResults(int results)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    for (int i = 1; i <= results; ++i) {
        model.SetCell(1, model.EntryRow(), U("Проба ") + QString::number(i));
        model.WriteEntryCells(2, {"01.02.2024", "10:00:00", "7", "4,50", "8,25", "1,0280", "3,10", "0,00", "0,50",
                                  "9,10", "4,70", "0,70", "8,00", "-0,5204", "COLUMN16"});
        model.AppendEntryRow();
    }
    return model.SnapshotRows();
}

std::vector<Written> Print(int results, const std::function<void()> &betweenPages = {})
{
    RecordingSink sink;
    JournalPrintout printout{RowsOfResults(results), results + 1, U("C:\\Данные\\Журнал.txt"), PrintFont(JournalFont()),
                             MyConsts::sJournalTexts().Captions};
    PaintJournal(sink, PrintPageLayout::Compute(6600, 4760, 66), printout, betweenPages);
    return sink.device.engine.written;
}

const Written *Find(const std::vector<Written> &all, int page, const QString &text)
{
    for (const Written &w : all)
        if (w.page == page && w.text == text)
            return &w;
    return nullptr;
}

TEST(JournalPrintout, ExamplePageHoldsHeaderCaptionsAndNinetySixRows)
{
    // 96 results and the entry row: 97 rows, two pages.
    const auto all = Print(96);
    const QString header1 = U("Стр. 1                    Журнал.txt");
    ASSERT_TRUE(Find(all, 1, header1));
    EXPECT_EQ(Find(all, 1, header1)->topLeft, QPoint(800, 66));
    EXPECT_EQ(Find(all, 1, U("№ ст"))->topLeft, QPoint(140, 198));
    EXPECT_EQ(Find(all, 1, U("Проба"))->topLeft, QPoint(280, 198));
    EXPECT_EQ(Find(all, 1, U("Дата"))->topLeft, QPoint(560, 198));
    EXPECT_EQ(Find(all, 1, U("Т.замерзания"))->topLeft, QPoint(4200, 198));
    EXPECT_EQ(Find(all, 1, "1")->topLeft, QPoint(140, 264));
    EXPECT_EQ(Find(all, 1, U("Проба 1"))->topLeft, QPoint(280, 264));
    EXPECT_EQ(Find(all, 1, "96")->topLeft, QPoint(140, 6534));
    EXPECT_EQ(Find(all, 1, "97"), nullptr);

    ASSERT_TRUE(Find(all, 2, U("Стр. 2                    Журнал.txt")));
    EXPECT_EQ(Find(all, 2, U("Ст.гомогенизации")), nullptr);
    EXPECT_EQ(Find(all, 2, U("Т.замерзания"))->topLeft, QPoint(4200, 198));
    EXPECT_EQ(Find(all, 2, "97")->topLeft, QPoint(140, 264)); // the entry row, number only
    int onPage2 = 0;
    for (const Written &w : all) {
        EXPECT_NE(w.text, "COLUMN16");
        EXPECT_LE(w.page, 2);
        onPage2 += w.page == 2;
    }
    EXPECT_EQ(onPage2, 1 + 16 + 1);
}

TEST(JournalPrintout, ExactlyFullPageAndEmptyJournalPrintOnePage)
{
    for (int results : {95, 0}) {
        const auto all = Print(results);
        for (const Written &w : all)
            EXPECT_EQ(w.page, 1) << results;
        EXPECT_TRUE(Find(all, 1, QString::number(results + 1)));
    }
    const auto empty = Print(0);
    EXPECT_EQ(empty.size(), 1u + 16u + 1u); // header, captions, the entry row's number
}

// Counts the devices opened, so a refused print can show it opened none.
class PdfPrinter : public PdfFileProvider {
public:
    using PdfFileProvider::PdfFileProvider;
    std::unique_ptr<QPagedPaintDevice> OpenDevice() override
    {
        ++opened;
        return PdfFileProvider::OpenDevice();
    }
    int opened = 0;
};

int PdfPageCount(const QString &path)
{
    const QByteArray pdf = ReadBytes(path);
    const auto match = QRegularExpression("/Type\\s*/Pages\\b[^>]*?/Count\\s+(\\d+)").match(QString::fromLatin1(pdf));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class JournalPrintToPdf : public ::testing::Test {
protected:
    QTemporaryDir dir;
    JournalDocument journal{MyConsts::sJournalTexts()};
    PdfPrinter *pdf = nullptr;

    void SetUp() override
    {
        auto provider = std::make_unique<PdfPrinter>(dir.filePath("out.pdf"));
        pdf = provider.get();
        journal.SetPrintDeviceProvider(std::move(provider));
        journal.SetJournalFileName(U("/tmp/Журнал.txt"));
    }

    int RowsPerPage()
    {
        QPdfWriter probe(dir.filePath("probe.pdf"));
        probe.setResolution(600);
        probe.setPageSize(QPageSize(QPageSize::A4));
        const QFontMetrics metrics(PrintFont(JournalFont()), &probe);
        return PrintPageLayout::Compute(probe.height(), probe.width(), metrics.height()).R;
    }
};

TEST_F(JournalPrintToPdf, PagesFollowTheLayout)
{
    const int perPage = RowsPerPage();
    ASSERT_GT(perPage, 10);
    for (int i = 0; i < perPage; ++i)
        journal.EnterResult({"01.02.2024", "10:00:00", "7", "4,50"});
    journal.PrintJournal(journal.Model().RowCount() - 1, JournalFont()); // one row too many for a page
    EXPECT_EQ(PdfPageCount(dir.filePath("out.pdf")), 2);
    journal.PrintJournal(perPage, JournalFont());
    EXPECT_EQ(PdfPageCount(dir.filePath("out.pdf")), 1);
}

TEST_F(JournalPrintToPdf, PrintsFromTheRowsItStartedWithAndRefusesASecondPrint)
{
    const int perPage = RowsPerPage();
    for (int i = 0; i < 2 * perPage; ++i)
        journal.EnterResult({"01.02.2024"});
    std::string secondPrint;
    journal.SetBetweenPagesHook([&] {
        journal.NewJournal(); // the operator starts a new journal meanwhile
        try {
            journal.PrintJournal(1, JournalFont());
        } catch (const EJournalPrint &e) {
            secondPrint = e.what();
        }
    });
    journal.PrintJournal(2 * perPage + 1, JournalFont());
    EXPECT_EQ(secondPrint, "Printing in progress");
    EXPECT_EQ(pdf->opened, 1);
    EXPECT_EQ(PdfPageCount(dir.filePath("out.pdf")), 3);
    EXPECT_EQ(journal.Model().RowCount(), 2);
}

TEST_F(JournalPrintToPdf, SaveAsPdfWritesThePagesOfAPrintoutAndKeepsAnOldFileOnFailure)
{
    const int perPage = RowsPerPage();
    for (int i = 0; i < perPage; ++i)
        journal.EnterResult({"01.02.2024", "10:00:00", "7", "4,50"});
    const QString path = dir.filePath(U("журнал.pdf"));
    SaveJournalPdf(path, journal.Printout(journal.Model().RowCount() - 1, JournalFont()));
    const QByteArray good = ReadBytes(path);
    EXPECT_TRUE(good.startsWith("%PDF-"));
    EXPECT_TRUE(good.trimmed().endsWith("%%EOF"));
    EXPECT_EQ(PdfPageCount(path), 2);
    EXPECT_EQ(pdf->opened, 0) << "not through the printer";

    // Pages that cannot be drawn: the old file stays (and so it does when the
    // disk fills up: JournalPrintPosixTest.cpp).
    JournalPrintout huge = journal.Printout(3, JournalFont());
    huge.font.setPointSize(400);
    EXPECT_THROW(SaveJournalPdf(path, huge), EJournalPrint);
    EXPECT_EQ(ReadBytes(path), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{U("журнал.pdf")});
}

// ---- What the ink on the page shows ----------------------------------------

// A printout drawn into an image at a printer's resolution, on the narrowest
// printable width a station's A4 printers give (4760 pixels at 600 dpi).
class InkPage : public PrintPageSink {
public:
    InkPage(int dpi, const QFont &font) : FDpi(dpi)
    {
        QImage probe(1, 1, QImage::Format_Grayscale8);
        SetDpi(probe);
        layout = PrintPageLayout::Compute(6600 * dpi / 600, 4760 * dpi / 600, QFontMetrics(font, &probe).height());
        image = QImage(layout.PW, layout.RowY(1) + layout.S, QImage::Format_Grayscale8);
        SetDpi(image);
        image.fill(Qt::white);
    }
    QPainter &Painter() override { return FPainter; }
    void NewPage() override { ADD_FAILURE() << "one row needs one page"; }

    // Draws the first journal row with these texts for columns 1 to 15 (the
    // captions and the journal's name left empty unless given).
    void DrawRow(const QStringList &cells, const JournalCaptions &captions = {})
    {
        JournalModel model(captions);
        for (int col = 1; col < cells.size() + 1; ++col)
            model.SetCell(col, 1, cells[col - 1]);
        FPainter.begin(&image);
        PaintJournal(*this, layout, {model.SnapshotRows(), 1, {}, PrintFont(JournalFont()), captions});
        FPainter.end();
    }
    // Draws a text freely at a column's place in the row, nothing cut.
    void DrawFree(int col, const QString &text)
    {
        QPainter painter(&image);
        painter.setFont(PrintFont(JournalFont()));
        painter.drawText(QPoint(layout.ColumnX(col), layout.RowY(1) + painter.fontMetrics().ascent()), text);
    }
    // The bounding box of every pixel that is not white in the row's band
    // between x = left and x = right.
    QRect RowInk(int left = 0, int right = -1) const
    {
        QRect box;
        const int top = layout.RowY(1);
        for (int y = top; y < top + layout.S; ++y) {
            const uchar *line = image.constScanLine(y);
            for (int x = left; x < (right < 0 ? image.width() : right); ++x)
                if (line[x] != 255)
                    box |= QRect(x, y, 1, 1);
        }
        return box;
    }

    PrintPageLayout layout;
    QImage image;

private:
    void SetDpi(QImage &image) const
    {
        image.setDotsPerMeterX(qRound(FDpi / 0.0254));
        image.setDotsPerMeterY(qRound(FDpi / 0.0254));
    }
    int FDpi;
    QPainter FPainter;
};

// The largest difference in grey between two images of one size, from x on.
int MaxDifference(const QImage &a, const QImage &b, int fromX)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = fromX; x < a.width(); ++x)
            most = std::max(most, std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]));
    return most;
}

const QString kLongLabel = U("Ферма«Заречная»-ферма«Северная»-цистерна-0042");

TEST(PrintInk, TheWidestTypicalRowStaysInsideItsColumnsWhole)
{
    const QFont font = PrintFont(JournalFont());
    EXPECT_EQ(QFontInfo(font).family(), QString::fromUtf16(PrintFontFamily)) << "installed by scripts/ensure-deps";
    EXPECT_EQ(font.pointSizeF(), 8);

    const QStringList typical = QStringList{kLongLabel} + WidestTypicalCells();
    ASSERT_EQ(typical.size(), PrintPageLayout::PrintedColumns - 1);
    for (int dpi : {600, 300}) {
        for (int col = 1; col < PrintPageLayout::PrintedColumns; ++col) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, column " << col);
            // The row with this column's text alone: its ink is all there is
            // besides the row number.
            QStringList cells(typical.size());
            cells[col - 1] = typical[col - 1];
            InkPage page(dpi, font);
            page.DrawRow(cells);
            const PrintPageLayout &l = page.layout;
            EXPECT_EQ(page.RowInk(l.ColumnRight(0), l.ColumnX(col)), QRect()) << "ink left of the column";
            EXPECT_EQ(page.RowInk(l.ColumnRight(col)), QRect()) << "ink right of the column";
            EXPECT_FALSE(page.RowInk(l.ColumnX(col)).isEmpty());
            if (col == JournalModel::LabelColumn)
                continue; // cut at the edge; see the next test
            // Whole: drawn freely, nothing cut, the text ends before the edge.
            InkPage free(dpi, font);
            free.DrawFree(col, typical[col - 1]);
            EXPECT_LT(free.RowInk().right(), l.ColumnRight(col)) << typical[col - 1].toStdString();
        }
        // The row number, up to four digits.
        InkPage page(dpi, font);
        page.DrawFree(0, "9999");
        EXPECT_LT(page.RowInk().right(), page.layout.ColumnRight(0)) << dpi;
    }
}

TEST(PrintInk, ALongLabelIsCutAtItsColumnsEdge)
{
    const QFont font = PrintFont(JournalFont());
    for (int dpi : {600, 300}) {
        SCOPED_TRACE(dpi);
        InkPage withLabel(dpi, font), without(dpi, font);
        withLabel.DrawRow(QStringList{kLongLabel} + WidestTypicalCells(), MyConsts::sJournalTexts().Captions);
        without.DrawRow(QStringList{QString()} + WidestTypicalCells(), MyConsts::sJournalTexts().Captions);
        const PrintPageLayout &l = withLabel.layout;
        const int labelEnd = l.ColumnRight(JournalModel::LabelColumn);
        // The columns after it look as with no label at all (drawing the
        // same glyph twice may shade its edges a little differently).
        EXPECT_LE(MaxDifference(withLabel.image, without.image, labelEnd), 24);
        // The label runs right up to the edge.
        const QRect label = withLabel.RowInk(l.ColumnX(1), labelEnd);
        EXPECT_GE(label.right(), labelEnd - 1 - QFontMetrics(font, &withLabel.image).averageCharWidth());
    }
}

// The real preview dialog, closed by a timer once it shows its pages.
TEST(PrintPreviewDialog, ShowsThePaintersPagesAndPassesOnAFailure)
{
    JournalDocument journal(MyConsts::sJournalTexts());
    for (int i = 0; i < 150; ++i)
        journal.EnterResult({"01.02.2024", "10:00:00", "7", "4,50"});
    const JournalPrintout printout = journal.Printout(journal.Model().RowCount() - 1, JournalFont());
    const std::unique_ptr<IPrintPreview> preview = CreateQtPrintPreview();

    int expectedPages = 0;
    int shownPages = -1;
    QTimer watch;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        auto *pages = dialog ? dialog->findChild<QPrintPreviewWidget *>() : nullptr;
        if (pages && pages->pageCount() > 0)
            shownPages = pages->pageCount();
        else if (waited.elapsed() < 30000)
            return;
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close(); // never left hanging
    });
    watch.start(20);
    preview->Show(nullptr, [&](QPagedPaintDevice &device) {
        const QFontMetrics metrics(printout.font, &device);
        expectedPages =
            PrintPageLayout::Compute(device.height(), device.width(), metrics.height()).PageCount(printout.lastRow);
        PaintJournalPages(device, printout);
    });
    EXPECT_GE(expectedPages, 2);
    EXPECT_EQ(shownPages, expectedPages);

    // Pages that cannot be drawn end the preview with the painter's error.
    EXPECT_THROW(preview->Show(nullptr, [](QPagedPaintDevice &) { throw EJournalPrint("no pages"); }), EJournalPrint);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(JournalPrinter, NoDefaultPrinterIsAnError)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    JournalDocument journal(MyConsts::sJournalTexts());
    try {
        journal.PrintJournal(1, JournalFont());
        ADD_FAILURE() << "printed without a printer";
    } catch (const EJournalPrint &e) {
        EXPECT_STREQ(e.what(), "There is no default printer currently selected");
    }
    // Qt's fallback would have written a PDF somewhere; nothing was printed.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QDir::setCurrent(previous);
}

} // namespace
