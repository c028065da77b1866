#include "PrintedPage.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

TPrintedPage PrintFirstPage(JournalPrintout Printout, QSize Sheet, int Dpi)
{
    TPrintedPage printed;
    printed.Page = QImage(Sheet, QImage::Format_Grayscale8);
    printed.Page.setDotsPerMeterX(qRound(Dpi / 0.0254));
    printed.Page.setDotsPerMeterY(qRound(Dpi / 0.0254));
    printed.Page.fill(Qt::white);
    struct TImageSink : PrintPageSink {
        QPainter Paint;
        QPainter &Painter() override { return Paint; }
        void NewPage() override {}
    } sink;
    sink.Paint.begin(&printed.Page);
    printed.Band = QFontMetrics(Printout.font, &printed.Page).height();
    printed.Layout = PrintPageLayout::Compute(printed.Page.height(), printed.Page.width(), printed.Band);
    // One sheet: the next page's rows would be drawn over this one's.
    Printout.lastRow = std::min(Printout.lastRow, printed.Layout.R);
    PaintJournal(sink, printed.Layout, Printout);
    sink.Paint.end();
    return printed;
}
