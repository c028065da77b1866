// Nivara: registers the results of a milk analyzer on a serial line in a
// journal. The entry creates the main window and runs the event loop until
// the window closes, or until a termination signal or the desktop's logout
// ends the program in order.

#include "NivaraApplication.h"
#include "QtTranslations.h"
#include "Unit1.h"

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    // The desktop entry's name, so that the desktop shows the window under
    // its menu entry and icon.
    application.setDesktopFileName(QStringLiteral("ru.nivara.Nivara"));
    // From the start, so that a signal inside a box shown while the window
    // is being built ends the program in order too; there is nothing to
    // write yet.
    application.EndOnTermination({});
    // Qt's dialogs and standard buttons in the operator's language.
    const TQtTranslations qtTranslations(QLocale{});
    TForm1 Form1;
    application.EndOnTermination([&Form1] { Form1.FormEndSession(); });
    Form1.show();
    return application.exec();
}
