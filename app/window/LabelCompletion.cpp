#include "LabelCompletion.h"

#include "FileError.h"
#include "LabelCandidates.h"
#include "RegularFile.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>

TLabelCompletion::TLabelCompletion(std::function<QStringList()> JournalLabels, std::function<QString()> SupplierFile,
                                   QObject *Parent)
    : QObject(Parent)
    , FJournalLabels(std::move(JournalLabels))
    , FSupplierFile(std::move(SupplierFile))
    , FCompleter(new QCompleter(this))
    , FModel(new QStringListModel(this))
{
    FCompleter->setModel(FModel);
    // A list to choose from, never text put into the cell unasked; a
    // supplier is found by any part of its name ("ООО Заря" by "заря").
    FCompleter->setCompletionMode(QCompleter::PopupCompletion);
    FCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    FCompleter->setFilterMode(Qt::MatchContains);
    FCompleter->setMaxVisibleItems(10);
    // Installed after the completer's own filter, so it sees the keys first.
    FCompleter->popup()->installEventFilter(this);
}

bool TLabelCompletion::eventFilter(QObject *Watched, QEvent *Event)
{
    // Enter with nothing chosen in the list: the completer would only close
    // the list, and the cell would want a second Enter. It goes to the
    // editor as if there were no list, which takes the label as typed.
    if (Watched == FCompleter->popup() && Event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(Event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !FCompleter->popup()->currentIndex().isValid() && FCompleter->widget()) {
            FCompleter->popup()->hide();
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(FCompleter->widget(), &copy);
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

void TLabelCompletion::Attach(QLineEdit *Editor)
{
    FModel->setStringList(Offer());
    Editor->setCompleter(FCompleter);
}

QStringList TLabelCompletion::Offer()
{
    return LabelCandidates(FJournalLabels(), Suppliers());
}

const QStringList &TLabelCompletion::Suppliers()
{
    const QString fileName = FSupplierFile();
    const TFileStamp stamp = FileStampOf(fileName);
    if (fileName == FSupplierFileName && stamp == FSupplierStamp)
        return FSuppliers;
    FSupplierFileName = fileName;
    FSupplierStamp = stamp;
    FSuppliers.clear();
    // A file that cannot be read offers nothing; the label is typed as ever.
    try {
        if (const std::optional<QByteArray> bytes = TRegularFileReader::ReadAll(fileName))
            FSuppliers = ReadSupplierList(*bytes);
    } catch (const EFileError &) {
    }
    return FSuppliers;
}
