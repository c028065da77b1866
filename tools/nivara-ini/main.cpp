// nivara-ini: reads or sets one key of a Nivara settings file from the
// command line through the program's own settings-file layer, so that a
// script changes the file exactly as the program would: only the one line
// concerned, in Windows-1251, replaced atomically.

#include "IniFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

constexpr const char *kUsage = "usage: nivara-ini set <file> <section> <key> <value>\n"
                               "       nivara-ini get <file> <section> <key> [default]\n"
                               "\n"
                               "set  changes that key where it stands and leaves every other line as it\n"
                               "     is; a missing key, section or file is added.\n"
                               "get  prints the key's value, or the default (empty when not given) when\n"
                               "     the file, the section or the key is missing.\n";

} // namespace

int main(int argc, char **argv)
{
    // The arguments as the system has them: on Windows in UTF-16, so that a
    // journal name the ANSI code page lacks (Cyrillic on an English Windows)
    // is not lost on the way.
    const QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        if (args.size() == 5 && args[0] == QLatin1String("set")) {
            TIniPlus(args[1]).WriteString(args[2], args[3], args[4]);
            return 0;
        }
        if ((args.size() == 4 || args.size() == 5) && args[0] == QLatin1String("get")) {
            const QString value = TIniPlus(args[1]).ReadString(args[2], args[3], args.value(4));
            std::fputs((value.toLocal8Bit() + '\n').constData(), stdout);
            return 0;
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "nivara-ini: %s\n", error.what());
        return 1;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
