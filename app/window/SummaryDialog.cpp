#include "SummaryDialog.h"

#include "Cp1251.h"
#include "JournalDocument.h"
#include "JournalGrid.h"
#include "JournalNames.h"
#include "NumberEdit.h"
#include "ProgramTexts.h"
#include "QualityNorms.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace {

constexpr int kLabelColumn = 1;

// The journal's name with the word for the summary, for the page header and
// the PDF file's name: "day.txt" -> "day — сводка.txt".
QString SummaryFileName(const QString &JournalFileName)
{
    const QString name = JournalNamePart(JournalFileName);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    return JournalFolderPart(JournalFileName) + base + QStringLiteral(" — ") + MyConsts::sSummaryFileWord() + extension;
}

} // namespace

TSummaryDialog::TSummaryDialog(TSummarySetup Setup, IFormDialogs &Dialogs, std::unique_ptr<IPrintPreview> Preview,
                               QWidget *Parent)
    : QDialog(Parent)
    , FSetup(std::move(Setup))
    , FTable(SummaryTable(FSetup.Summary, FSetup.DecimalSeparator))
    , FDialogs(Dialogs)
    , FPrint(Dialogs, std::move(Preview), [this] { return Printout(); })
{
    setObjectName(QStringLiteral("SummaryDialog"));
    setWindowTitle(MyConsts::sSummaryCaption().arg(JournalNamePart(FSetup.JournalFileName)));

    QString heading =
        (FSetup.OfSelection ? MyConsts::sSummaryOfSelection() : MyConsts::sSummaryOfJournal()).arg(FSetup.Summary.Rows);
    if (FSetup.Summary.RowsOutsideNorms)
        heading += QStringLiteral(". ") + MyConsts::sSummaryOutsideNorm() + QStringLiteral(": ") +
                   QString::number(*FSetup.Summary.RowsOutsideNorms);
    Heading = new QLabel(heading, this);

    // Figures down, value columns across, as on paper.
    Figures = new QTableWidget(int(FTable.size()), kLastValueColumn - kFirstValueColumn + 1, this);
    Figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int col = kFirstValueColumn; col <= kLastValueColumn; ++col)
        Figures->setHorizontalHeaderItem(col - kFirstValueColumn, new QTableWidgetItem(FSetup.Captions[size_t(col)]));
    for (int row = 0; row < FTable.size(); ++row) {
        Figures->setVerticalHeaderItem(row, new QTableWidgetItem(FTable[row][kLabelColumn]));
        for (int col = kFirstValueColumn; col <= kLastValueColumn; ++col) {
            auto *item = new QTableWidgetItem(FTable[row][col]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Figures->setItem(row, col - kFirstValueColumn, item);
        }
    }
    Figures->resizeColumnsToContents();

    auto *buttons = new QDialogButtonBox(this);
    PrintButton = buttons->addButton(MyConsts::sSummaryPrint(), QDialogButtonBox::ActionRole);
    PdfButton = buttons->addButton(MyConsts::sSummaryPdf(), QDialogButtonBox::ActionRole);
    CopyButton = buttons->addButton(MyConsts::sSummaryCopy(), QDialogButtonBox::ActionRole);
    CloseButton = buttons->addButton(MyConsts::sSummaryClose(), QDialogButtonBox::RejectRole);
    connect(PrintButton, &QPushButton::clicked, this, [this] { Attempt([this] { FPrint.Preview(this); }); });
    connect(PdfButton, &QPushButton::clicked, this,
            [this] { Attempt([this] { FPrint.SaveAsPdf(this, SummaryFileName(FSetup.JournalFileName)); }); });
    connect(CopyButton, &QPushButton::clicked, this, &TSummaryDialog::Copy);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Heading);
    layout->addWidget(Figures, 1);
    layout->addWidget(buttons);
    resize(900, 320);
}

JournalPrintout TSummaryDialog::Printout() const
{
    JournalPrintout printout;
    for (const QStringList &row : FTable) {
        std::array<QByteArray, JournalRows::FieldCount> bytes;
        JournalRows::Fields fields;
        for (int field = 1; field <= JournalRows::FieldCount; ++field) {
            bytes[size_t(field - 1)] = Cp1251::Encode(row[field]);
            fields[size_t(field - 1)] = bytes[size_t(field - 1)];
        }
        printout.rows.Append(fields);
    }
    printout.lastRow = int(FTable.size());
    printout.fileName = MyConsts::sSummaryCaption().arg(JournalNamePart(FSetup.JournalFileName));
    printout.font = PrintFont(FSetup.GridFont);
    printout.captions = FSetup.Captions;
    printout.captions[kLabelColumn] = MyConsts::sSummaryFigure();
    return printout;
}

void TSummaryDialog::Copy()
{
    QApplication::clipboard()->setText(SummaryClipboardText(FSetup.Captions, FTable));
}

void TSummaryDialog::Attempt(const std::function<void()> &Command)
{
    try {
        Command();
    } catch (const std::exception &e) {
        FDialogs.ShowError(this, QString::fromUtf8(e.what()), windowTitle());
    }
}

void OpenSummary(QWidget *Parent, const TColorStringGrid &Grid, const JournalDocument &Journal,
                 const TQualityNorms &Norms, IFormDialogs &Dialogs)
{
    const JournalModel &model = Journal.Model();
    std::set<int> rows;
    for (const QModelIndex &cell : Grid.selectionModel()->selectedIndexes())
        rows.insert(cell.row() + 1);
    const bool ofSelection = rows.size() > 1;
    if (!ofSelection)
        for (int row = 1; row < model.RowCount(); ++row)
            rows.insert(row);
    QList<QStringList> texts;
    for (const int row : rows) {
        QStringList cells;
        for (int col = 0; col < JournalColumns::Count; ++col)
            cells << model.Cell(col, row);
        texts << cells;
    }
    TSummarySetup setup;
    setup.DecimalSeparator = numedit::RegionalDecimalSeparator();
    TNormCheck check;
    if (!Norms.IsEmpty())
        check = [&Norms, separator = setup.DecimalSeparator](int Col, const QString &Text) -> std::optional<bool> {
            if (!Norms.Norm(Col).IsSet())
                return std::nullopt;
            return Norms.Breaks(Col, Text, separator);
        };
    setup.Summary = SummarizeRows(texts, setup.DecimalSeparator, check);
    setup.OfSelection = ofSelection;
    setup.Captions = MyConsts::sJournalTexts().Captions;
    setup.JournalFileName = Journal.JournalFileName();
    setup.GridFont = Grid.font();
    auto *dialog = new TSummaryDialog(std::move(setup), Dialogs, nullptr, Parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
