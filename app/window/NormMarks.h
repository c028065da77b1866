#pragma once

// Quality norms in the journal grid: cells outside their norm and values
// that did not decode (entered as zero) get a fill of their own and the
// grid's mark (a frame and a corner triangle, which shows without colour
// too); the status bar's field counts the rows outside a norm and the
// values not decoded, and a result row that arrives with either alerts the
// window, as a lost link does. The grid's OnGetCellColor and OnGetCellMark
// are assigned only while there is something to mark (norms set, or a
// value not decoded), so that otherwise the grid paints exactly as without
// them. Printouts mark the same cells (JournalDocument::SetOutsideNorm).

#include "QualityNorms.h"

#include <QChar>
#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class JournalDocument;
class QLabel;
class QWidget;
class TColorStringGrid;

class TNormMarks : public QObject {
    Q_OBJECT
public:
    // The fill of a marked cell.
    static QColor MarkColor();

    // Window is alerted and holds the status bar's field; Separator is the
    // decimal separator of the journal's values. Journal must outlive the
    // marks' last use (the window holds both).
    TNormMarks(TColorStringGrid &Grid, JournalDocument &Journal, QWidget *Window, QChar Separator);
    ~TNormMarks() override;

    void SetNorms(const TQualityNorms &Norms);
    const TQualityNorms &Norms() const { return FNorms; }
    // How the window is alerted; by default QApplication::alert on it.
    void SetAlert(std::function<void(QWidget *Window)> Alert) { FAlert = std::move(Alert); }

    // Grid coordinates: row 0 the captions.
    bool IsMarked(int Row, int Col) const;
    int RowsOutside() const { return FRowsOutside; }
    int UndecodedValues() const { return FUndecodedValues; }
    // Whether the grid's hooks are assigned now.
    bool Painting() const;
    // The status bar's field; hidden while it has nothing to say.
    QLabel *StatusLabel() const { return FLabel; }

private:
    bool RowOutside(int Row) const;
    void Recount();
    void RowsChanged(int First, int Last);
    void RowsAppended(int First, int Last);
    void Show();

    QPointer<TColorStringGrid> FGrid; // the window deletes it before this
    JournalDocument &FJournal;
    QWidget *FWindow;
    QChar FSeparator;
    TQualityNorms FNorms;
    std::function<void(QWidget *)> FAlert;
    std::vector<bool> FOutside; // by model row: the row breaks a norm
    int FRowsOutside = 0;
    int FUndecodedValues = 0;
    QLabel *FLabel = nullptr;
};
