#pragma once

// TNumberEdit: a one-line numeric entry field. While the operator types it
// lets through only what can make up a number of its entry type and refuses
// keystrokes that would take an integer out of its type's range; on losing
// the focus it reads its text into Value and shows Value in DisplayFormat.

#include <QChar>
#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

enum class TNumberEditType : std::uint8_t {
    integervalue = 0,       // 16-bit signed
    longintvalue = 1,       // 32-bit signed
    floatingpointvalue = 2, // floating point
    wordvalue = 3,          // 16-bit unsigned
};

// A keystroke whose candidate text is no 32-bit integer.
class ENumberEditConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The field's rules as plain functions, so that they can be used and checked
// without a widget.
namespace numedit {

inline constexpr QChar Backspace{8};
inline constexpr QChar Escape{27};
inline constexpr QChar Return{13};
inline constexpr QChar DeleteCharacter{127};

// The decimal separator of the regional settings (the default QLocale).
QChar RegionalDecimalSeparator();

// "0.00;-0.00" for floating point, "0;-0" for the integer types.
QString DefaultDisplayFormat(TNumberEditType type);

// Formats `value` with a display format of up to three sections
// (positive;negative;zero). A section holds "0" (a digit always shown), "#"
// (a digit shown when significant), one "." (where `decimalSeparator` goes),
// quoted or plain literal text; "," (grouping) is not supported and ignored.
// Rounds a half away from zero to the places the section shows.
QString FormatValue(long double value, const QString &format, QChar decimalSeparator);

// Reads the text of a field as it is committed on losing the focus: a "-" or
// "(" anywhere makes it negative; only digits and the separator count. An
// empty reading gives 0; nullopt when the digits cannot be read as a number.
std::optional<long double> ReadFieldText(const QString &text, QChar decimalSeparator);

// The key filter for one typed character `key`, given the text and the
// selection [selectionStart, selectionEnd) (equal when there is only a caret).
// Returns the character to insert, or a null QChar when it is refused.
// Escape comes back unchanged; restoring the value is the field's business.
// Throws ENumberEditConvertError when an integer candidate is no 32-bit integer.
QChar FilterTypedKey(TNumberEditType type, QChar key, const QString &text, qsizetype selectionStart,
                     qsizetype selectionEnd, QChar decimalSeparator);

} // namespace numedit

class TNumberEdit : public QLineEdit {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    // The handler may change Key, or set it to a null QChar to discard it.
    using TKeyPressEvent = std::function<void(QObject *Sender, QChar &Key)>;

    explicit TNumberEdit(QWidget *parent = nullptr);

    TNumberEditType EntryRequired() const { return FEntryRequired; }
    // Also replaces DisplayFormat with the type's default.
    void SetEntryRequired(TNumberEditType type);

    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString &format);

    // While the operator types, Value keeps its number; text and Value agree
    // again once the field has lost the focus.
    long double Value() const { return FValue; }
    void SetValue(long double value);

    // Value as it was when the field last got the focus; Escape restores it.
    long double SavedValue() const { return FSavedValue; }

    void ResetDisplayFormat();
    void ValueToText();
    void TextToValue();
    // Commits the typed text as losing the focus does, if the field is being
    // edited. For a focus that moves away while the window is not active,
    // where no focus-out event comes.
    void CommitEditing();

    // Fired whenever the text changes, also when the field rewrites it.
    TNotifyEvent OnChange;
    // Fired after the field got the focus (value saved, text selected).
    TNotifyEvent OnEnter;
    // Fired after the field lost the focus (text already committed).
    TNotifyEvent OnExit;
    // Fired for each typed character after the key filter.
    TKeyPressEvent OnKeyPress;

protected:
    virtual void DoChange();
    virtual void DoEnter();
    virtual void DoExit();
    virtual void DoKeyPress(QChar &key);
    // The platform's information beep for text that cannot be read.
    virtual void Beep();

    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void TypeCharacter(QChar typed, QKeyEvent *event);
    void ApplyKey(QChar key, QKeyEvent *event);

    TNumberEditType FEntryRequired = TNumberEditType::floatingpointvalue;
    QString FDisplayFormat;
    long double FValue = 0;
    long double FSavedValue = 0;
    // True between gaining and losing the focus to another control; a popup
    // menu or another window taking the focus for a while does not count.
    bool FEditing = false;
};
