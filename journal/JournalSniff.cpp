#include "JournalSniff.h"

#include "FileError.h"
#include "RegularFile.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

namespace {

// A spreadsheet's row has a separator between every two of its columns; a
// label with a semicolon or two in it does not make a file a spreadsheet.
constexpr int kManySemicolons = 3;

bool Continuation(unsigned char Byte)
{
    return (Byte & 0xC0) == 0x80;
}

// Whether the bytes are valid UTF-8 (a sequence cut by the sample's end
// counts as valid) with at least two Cyrillic letters in a row.
//
// Windows-1251 puts every Cyrillic letter at 0xC0-0xFF, so two of them in a
// row, as in any Russian word, are never valid UTF-8: a journal passes this
// test only if each of its Cyrillic letters is a "Р" or "С" followed by a
// punctuation byte. Text in UTF-8 without a mark thus is told apart, while
// journals of plain digits and Latin letters (valid UTF-8 as well) are left
// alone since they hold no Cyrillic.
bool IsUtf8CyrillicText(QByteArrayView Bytes)
{
    bool previousCyrillic = false;
    bool twoInARow = false;
    const qsizetype size = Bytes.size();
    for (qsizetype i = 0; i < size;) {
        const auto lead = static_cast<unsigned char>(Bytes[i]);
        if (lead < 0x80) {
            previousCyrillic = false;
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > size) { // cut by the end of the sample
            for (qsizetype k = i + 1; k < size; ++k)
                if (!Continuation(static_cast<unsigned char>(Bytes[k])))
                    return false;
            break;
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(Bytes[i + k]);
            if (!Continuation(next))
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are no UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        const bool cyrillic = code >= 0x400 && code <= 0x4FF;
        twoInARow = twoInARow || (cyrillic && previousCyrillic);
        previousCyrillic = cyrillic;
        i += length;
    }
    return twoInARow;
}

bool SemicolonsWithoutTabs(QByteArrayView Bytes)
{
    if (Bytes.contains('\t'))
        return false;
    int inLine = 0;
    for (const char c : Bytes) {
        if (c == '\n')
            inLine = 0;
        else if (c == ';' && ++inLine >= kManySemicolons)
            return true;
    }
    return false;
}

} // namespace

TJournalLook SniffJournal(QByteArrayView FirstBytes)
{
    const QByteArrayView bytes = FirstBytes.first(std::min(FirstBytes.size(), kJournalSniffBytes));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return TJournalLook::Utf16;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TJournalLook::Utf8;
    if (bytes.contains('\0'))
        return TJournalLook::NulBytes;
    if (IsUtf8CyrillicText(bytes))
        return TJournalLook::Utf8;
    if (SemicolonsWithoutTabs(bytes))
        return TJournalLook::Semicolons;
    return TJournalLook::Journal;
}

std::optional<TJournalLook> SniffJournalFile(const QString &FileName)
{
    // Regular files only: a pipe or a device is no journal to judge, and
    // reading it could block or take its data.
    try {
        TRegularFileReader file;
        if (!file.Open(FileName))
            return std::nullopt;
        QByteArray bytes(kJournalSniffBytes, Qt::Uninitialized);
        qsizetype filled = 0;
        while (filled < bytes.size()) {
            const qint64 n = file.Read(bytes.data() + filled, bytes.size() - filled);
            if (n == 0)
                break;
            filled += qsizetype(n);
        }
        bytes.truncate(filled);
        return SniffJournal(bytes);
    } catch (const EFileError &) {
        return std::nullopt;
    }
}
