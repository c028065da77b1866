// Any format, text, selection and key: no crash, and the filter's answers
// stay within what the field may insert.

#include "NumberEdit.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 12)
        return 0;
    long double value;
    double seed;
    std::memcpy(&seed, data, sizeof seed);
    value = seed;
    const auto type = static_cast<TNumberEditType>(data[8] % 4);
    const QChar key(static_cast<char16_t>(data[9] | (data[10] << 8)));
    const QChar separator = data[11] & 1 ? QChar(u',') : QChar(u'.');
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 12), static_cast<qsizetype>(size - 12));

    numedit::FormatValue(value, text, separator);
    numedit::ReadFieldText(text, separator);

    const qsizetype start = text.isEmpty() ? 0 : data[9] % (text.size() + 1);
    const qsizetype end = start + (text.isEmpty() ? 0 : data[10] % (text.size() - start + 1));
    try {
        const QChar passed = numedit::FilterTypedKey(type, key, text, start, end, separator);
        const bool allowed = passed.isNull() || (passed >= u'0' && passed <= u'9') || passed == u'-' ||
                             passed == separator || passed == QChar(8) || passed == QChar(27) || passed == QChar(127);
        if (!allowed)
            std::abort();
    } catch (const ENumberEditConvertError &) {
    }
    return 0;
}
