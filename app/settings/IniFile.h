#pragma once

// The settings file of the program, handled the way the platform handles
// profile files (see ProfileFile.h). Each use creates a TIniPlus, reads or
// writes, and releases it at once.

#include "ProfileFile.h"

#include <QString>
#include <QStringView>

#include <optional>

// The integer a profile value stands for: "0x1F"/"0X1F" (longer than two
// characters) and "$1F" are hexadecimal, anything else decimal with an
// optional sign. Nothing when the text is no 32-bit integer.
std::optional<int> ProfileTextToInt(QStringView text);

class TIniPlus {
public:
    // Construction does not touch the file.
    explicit TIniPlus(QString fileName);
    // Every write has already reached the disk when its call returned, so
    // releasing the object has nothing left to flush.
    ~TIniPlus() = default;

    TIniPlus(const TIniPlus &) = delete;
    TIniPlus &operator=(const TIniPlus &) = delete;

    const QString &FileName() const { return FFileName; }

    // Why the file exists but cannot be read (a folder, no rights), in
    // Russian; empty when it can be read or is missing. Reads of such a file
    // give the defaults, so the owner should say so.
    QString ReadProblem() const;

    // A present key with an empty value reads as the empty text, not as
    // `defaultValue`. Reading never fails.
    QString ReadString(const QString &section, const QString &ident, const QString &defaultValue) const;
    // `defaultValue` when the key is missing or its text is no 32-bit integer.
    int ReadInteger(const QString &section, const QString &ident, int defaultValue) const;

    // Both throw EIniFileException ("Unable to write to <path>: <cause>") when the file
    // cannot be written; the previous file then stays as it was.
    void WriteString(const QString &section, const QString &ident, const QString &value);
    void WriteInteger(const QString &section, const QString &ident, int value);

private:
    QString FFileName;
};
