#include "FormDialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class TQtFormDialogs final : public IFormDialogs {
public:
    TSaveAnswer AskSaveOnClose(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, Caption, Text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, Parent);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return TSaveAnswer::Yes;
        case QMessageBox::No:
            return TSaveAnswer::No;
        default:
            return TSaveAnswer::Cancel;
        }
    }

    bool Confirm(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Question, Caption, Text, QMessageBox::Yes | QMessageBox::No, Parent);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
        return box.exec() == QMessageBox::Yes;
    }

    void ShowError(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Critical, Caption, Text, QMessageBox::Ok, Parent);
        box.exec();
    }
    void ShowInformation(QWidget *Parent, const QString &Text, const QString &Caption) override
    {
        QMessageBox box(QMessageBox::Information, Caption, Text, QMessageBox::Ok, Parent);
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
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        return Run(dialog);
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

    static QString Run(QFileDialog &dialog)
    {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }
};

} // namespace

std::unique_ptr<IFormDialogs> CreateQtFormDialogs()
{
    return std::make_unique<TQtFormDialogs>();
}
