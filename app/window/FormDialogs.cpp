#include "FormDialogs.h"

#include "NormsDialog.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

class TQtFormDialogs final : public IFormDialogs {
public:
    TSaveAnswer AskSaveOnClose(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, Caption, WithLineBreakPlaces(Text),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Parent);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes: return TSaveAnswer::Yes;
        case QMessageBox::No: return TSaveAnswer::No;
        default: return TSaveAnswer::Cancel;
        }
    }

    bool Confirm(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Question, Caption, WithLineBreakPlaces(Text), QMessageBox::Yes | QMessageBox::No,
                        Parent);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        return box.exec() == QMessageBox::Yes;
    }

    bool ConfirmWarning(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        // The standard buttons keep their texts, which Qt's translations give
        // in the operator's language.
        QMessageBox box(QMessageBox::Warning, Caption, WithLineBreakPlaces(Text), QMessageBox::Yes | QMessageBox::No,
                        Parent);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    QString AskText(QWidget *Parent, const QString &Caption, const QString &Label, const QString &Text) override
    {
        bool accepted = false;
        const QString text = QInputDialog::getText(Parent, Caption, Label, QLineEdit::Normal, Text, &accepted);
        return accepted ? text.trimmed() : QString();
    }

    std::optional<TQualityNorms> EditNorms(QWidget *Parent, const TQualityNorms &Norms, QChar Separator) override
    {
        TNormsDialog dialog(Norms, Separator, Parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Norms();
    }

    void ShowError(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Critical, Caption, WithLineBreakPlaces(Text), QMessageBox::Ok, Parent);
        box.exec();
    }
    void ShowInformation(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Information, Caption, WithLineBreakPlaces(Text), QMessageBox::Ok, Parent);
        box.exec();
    }

    QString GetOpenFileName(QWidget *Parent, const TFileDialogSetup &Setup) override
    {
        QFileDialog dialog(Parent);
        Prepare(dialog, Setup);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        return Run(dialog);
    }

    QString GetSaveFileName(QWidget *Parent, const TFileDialogSetup &Setup) override
    {
        QFileDialog dialog(Parent);
        Prepare(dialog, Setup);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The dialog's own question before it replaces an existing file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        for (;;) {
            const QString name = Run(dialog);
            if (name.isEmpty() || !SuffixAddedUnasked(dialog, name) || ConfirmReplace(dialog, name))
                return name;
            dialog.selectFile(name);
        }
    }

private:
    static void Prepare(QFileDialog &dialog, const TFileDialogSetup &Setup)
    {
        dialog.setNameFilter(Setup.Filter);
        // The list shows the description alone, "text files (.txt)".
        dialog.setOption(QFileDialog::HideNameFilterDetails, true);
        dialog.setDefaultSuffix(Setup.DefaultSuffix);
        if (!Setup.FileName.isEmpty())
            dialog.selectFile(Setup.FileName);
    }

    // A native dialog (GTK, the desktop portal) asks about the name as typed;
    // the default suffix that Qt adds afterwards may make it an existing file
    // that nobody was asked about. Qt's own dialog asks about the final name.
    static bool SuffixAddedUnasked(const QFileDialog &dialog, const QString &name)
    {
        const bool native = dialog.findChild<QWidget *>(QStringLiteral("fileNameEdit")) == nullptr;
        return native && !dialog.defaultSuffix().isEmpty() &&
               name.endsWith(QLatin1Char('.') + dialog.defaultSuffix()) && QFileInfo::exists(name);
    }

    // The question Qt's own dialog asks, in its words.
    static bool ConfirmReplace(QFileDialog &dialog, const QString &name)
    {
        const QString text =
            QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(name).fileName());
        return QMessageBox::warning(dialog.parentWidget(), dialog.windowTitle(), text,
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }

    static QString Run(QFileDialog &dialog)
    {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }
};

} // namespace

namespace {

constexpr QChar kBreakPlace(0x200B); // zero-width space

bool EndsRun(QChar c)
{
    return c.isSpace() || c == kBreakPlace;
}

// A word too long for a line: a place after each folder separator, where a
// reader expects a path to break, and within a longer piece after every
// MaxRun characters (never between the halves of a surrogate pair).
void AppendLongWord(QString &Out, QStringView Word, int MaxRun)
{
    int run = 0;
    for (qsizetype i = 0; i < Word.size(); ++i) {
        const QChar c = Word[i];
        if (run >= MaxRun && !c.isLowSurrogate()) {
            Out += kBreakPlace;
            run = 0;
        }
        Out += c;
        if (!c.isLowSurrogate())
            ++run;
        if ((c == u'/' || c == u'\\') && i + 1 < Word.size()) {
            Out += kBreakPlace;
            run = 0;
        }
    }
}

} // namespace

QString WithLineBreakPlaces(const QString &Text, int MaxRun)
{
    QString out;
    out.reserve(Text.size() + Text.size() / 8);
    qsizetype i = 0;
    while (i < Text.size()) {
        if (EndsRun(Text[i])) {
            out += Text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < Text.size() && !EndsRun(Text[end]))
            ++end;
        const QStringView word = QStringView(Text).sliced(i, end - i);
        if (word.size() > MaxRun)
            AppendLongWord(out, word, MaxRun);
        else
            out += word;
        i = end;
    }
    return out;
}

QString WithDefaultSuffix(const QString &FileName, const QString &DefaultSuffix)
{
    if (FileName.isEmpty() || !QFileInfo(FileName).suffix().isEmpty() || FileName.endsWith(QLatin1Char('.')))
        return FileName;
    return FileName + QLatin1Char('.') + DefaultSuffix;
}

std::unique_ptr<IFormDialogs> CreateQtFormDialogs()
{
    return std::make_unique<TQtFormDialogs>();
}
