#include "JournalGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <limits>

namespace {

constexpr int TextInset = 2;
constexpr int GridLineWidth = 1;

} // namespace

// Paints data cells through the grid and reports the editor's opening.
class ColorGridDelegate : public QStyledItemDelegate {
public:
    explicit ColorGridDelegate(TColorStringGrid *grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        TGridDrawState state;
        if (index.column() == 0)
            state |= TGridDrawStateFlag::gdFixed;
        if (option.state & QStyle::State_Selected)
            state |= TGridDrawStateFlag::gdSelected;
        if (FGrid->currentIndex() == index && FGrid->hasFocus())
            state |= TGridDrawStateFlag::gdFocused;
        FGrid->PaintCell(painter, option.rect, index.row() + 1, index.column(), state,
                         index.data(Qt::DisplayRole).toString());
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        // The default 32767 would cut a long label when it is edited.
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setMaxLength(std::numeric_limits<int>::max());
            if (FGrid->OnEditorCreated)
                FGrid->OnEditorCreated(FGrid, index.column(), index.row() + 1, line);
        }
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        QString value = index.data(Qt::EditRole).toString();
        FGrid->GetEditText(index.column(), index.row() + 1, value);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setText(value);
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    TColorStringGrid *FGrid;
};

// The caption row, painted like the other fixed cells.
class ColorGridHeader : public QHeaderView {
public:
    explicit ColorGridHeader(TColorStringGrid *grid) : QHeaderView(Qt::Horizontal, grid), FGrid(grid) {}

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        FGrid->PaintCell(painter, rect, 0, logicalIndex, TGridDrawStateFlag::gdFixed, text);
        painter->save();
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->restore();
    }

private:
    TColorStringGrid *FGrid;
};

