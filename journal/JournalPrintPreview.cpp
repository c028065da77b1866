#include "JournalPrintPreview.h"

#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>

namespace {

class QtPrintPreview final : public IPrintPreview {
public:
    void Show(QWidget *parent, const TPaintPages &paintPages) override
    {
        // At the printer's own resolution: the header's fixed 800 pixels and
        // the line height come out as on paper.
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        QPrinter printer(info, QPrinter::HighResolution);
        if (info.isNull() || !printer.isValid()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setResolution(600);
            printer.setPageSize(QPageSize(QPageSize::A4));
        }
        printer.setDocName(QString());

        QPrintPreviewDialog dialog(&printer, parent);
        std::exception_ptr failure;
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *pages) {
            if (failure)
                return;
            try {
                paintPages(*pages);
            } catch (...) {
                // Qt's event handling must not see the exception.
                failure = std::current_exception();
                QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        });
        dialog.exec();
        if (failure)
            std::rethrow_exception(failure);
    }
};

} // namespace

std::unique_ptr<IPrintPreview> CreateQtPrintPreview()
{
    return std::make_unique<QtPrintPreview>();
}
