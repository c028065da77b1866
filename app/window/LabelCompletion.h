#pragma once
// Completion in the label cell's editor. While the operator types, a list
// drops down with the journal's labels and the suppliers' file that contain
// what was typed. It only offers: the label changes when the operator picks
// an entry (arrow keys and Enter, or a click); Enter on what was typed keeps
// what was typed, and typing is never held up or rewritten.

#include "FileStamp.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QCompleter;
class QLineEdit;
class QStringListModel;

class TLabelCompletion : public QObject {
public:
    // JournalLabels: the journal's labels, first row first. SupplierFile: the
    // suppliers' file, read again whenever it has changed.
    TLabelCompletion(std::function<QStringList()> JournalLabels, std::function<QString()> SupplierFile,
                     QObject *Parent = nullptr);

    // Equips an editor that has just opened on a label cell.
    void Attach(QLineEdit *Editor);

    // What the list offers now (for the tests).
    QStringList Offer();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    const QStringList &Suppliers();

    std::function<QStringList()> FJournalLabels;
    std::function<QString()> FSupplierFile;
    QCompleter *FCompleter;
    QStringListModel *FModel;
    // The suppliers as last read, and the file's stamp then.
    QString FSupplierFileName;
    TFileStamp FSupplierStamp;
    QStringList FSuppliers;
};
