// Nivara: registers the results of a milk analyzer on a serial line in a
// journal. The entry creates the main window and runs the event loop until
// the window closes, or until a termination signal or the desktop's logout
// ends the program in order. A start in a settings folder whose program is
// running already brings that one's window forward instead.

#include "FormDialogs.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "ProgramFonts.h"
#include "ProgramTexts.h"
#include "QtTranslations.h"
#include "SettingsLocation.h"
#include "StationInstance.h"
#include "WindowToFront.h"

#include <QDir>

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

    TForm1Setup setup;
    setup.Location = PrepareSettingsLocation();
    // Before the result log is read: one program per settings folder.
    TStationInstance instance(ResultLogFileName(setup.Location->IniFileName));
    instance.OnBringForward = [] { BringWindowToFront(nullptr); };
    switch (instance.Claim()) {
    case TStartVerdict::Run: break;
    case TStartVerdict::BroughtForward: return 0;
    case TStartVerdict::NotAnswering:
        CreateQtFormDialogs()->ShowError(nullptr,
                                         MyConsts::sAlreadyRunning().arg(QDir::toNativeSeparators(instance.Folder())),
                                         QStringLiteral("Nivara"));
        return 1;
    }

    // The print font, where the program brings it along.
    AddProgramFonts();
    TForm1 Form1(std::move(setup));
    instance.OnBringForward = [&Form1] { BringWindowToFront(&Form1); };
    application.EndOnTermination([&Form1] { Form1.FormEndSession(); });
    Form1.show();
    return application.exec();
}
