// Nivara: registers the results of a milk analyzer on a serial line in a
// journal. The entry creates the main window and runs the event loop until
// the window closes.

#include "NivaraApplication.h"
#include "Unit1.h"

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    TForm1 Form1;
    Form1.show();
    return application.exec();
}
