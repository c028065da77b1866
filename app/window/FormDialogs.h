#pragma once

// Every message box and file dialog of the main window goes through this one
// interface, so that the window's commands can be driven without a person:
// tests script the answers, and can let results arrive while a box is "open".

#include "QualityNorms.h"

#include <QString>

#include <memory>
#include <optional>

class QWidget;

enum class TSaveAnswer { Yes, No, Cancel };

class IFormDialogs {
public:
    virtual ~IFormDialogs() = default;

    // The unsaved-changes question at closing: Yes, No and Cancel, Yes the
    // default button, no icon. Esc and the close box answer Cancel.
    virtual TSaveAnswer AskSaveOnClose(QWidget *Parent, const QString &Text, const QString &Caption) = 0;
    // A confirmation with Yes and No; true for Yes. Esc and the close box
    // answer No.
    virtual bool Confirm(QWidget *Parent, const QString &Text, const QString &Caption) = 0;
    // A warning with Yes and No in the operator's language; true for Yes. No
    // is the default, and Esc and the close box answer No too. Dialogs that
    // script no answer say No.
    virtual bool ConfirmWarning(QWidget *Parent, const QString &Text, const QString &Caption)
    {
        (void)Parent, (void)Text, (void)Caption;
        return false;
    }
    // A modal box with an error icon and one OK button.
    virtual void ShowError(QWidget *Parent, const QString &Text, const QString &Caption) = 0;
    // A modal box with an information icon and one OK button.
    virtual void ShowInformation(QWidget *Parent, const QString &Text, const QString &Caption) = 0;

    // The open and save dialogs: one filter, the file to start on, and the
    // default suffix appended to a name typed without one. An empty result
    // means the operator cancelled. Open accepts a name of a file that does
    // not exist. Save asks before it returns the name of an existing file
    // (with the default suffix applied): the operator replaces it, or picks
    // another name, or cancels.
    struct TFileDialogSetup {
        QString FileName;
        QString Filter;        // "description (*.ext)"
        QString DefaultSuffix; // without the dot
    };
    virtual QString GetOpenFileName(QWidget *Parent, const TFileDialogSetup &Setup) = 0;
    virtual QString GetSaveFileName(QWidget *Parent, const TFileDialogSetup &Setup) = 0;

    // A line of text, offered with Text to edit; empty when the operator
    // cancelled or left it blank. Dialogs that script no answer cancel.
    virtual QString AskText(QWidget *Parent, const QString &Caption, const QString &Label, const QString &Text)
    {
        (void)Parent, (void)Caption, (void)Label, (void)Text;
        return {};
    }

    // The quality norms dialog (TNormsDialog) on Norms, bounds written with
    // Separator; the norms the operator chose, nothing when cancelled.
    // Dialogs that script no answer cancel.
    virtual std::optional<TQualityNorms> EditNorms(QWidget *Parent, const TQualityNorms &Norms, QChar Separator)
    {
        (void)Parent, (void)Norms, (void)Separator;
        return std::nullopt;
    }
};

// The name a file dialog returned, with the default suffix (without the dot)
// added when the name has none, as the dialog itself does; "name." asks for
// no suffix at all. Covers dialogs that return a name as typed.
QString WithDefaultSuffix(const QString &FileName, const QString &DefaultSuffix);

// A box's text with places to break lines inside long runs without blanks
// (a path, a long file name), so that the box keeps to the screen's width:
// after a folder separator, and at the latest after MaxRun characters.
// Zero-width spaces, which the box does not show.
QString WithLineBreakPlaces(const QString &Text, int MaxRun = 40);

// The real boxes and dialogs: QMessageBox and QFileDialog.
std::unique_ptr<IFormDialogs> CreateQtFormDialogs();
