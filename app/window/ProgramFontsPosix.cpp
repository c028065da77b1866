// Linux: the system's fonts, found through fontconfig, include the
// printout's; the program brings none of its own.

#include "ProgramFonts.h"

QStringList AddProgramFonts()
{
    return {};
}
