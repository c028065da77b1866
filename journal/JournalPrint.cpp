#include "JournalPrint.h"

#include "Cp1251.h"
#include "DurableFile.h"
#include "FileError.h"

#include <QBuffer>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

[[noreturn]] void Fail(const QString &text)
{
    throw EJournalPrint(text.toStdString());
}

class PagedDeviceSink : public PrintPageSink {
public:
    explicit PagedDeviceSink(QPagedPaintDevice &device) : FDevice(device)
    {
        // QPainter::begin is the real test of a printer: a QPrinter can
        // look valid and still fail here.
        if (!FPainter.begin(&FDevice))
            Fail(QStringLiteral("Printer selected is not valid"));
    }
    ~PagedDeviceSink() override
    {
        if (!FPainter.isActive())
            return;
        // Left early by an error: do not send a half printout.
        if (auto *printer = dynamic_cast<QPrinter *>(&FDevice))
            printer->abort();
        FPainter.end();
    }
    QPainter &Painter() override { return FPainter; }
    void NewPage() override
    {
        if (!FDevice.newPage())
            Fail(QStringLiteral("The printer could not start a new page"));
    }
    void Finish()
    {
        if (!FPainter.end())
            Fail(QStringLiteral("The printer could not finish the printout"));
    }

private:
    QPagedPaintDevice &FDevice;
    QPainter FPainter;
};

class LineWriter {
public:
    LineWriter(QPainter &painter, const PrintPageLayout &layout)
        : FPainter(painter), FMetrics(painter.font(), painter.device()), FMaxChars(std::max(1, layout.PW))
    {
    }

