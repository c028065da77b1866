#include "NormMarks.h"

#include "JournalDocument.h"
#include "JournalGrid.h"
#include "ProgramTexts.h"

#include <QApplication>
#include <QLabel>

#include <bit>

QColor TNormMarks::MarkColor()
{
    return QColor(0xFF, 0xB4, 0xB4);
}

TNormMarks::TNormMarks(TColorStringGrid &Grid, JournalDocument &Journal, QWidget *Window, QChar Separator)
    : QObject(Window)
    , FGrid(&Grid)
    , FJournal(Journal)
    , FWindow(Window)
    , FSeparator(Separator)
    , FAlert([](QWidget *Window) { QApplication::alert(Window); })
{
    FLabel = new QLabel(Window);
    FLabel->setObjectName(QStringLiteral("NormStatus"));
    FLabel->setToolTip(MyConsts::sNormsMarkHint());
    FLabel->hide();

    const JournalModel *model = &FJournal.Model();
    connect(model, &QAbstractItemModel::modelReset, this, &TNormMarks::Recount);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &TopLeft, const QModelIndex &BottomRight) {
                RowsChanged(TopLeft.row(), BottomRight.row());
            });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int First, int Last) { RowsAppended(First, Last); });
    Recount();
}

TNormMarks::~TNormMarks()
{
    // The grid's hooks call this; the journal may be gone already (the
    // window's members go before its children), and its judge holds a copy.
    if (FGrid) {
        FGrid->OnGetCellColor = nullptr;
        FGrid->OnGetCellMark = nullptr;
    }
}

void TNormMarks::SetNorms(const TQualityNorms &Norms)
{
    FNorms = Norms;
    if (FNorms.IsEmpty()) {
        FJournal.SetOutsideNorm(nullptr);
    } else {
        // A copy: a printout may outlive a change of the norms.
        FJournal.SetOutsideNorm([Norms, separator = FSeparator](int Col, const QString &Text) {
            return Norms.Breaks(Col, Text, separator);
        });
    }
    Recount();
}

bool TNormMarks::IsMarked(int Row, int Col) const
{
    const JournalModel &model = FJournal.Model();
    if (model.IsUndecoded(Col, Row))
        return true;
    return !FNorms.IsEmpty() && FNorms.Breaks(Col, model.Cell(Col, Row), FSeparator);
}

bool TNormMarks::Painting() const
{
    return FGrid && bool(FGrid->OnGetCellColor);
}

bool TNormMarks::RowOutside(int Row) const
{
    const JournalModel &model = FJournal.Model();
    for (int col = TQualityNorms::FirstValueColumn; col <= TQualityNorms::LastValueColumn; ++col)
        if (FNorms.Breaks(col, model.Cell(col, Row), FSeparator))
            return true;
    return false;
}

void TNormMarks::Recount()
{
    const int rows = FJournal.Model().rowCount();
    FOutside.assign(size_t(rows), false);
    FRowsOutside = 0;
    if (!FNorms.IsEmpty()) {
        for (int m = 0; m < rows; ++m) {
            FOutside[size_t(m)] = RowOutside(m + 1);
            FRowsOutside += FOutside[size_t(m)];
        }
    }
    Show();
}

void TNormMarks::RowsChanged(int First, int Last)
{
    if (FOutside.size() != size_t(FJournal.Model().rowCount()))
        return Recount();
    if (!FNorms.IsEmpty()) {
        for (int m = std::max(First, 0); m <= Last && m < int(FOutside.size()); ++m) {
            const bool outside = RowOutside(m + 1);
            FRowsOutside += int(outside) - int(FOutside[size_t(m)]);
            FOutside[size_t(m)] = outside;
        }
    }
    Show();
}

void TNormMarks::RowsAppended(int First, int Last)
{
    // New rows are empty: nothing in them breaks a norm yet.
    FOutside.insert(FOutside.begin() + std::min<qsizetype>(First, qsizetype(FOutside.size())), size_t(Last - First + 1),
                    false);
    if (FOutside.size() != size_t(FJournal.Model().rowCount()))
        return Recount();
    // A new entry row follows a result just entered (model row First - 1).
    const int resultRow = First; // its grid row
    const JournalModel &model = FJournal.Model();
    if (First > 0 && (model.UndecodedColumns(resultRow) != 0 || FOutside[size_t(First - 1)]) && FAlert)
        FAlert(FWindow);
}

void TNormMarks::Show()
{
    FUndecodedValues = 0;
    for (const auto &[row, columns] : FJournal.Model().Undecoded())
        FUndecodedValues += std::popcount(columns);

    const bool paint = !FNorms.IsEmpty() || FUndecodedValues > 0;
    if (FGrid && paint != Painting()) {
        if (paint) {
            FGrid->OnGetCellColor = [this](TColorStringGrid *, int ARow, int ACol, TGridDrawState AState,
                                           QBrush &ABrush, TCellFont &AFont) {
                if ((AState & TGridDrawStateFlag::gdFixed) || !IsMarked(ARow, ACol))
                    return;
                // A selected cell keeps the selection's colours; the mark shows it.
                if (!(AState & TGridDrawStateFlag::gdSelected) || (AState & TGridDrawStateFlag::gdFocused)) {
                    ABrush = MarkColor();
                    AFont.Color = Qt::black;
                }
                AFont.Font.setBold(true);
            };
            FGrid->OnGetCellMark = [this](TColorStringGrid *, int ARow, int ACol) { return IsMarked(ARow, ACol); };
        } else {
            FGrid->OnGetCellColor = nullptr;
            FGrid->OnGetCellMark = nullptr;
        }
    }
    if (FGrid)
        FGrid->viewport()->update();

    QStringList parts;
    if (FRowsOutside > 0)
        parts << MyConsts::sNormsRowsOutside().arg(FRowsOutside);
    if (FUndecodedValues > 0)
        parts << MyConsts::sUndecodedValues().arg(FUndecodedValues);
    FLabel->setText(parts.join(QStringLiteral("  ")));
    FLabel->setVisible(!parts.isEmpty());
}
