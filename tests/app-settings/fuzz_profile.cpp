// Feeds arbitrary bytes to the profile reader and writer.
#include "ProfileFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ProfileDocument document(bytes);
    if (document.toBytes() != bytes)
        std::abort(); // an untouched document must give back its bytes exactly

    for (const char *key : {"COM", "FileName", "DeviceNumber"}) {
        const auto before = document.value(u"Config", QString::fromLatin1(key));
        if (before && before->size() > kProfileMaxValueLength)
            std::abort();
    }

    const QString value = QStringLiteral(" Новый.txt ");
    document.setValue(u"Config", u"FileName", value);
    ProfileDocument reread(document.toBytes());
    if (reread.value(u"config", u"filename") != value)
        std::abort();
    return 0;
}