    // Text with its top-left corner at (x, y) on an opaque white ground, cut
    // at x = right (the next column) so that it never prints over it. A
    // marked text stands on a grey ground in a frame, which black-and-white
    // paper shows as well as a colour one.
    void Write(int x, int y, int right, QString text, bool marked = false)
    {
        if (text.isEmpty() || right <= x)
            return;
        // Nothing beyond the page's width can show; a cell may be megabytes.
        if (text.size() > FMaxChars)
            text.truncate(FMaxChars);
        const int width = FMetrics.horizontalAdvance(text);
        // A text cut short stops a space before the edge, so that it does not
        // read as one word with the next column's text.
        if (width > right - x)
            right = std::max(x + 1, right - FMetrics.horizontalAdvance(u' '));
        // Only the sides are cut; accents and descenders keep their ink.
        const int band = FMetrics.height();
        FPainter.save();
        FPainter.setClipRect(QRect(x, y - band, right - x, 3 * band));
        if (marked) {
            // The frame stays inside the column, a hair's breadth round the text.
            const int pen = std::max(1, band / 14);
            const QRect box(x, y, std::min(width + 2 * pen, right - x), band);
            FPainter.fillRect(box, QColor(0xC8, 0xC8, 0xC8));
            FPainter.save();
            FPainter.setPen(QPen(Qt::black, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            FPainter.setBrush(Qt::NoBrush);
            FPainter.drawRect(box.adjusted(pen / 2, pen / 2, -(pen + 1) / 2, -(pen + 1) / 2));
            FPainter.restore();
            FPainter.drawText(QPoint(x + pen, y + FMetrics.ascent()), text);
        } else {
            FPainter.fillRect(QRect(x, y, width, band), Qt::white);
            FPainter.drawText(QPoint(x, y + FMetrics.ascent()), text);
        }
        FPainter.restore();
    }

private:
    QPainter &FPainter;
    QFontMetrics FMetrics;
    int FMaxChars;
};

// Faces that keep a full date inside its column at 8 points, the preferred
// one first.
const QStringList &NarrowFamilies()
{
    static const QStringList families{QString::fromUtf16(PrintFontFamily), QStringLiteral("Arial Narrow"),
                                      QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")};
    return families;
}

qreal TypicalRowWidth(const QFont &font)
{
    const QFontMetricsF metrics(font);
    qreal width = 0;
    for (const QString &text : WidestTypicalCells())
        width += metrics.horizontalAdvance(text);
    return width;
}

} // namespace

bool JournalPrintout::Marked(int row, int col, const QString &text) const
{
    if (const auto at = undecoded.find(row); at != undecoded.end() && col < 32 && ((at->second >> col) & 1u))
        return true;
    return outsideNorm && outsideNorm(col, text);
}

QStringList WidestTypicalCells()
{
    return {QStringLiteral("28.12.2024"), QStringLiteral("23:59:58"), QStringLiteral("255"),
            QStringLiteral("38,88"),      QStringLiteral("48,88"),    QStringLiteral("18,88"),
            QStringLiteral("1028,40"),    QStringLiteral("8,88"),     QStringLiteral("88,88"),
            QStringLiteral("8,88"),       QStringLiteral("8,88"),     QStringLiteral("8,88"),
            QStringLiteral("18,88"),      QStringLiteral("-0,5204")};
}

QFont PrintFont(const QFont &gridFont)
{
    QFont font = gridFont;
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    font.setStyleHint(QFont::SansSerif);

    QFont best = font; // the grid's face, when no narrow one is installed
    qreal bestWidth = TypicalRowWidth(font);
    for (const QString &family : NarrowFamilies()) {
        QFont candidate = font;
        candidate.setFamilies({family});
        // A missing family is quietly replaced by another face: ask which
        // face the request really gets.
        if (QFontInfo(candidate).family().compare(family, Qt::CaseInsensitive) != 0)
            continue;
        if (family == NarrowFamilies().first())
            return candidate;
        if (const qreal width = TypicalRowWidth(candidate); width < bestWidth) {
            best = candidate;
            bestWidth = width;
        }
    }
    return best;
}

void PaintJournal(PrintPageSink &sink, const PrintPageLayout &layout, const JournalPrintout &printout,
                  const std::function<void()> &betweenPages)
{
    QPainter &painter = sink.Painter();
    painter.setFont(printout.font);
    painter.setPen(Qt::black);
    LineWriter writer(painter, layout);

    const auto writeLine = [&](int y, const auto &cellText, int row = 0) {
        for (int col = 0; col < PrintPageLayout::PrintedColumns; ++col) {
            const QString text = cellText(col);
            const bool marked = row > 0 && col >= 2 && !text.isEmpty() && printout.Marked(row, col, text);
            writer.Write(layout.ColumnX(col), y, layout.ColumnRight(col), text, marked);
        }
    };
    const auto caption = [&](int col) { return printout.captions[size_t(col)]; };

    const int lastRow = std::min<qsizetype>(printout.lastRow, printout.rows.Count());
    int page = 1;
    int y = 0;
    int onPage = 0;
    for (int row = 1; row <= lastRow; ++row) {
        if (y == 0) {
            const QPoint header = layout.HeaderPos();
            writer.Write(header.x(), header.y(), layout.PW, PageHeaderText(page, printout.fileName));
            y = layout.CaptionY();
            writeLine(y, caption);
        }
        y += layout.S;
        writeLine(
            y,
            [&](int col) {
                return col == 0 ? QString::number(row) : Cp1251::Decode(printout.rows.Field(row - 1, col));
            },
            row);
        if (++onPage >= layout.R && row < lastRow) {
            sink.NewPage();
            if (betweenPages)
                betweenPages();
            y = 0;
            onPage = 0;
            ++page;
        }
    }
}

namespace {

void SetUpPdf(QPdfWriter &pdf, int dotsPerInch)
{
    pdf.setResolution(dotsPerInch);
    pdf.setPageSize(QPageSize(QPageSize::A4));
}

} // namespace

std::unique_ptr<QPagedPaintDevice> PdfFileProvider::OpenDevice()
{
    auto pdf = std::make_unique<QPdfWriter>(FFileName);
    SetUpPdf(*pdf, FDotsPerInch);
    return pdf;
}

std::unique_ptr<QPagedPaintDevice> DefaultPrinterProvider::OpenDevice()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        Fail(QStringLiteral("There is no default printer currently selected"));
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        Fail(QStringLiteral("Printer selected is not valid"));
    printer->setDocName(QString());
    return printer;
}

void PrintJournal(PrintDeviceProvider &provider, const JournalPrintout &printout,
                  const std::function<void()> &betweenPages)
{
    static bool printing = false;
    if (printing)
        Fail(QStringLiteral("Printing in progress"));
    printing = true;
    struct Done {
        ~Done() { printing = false; }
    } done;

    std::unique_ptr<QPagedPaintDevice> device = provider.OpenDevice();
    PaintJournalPages(*device, printout, betweenPages);
}

void PaintJournalPages(QPagedPaintDevice &device, const JournalPrintout &printout,
                       const std::function<void()> &betweenPages)
{
    const QFontMetrics metrics(printout.font, &device);
    const PrintPageLayout layout = PrintPageLayout::Compute(device.height(), device.width(), metrics.height());
    PagedDeviceSink sink(device);
    PaintJournal(sink, layout, printout, betweenPages);
    sink.Finish();
}

void SaveJournalPdf(const QString &fileName, const JournalPrintout &printout, int dotsPerInch)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        SetUpPdf(pdf, dotsPerInch);
        PaintJournalPages(pdf, printout);
    }
    try {
        DurableFile::WriteFile(fileName, [&bytes](const DurableFile::TWrite &write) { write(bytes); });
    } catch (const EFileError &e) {
        Fail(QStringLiteral("Не удалось записать файл PDF \"%1\": %2")
                 .arg(QDir::toNativeSeparators(fileName), e.Cause()));
    }
}
