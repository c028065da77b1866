#include "JournalPrint.h"

#include "Cp1251.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

[[noreturn]] void Fail(const QString& text)
{
    throw EJournalPrint(text.toStdString());
}

class PagedDeviceSink : public PrintPageSink {
public:
    explicit PagedDeviceSink(QPagedPaintDevice& device) : FDevice(device)
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
        if (auto* printer = dynamic_cast<QPrinter*>(&FDevice))
            printer->abort();
        FPainter.end();
    }
    QPainter& Painter() override { return FPainter; }
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
    QPagedPaintDevice& FDevice;
    QPainter FPainter;
};

class LineWriter {
public:
    LineWriter(QPainter& painter, const PrintPageLayout& layout)
        : FPainter(painter), FMetrics(painter.font(), painter.device()), FMaxChars(std::max(1, layout.PW))
    {
    }

    // Text with its top-left corner at (x, y) on an opaque white ground, so
    // a long text is covered by the next column's text written after it.
    void Write(int x, int y, QString text)
    {
        if (text.isEmpty())
            return;
        // Nothing beyond the page's width can show; a cell may be megabytes.
        if (text.size() > FMaxChars)
            text.truncate(FMaxChars);
        FPainter.fillRect(QRect(x, y, FMetrics.horizontalAdvance(text), FMetrics.height()), Qt::white);
        FPainter.drawText(QPoint(x, y + FMetrics.ascent()), text);
    }

private:
    QPainter& FPainter;
    QFontMetrics FMetrics;
    int FMaxChars;
};

}  // namespace

QFont PrintFont(const QFont& gridFont)
{
    QFont font = gridFont;
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

void PaintJournal(PrintPageSink& sink, const PrintPageLayout& layout, const JournalPrintout& printout,
                  const std::function<void()>& betweenPages)
{
    QPainter& painter = sink.Painter();
    painter.setFont(printout.font);
    painter.setPen(Qt::black);
    LineWriter writer(painter, layout);

    const auto writeLine = [&](int y, const auto& cellText) {
        for (int col = 0; col < PrintPageLayout::PrintedColumns; ++col)
            writer.Write(layout.ColumnX(col), y, cellText(col));
    };
    const auto caption = [&](int col) { return printout.captions[size_t(col)]; };

    const int lastRow = std::min<qsizetype>(printout.lastRow, printout.rows.Count());
    int page = 1;
    int y = 0;
    int onPage = 0;
    for (int row = 1; row <= lastRow; ++row) {
        if (y == 0) {
            const QPoint header = layout.HeaderPos();
            writer.Write(header.x(), header.y(), PageHeaderText(page, printout.fileName));
            y = layout.CaptionY();
            writeLine(y, caption);
        }
        y += layout.S;
        writeLine(y, [&](int col) {
            return col == 0 ? QString::number(row) : Cp1251::Decode(printout.rows.Field(row - 1, col));
        });
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

std::unique_ptr<QPagedPaintDevice> PdfFileProvider::OpenDevice()
{
    auto pdf = std::make_unique<QPdfWriter>(FFileName);
    pdf->setResolution(FDotsPerInch);
    pdf->setPageSize(QPageSize(QPageSize::A4));
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

void PrintJournal(PrintDeviceProvider& provider, const JournalPrintout& printout,
                  const std::function<void()>& betweenPages)
{
    static bool printing = false;
    if (printing)
        Fail(QStringLiteral("Printing in progress"));
    printing = true;
    struct Done {
        ~Done() { printing = false; }
    } done;

    std::unique_ptr<QPagedPaintDevice> device = provider.OpenDevice();
    const QFontMetrics metrics(printout.font, device.get());
    const PrintPageLayout layout = PrintPageLayout::Compute(device->height(), device->width(), metrics.height());
    PagedDeviceSink sink(*device);
    PaintJournal(sink, layout, printout, betweenPages);
    sink.Finish();
}
