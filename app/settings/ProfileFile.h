#pragma once

// Profile (INI) files in the Windows manner: "[Section]" lines followed by
// "key=value" lines, 8-bit text in Windows-1251 (or UTF-8 text in a file
// that begins with a UTF-8 byte-order mark, which writing keeps). Names match without regard
// to letter case; a value loses the blanks around it and one pair of
// enclosing quotes, and at most 2047 characters of it are read. Writing
// changes only the one line concerned and keeps every other byte of the file.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a profile file cannot be written. what() is UTF-8: "Unable to
// write to <path>: <cause>"; the parts are there for an owner that words
// its own message.
class EIniFileException : public std::runtime_error {
public:
    EIniFileException(const QString &path, const QString &cause, std::optional<QString> refusedValue = std::nullopt);

    const QString &Path() const { return FPath; }
    // Ready to follow a colon: the disk's cause in Russian (see FileError),
    // or what was wrong with a name or value.
    const QString &Cause() const { return FCause; }
    // The value the file cannot hold, when that was the failure (see
    // ProfileValueFaultOf for why).
    const std::optional<QString> &RefusedValue() const { return FRefusedValue; }

private:
    QString FPath;
    QString FCause;
    std::optional<QString> FRefusedValue;
};

// The longest value text a read returns; a longer value is cut there.
inline constexpr qsizetype kProfileMaxValueLength = 2047;

// The bytes of one profile file held in memory, split into lines whose own
// line ends are kept, so that writing back reproduces what was not changed.
class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(const QByteArray &bytes);

    // The value of a key, or nothing when the section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;

    // Sets a key: replaces the value of an existing key where it stands, adds
    // a missing key after the last non-blank line of its section and a missing
    // section at the end. Returns false when the key already read as `value`
    // and nothing changed. Throws std::invalid_argument for a name or value
    // that cannot be stored in a profile line (see ProfileValueProblem).
    bool setValue(QStringView section, QStringView key, const QString &value);

    QByteArray toBytes() const;

private:
    struct Line {
        QByteArray text; // without the line end
        QByteArray end;  // "\r\n", "\n" or empty for a last line without one
    };
    struct KeyLine {
        qsizetype index;
        QByteArray rawValue;
    };
    // Index range [first, last) of the lines of a section, the header at first.
    struct SectionRange {
        qsizetype header;
        qsizetype end;
    };

    std::optional<SectionRange> findSection(QStringView section) const;
    std::optional<KeyLine> findKey(const SectionRange &range, QStringView key) const;
    QByteArray lineEndForNewLines() const;

    std::vector<Line> FLines;
    bool FUtf8 = false; // began with a UTF-8 byte-order mark
};

// Why `text` cannot be stored as a section name, key name or value, or an
// empty text when it can. Line breaks would split the line and so corrupt
// the file; characters outside Windows-1251 would come back as others; a
// value longer than kProfileMaxValueLength would come back cut.
enum class ProfilePart { Section, Key, Value };
QString ProfileValueProblem(ProfilePart part, QStringView text);

// Why a value cannot be stored, for an owner that words it itself.
enum class ProfileValueFault { None, LineBreak, NotInWindows1251, TooLong };
ProfileValueFault ProfileValueFaultOf(QStringView value);

// Whole-file operations on a profile file on disk.
namespace ProfileFile {

// Reading never fails: a missing or unreadable file reads like an empty one.
std::optional<QString> ReadValue(const QString &path, QStringView section, QStringView key);

// Why a file that exists cannot be read (a folder, no rights), in Russian;
// empty when it can be read or does not exist.
QString ReadProblem(const QString &path);

// Writes one key at once, durably (see DurableFile): the file is replaced
// through a temporary file, or written in place where its folder refuses new
// files, so it is either the old or the new file, never a torn one. A
// missing file is created. Throws EIniFileException with
// "Unable to write to <path>: <cause>" when the file cannot be written, and
// also when an existing file cannot be read, since rewriting it would lose
// its content.
void WriteValue(const QString &path, QStringView section, QStringView key, const QString &value);

} // namespace ProfileFile
