#pragma once

// Fonts that travel with the program. The printout wants a narrow face
// (PrintFontFamily, Liberation Sans Narrow) that Windows lacks, so on
// Windows it lies in the `fonts` folder beside the program and is made known
// to this process at start. On Linux the system provides it (Debian's
// fonts-liberation, through fontconfig) and nothing is added.

#include <QStringList>

// Adds the fonts in the program's font folder to the application's fonts;
// needs the application object. Returns the families added (none on Linux,
// or when the folder is missing: the printout then takes the next narrow
// face there is).
QStringList AddProgramFonts();