TColorStringGrid::TColorStringGrid(QWidget *parent) : QTableView(parent)
{
    setHorizontalHeader(new ColorGridHeader(this));
    setItemDelegate(new ColorGridDelegate(this));

    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionsMovable(false);

    QHeaderView *columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionsMovable(false);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setMinimumSectionSize(0);
    columns->setStretchLastSection(false);
    columns->setFixedHeight(RowHeight);

    setShowGrid(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    SetEditing(false);
}

void TColorStringGrid::SetEditing(bool on)
{
    FEditing = on;
    setEditTriggers(on ? (QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked)
                       : QAbstractItemView::NoEditTriggers);
}

int TColorStringGrid::ClientWidth() const
{
    return viewport()->width();
}

std::array<int, JournalColumns::Count> TColorStringGrid::FittedColumnWidths(int clientWidth)
{
    // Two half-width columns make up one whole: Count - 1 widths in all.
    const int w = std::max(0, (clientWidth - 2) / (JournalColumns::Count - 1));
    std::array<int, JournalColumns::Count> widths;
    widths.fill(w);
    widths[0] = w / 2;
    widths[4] = w / 2;
    return widths;
}

void TColorStringGrid::FitColumns()
{
    const auto widths = FittedColumnWidths(ClientWidth());
    QHeaderView *columns = horizontalHeader();
    columns->setDefaultSectionSize(widths[1]);
    for (int c = 0; c < columns->count(); ++c)
        columns->resizeSection(c, c < int(widths.size()) ? widths[size_t(c)] : widths[1]);
    WidenNumberColumn();
}

int TColorStringGrid::NumberColumnWidth() const
{
    const int rows = model() ? model()->rowCount() : 0;
    const QFontMetrics metrics(font());
    // The widest digit in every place, so the width does not change with
    // each new number.
    int digit = 0;
    for (char16_t d = u'0'; d <= u'9'; ++d)
        digit = std::max(digit, metrics.horizontalAdvance(QChar(d)));
    return TextInset + digit * int(QString::number(std::max(rows, 1)).size()) + TextInset + GridLineWidth;
}

void TColorStringGrid::WidenNumberColumn()
{
    if (horizontalHeader()->count() == 0)
        return;
    if (const int wanted = NumberColumnWidth(); columnWidth(0) < wanted)
        horizontalHeader()->resizeSection(0, wanted);
}

void TColorStringGrid::PaintCell(QPainter *painter, const QRect &rect, int row, int col, TGridDrawState state,
                                 const QString &text) const
{
    const QPalette &pal = palette();
    QBrush brush = pal.brush(QPalette::Base);
    TCellFont font{this->font(), pal.color(QPalette::Text)};
    if (state & TGridDrawStateFlag::gdFixed) {
        brush = pal.brush(QPalette::Button);
        font.Color = pal.color(QPalette::ButtonText);
    } else if ((state & TGridDrawStateFlag::gdSelected) && !(state & TGridDrawStateFlag::gdFocused)) {
        brush = pal.brush(QPalette::Highlight);
        font.Color = pal.color(QPalette::HighlightedText);
    }
    if (OnGetCellColor)
        OnGetCellColor(const_cast<TColorStringGrid *>(this), row, col, state, brush, font);

    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, brush);
    painter->setFont(font.Font);
    painter->setPen(font.Color);
    const QRect textRect = rect.adjusted(TextInset, TextInset, 0, 0);
    // Only what fits can show; a cell may hold megabytes.
    const QString shown = text.size() > textRect.width() + 1 ? text.left(std::max(0, textRect.width() + 1)) : text;
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    if (OnGetCellMark && !(state & TGridDrawStateFlag::gdFixed) &&
        OnGetCellMark(const_cast<TColorStringGrid *>(this), row, col))
        PaintMark(painter, rect, font.Color);
    if (state & TGridDrawStateFlag::gdFocused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect.adjusted(1, 1, -1, -1);
        focus.backgroundColor = brush.color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
    painter->restore();
}

void TColorStringGrid::PaintMark(QPainter *painter, const QRect &rect, const QColor &color)
{
    // The view leaves the grid's lines outside a cell's rectangle.
    const QRect &inside = rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    constexpr int frame = 2;
    painter->drawRect(QRect(inside.left(), inside.top(), inside.width(), frame));
    painter->drawRect(QRect(inside.left(), inside.bottom() - frame + 1, inside.width(), frame));
    painter->drawRect(QRect(inside.left(), inside.top(), frame, inside.height()));
    painter->drawRect(QRect(inside.right() - frame + 1, inside.top(), frame, inside.height()));
    const int corner = std::min({9, inside.width(), inside.height()});
    const QPoint topRight(inside.right() + 1, inside.top());
    painter->drawPolygon(QPolygon({topRight, topRight - QPoint(corner, 0), topRight + QPoint(0, corner)}));
    painter->restore();
}

bool TColorStringGrid::event(QEvent *e)
{
    const bool handled = QTableView::event(e);
    // The widget's own resizes, not the viewport's: a scroll bar that comes
    // and goes must not discard widths the operator dragged.
    if (e->type() == QEvent::Resize || e->type() == QEvent::Show)
        FitColumns();
    return handled;
}

void TColorStringGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (current.isValid() && !FRevertingSelection) {
        bool canSelect = true;
        if (OnSelectCell)
            OnSelectCell(this, current.column(), current.row() + 1, canSelect);
        if (!canSelect) {
            FRevertingSelection = true;
            selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
            FRevertingSelection = false;
            return;
        }
    }
    FChangingCurrent = true;
    QTableView::currentChanged(current, previous);
    FChangingCurrent = false;
}

void TColorStringGrid::keyboardSearch(const QString &) {}

void TColorStringGrid::keyPressEvent(QKeyEvent *e)
{
    // While the editor is open, Enter reaches the grid only on its way up
    // from the editor, which ends through closeEditor.
    const bool enter =
        e->key() == Qt::Key_Return || (e->key() == Qt::Key_Enter && e->modifiers() == Qt::KeypadModifier);
    if (enter && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !IsEditing()) {
        MoveDown();
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void TColorStringGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter in the editor ends it with SubmitModelCache, after its text has
    // been committed; Tab, Esc and a lost focus end it otherwise.
    // Moving the current cell away closes the editor with that hint too; the
    // cell is chosen then.
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache && !FChangingCurrent)
        MoveDown();
}

void TColorStringGrid::MoveDown()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const QModelIndex below = current.sibling(current.row() + 1, current.column());
    if (below.isValid())
        selectionModel()->setCurrentIndex(below, QItemSelectionModel::ClearAndSelect);
}

void TColorStringGrid::rowsInserted(const QModelIndex &parent, int first, int last)
{
    QTableView::rowsInserted(parent, first, last);
    WidenNumberColumn();
}

void TColorStringGrid::reset()
{
    QTableView::reset();
    WidenNumberColumn();
}

void TColorStringGrid::GetEditText(int col, int row, QString &value)
{
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
}
