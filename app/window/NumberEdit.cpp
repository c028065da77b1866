#include "NumberEdit.h"

#include "DesktopCalls.h"

#include "AppError.h"
#include "DecimalRounding.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace numedit {

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// One section of a display format, taken apart.
struct FormatSection {
    QString Prefix;         // literal text before the number
    QString Suffix;         // literal text after its first placeholder
    int IntegerZeros = 0;   // integer digits always shown
    int FractionZeros = 0;  // decimals always shown
    int FractionDigits = 0; // decimals shown at most; the rounding place
    bool HasNumber = false; // any placeholder or point at all
};

// Splits at ";" outside quoted text; at most three sections count.
QStringList SplitSections(const QString &format)
{
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    while (sections.size() > 3)
        sections.removeLast();
    return sections;
}

FormatSection ParseSection(const QString &section)
{
    FormatSection parsed;
    bool afterPoint = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        QString &literal = parsed.HasNumber ? parsed.Suffix : parsed.Prefix;
        if (c == u'\'' || c == u'"') {
            const qsizetype close = section.indexOf(c, i + 1);
            const qsizetype end = close < 0 ? section.size() : close;
            literal += section.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'0' || c == u'#') {
            parsed.HasNumber = true;
            if (afterPoint) {
                ++parsed.FractionDigits;
                if (c == u'0')
                    parsed.FractionZeros = parsed.FractionDigits;
            } else if (c == u'0') {
                ++parsed.IntegerZeros;
            }
        } else if (c == u'.') {
            parsed.HasNumber = true;
            afterPoint = true;
        } else if (c != u',') {
            literal += c;
        }
    }
    return parsed;
}

// The number is first written with the 18 significant digits that extended
// precision holds, and that decimal text is rounded.
TRoundedDecimal RoundDecimal(long double magnitude, int places)
{
    return RoundDecimalDigits(ParseScientific(LongDoubleText(magnitude, std::chars_format::scientific, 17)), places);
}

// Shortest general notation, for an empty format and numbers too large for
// fixed notation.
QString GeneralNotation(long double value, QChar decimalSeparator)
{
    QString text = QString::fromStdString(LongDoubleText(value, std::chars_format::general, 15)).toUpper();
    return text.replace(u'.', decimalSeparator);
}

QString Render(const FormatSection &section, const TRoundedDecimal &number, bool minus, QChar decimalSeparator)
{
    QString text;
    if (minus)
        text += u'-';
    text += section.Prefix;
    if (section.HasNumber) {
        QString integer = QString::fromLatin1(number.Integer);
        if (integer.size() < section.IntegerZeros)
            integer.prepend(QString(section.IntegerZeros - integer.size(), u'0'));
        std::string fraction = number.Fraction;
        while (fraction.size() > static_cast<std::size_t>(section.FractionZeros) && fraction.back() == '0')
            fraction.pop_back();
        text += integer;
        if (!fraction.empty())
            text += decimalSeparator + QString::fromLatin1(fraction);
    }
    text += section.Suffix;
    return text;
}

// Candidate checks of the integer types, on the text as it would be.
bool WithinTypedRange(TNumberEditType type, const QString &candidate)
{
    switch (type) {
    case TNumberEditType::integervalue:
    case TNumberEditType::wordvalue: {
        bool ok = false;
        const int number = candidate.toInt(&ok, 10);
        if (!ok)
            throw ENumberEditConvertError(
                QStringLiteral("'%1' is not a valid integer value").arg(candidate).toStdString());
        if (type == TNumberEditType::wordvalue)
            return number <= 65535;
        return number >= -32768 && number <= 32767;
    }
    case TNumberEditType::longintvalue: {
        // By characters, so that an 11-character text of zeros is refused too.
        QString digits = candidate;
        QString limit = QStringLiteral("2147483647");
        if (digits.startsWith(u'-')) {
            digits.remove(0, 1);
            limit = QStringLiteral("2147483648");
        }
        return digits.size() < 10 || (digits.size() == 10 && digits <= limit);
    }
    case TNumberEditType::floatingpointvalue: return true;
    }
    return true;
}

bool LetThrough(TNumberEditType type, QChar key, QChar decimalSeparator)
{
    if (IsDigit(key) || key == Backspace || key == DeleteCharacter)
        return true;
    if (key == u'-')
        return type != TNumberEditType::wordvalue;
    if (key == decimalSeparator)
        return type == TNumberEditType::floatingpointvalue;
    return false;
}

} // namespace

QChar RegionalDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.front() : QChar(u'.');
}

QString DefaultDisplayFormat(TNumberEditType type)
{
    return type == TNumberEditType::floatingpointvalue ? QStringLiteral("0.00;-0.00") : QStringLiteral("0;-0");
}

QString FormatValue(long double value, const QString &format, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const QStringList sections = SplitSections(format);
    const bool negative = value < 0;
    const bool ownNegativeSection = negative && sections.size() > 1 && !sections[1].isEmpty();
    const QString &chosen = ownNegativeSection ? sections[1] : sections[0];
    if (chosen.isEmpty() || std::fabs(value) >= 1e18L)
        return GeneralNotation(value, decimalSeparator);

    FormatSection section = ParseSection(chosen);
    TRoundedDecimal number = RoundDecimal(std::fabs(value), section.FractionDigits);
    bool minus = negative && !ownNegativeSection;
    if (number.IsZero()) {
        // A number that rounds to zero shows as zero: its own section if the
        // format has one, else the first, and never with a minus.
        minus = false;
        const bool ownZeroSection = sections.size() > 2 && !sections[2].isEmpty();
        if (ownZeroSection || ownNegativeSection) {
            section = ParseSection(ownZeroSection ? sections[2] : sections[0]);
            number = RoundDecimal(0, section.FractionDigits);
        }
    }
    return Render(section, number, minus, decimalSeparator);
}

std::optional<long double> ReadFieldText(const QString &text, QChar decimalSeparator)
{
    const bool negative = text.contains(u'-') || text.contains(u'(');
    std::string collected;
    int separators = 0;
    bool anyDigit = false;
    for (const QChar c : text) {
        if (IsDigit(c)) {
            collected += static_cast<char>(c.unicode());
            anyDigit = true;
        } else if (c == decimalSeparator) {
            collected += '.';
            ++separators;
        }
    }
    if (collected.empty())
        return 0.0L;
    if (!anyDigit || separators > 1)
        return std::nullopt;
    if (collected.back() == '.')
        collected += '0';

    long double number = 0;
    const char *end = collected.data() + collected.size();
    const auto [stop, error] = std::from_chars(collected.data(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return negative && number != 0 ? -number : number;
}

QChar FilterTypedKey(TNumberEditType type, QChar key, const QString &text, qsizetype selectionStart,
                     qsizetype selectionEnd, QChar decimalSeparator)
{
    if (key == Escape)
        return key;
    if (key == u'.' || key == u',')
        key = decimalSeparator;
    if (!LetThrough(type, key, decimalSeparator))
        return QChar();
    if (key == Backspace || key == DeleteCharacter)
        return key;

    const qsizetype start = selectionStart;
    const QString selected = text.mid(start, selectionEnd - start);

    if (key == u'-')
        return start == 0 ? key : QChar();

    if (key == decimalSeparator) {
        if (!text.contains(decimalSeparator))
            return key;
        return selected.contains(decimalSeparator) ? key : QChar();
    }

    // A digit.
    if (!selected.contains(u'-') && start == 0 && text.startsWith(u'-'))
        return QChar();
    QString candidate = text;
    candidate.replace(start, selected.size(), key);
    return WithinTypedRange(type, candidate) ? key : QChar();
}

} // namespace numedit

TNumberEdit::TNumberEdit(QWidget *parent)
    : QLineEdit(parent), FDisplayFormat(numedit::DefaultDisplayFormat(FEntryRequired))
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resize(121, 25);
    connect(this, &QLineEdit::textChanged, this, [this] { DoChange(); });
    ValueToText();
}

void TNumberEdit::SetEntryRequired(TNumberEditType type)
{
    FEntryRequired = type;
    ResetDisplayFormat();
}

void TNumberEdit::SetDisplayFormat(const QString &format)
{
    if (format == FDisplayFormat)
        return;
    FDisplayFormat = format;
    ValueToText();
}

void TNumberEdit::SetValue(long double value)
{
    if (value == FValue)
        return;
    FValue = value;
    ValueToText();
}

void TNumberEdit::ResetDisplayFormat()
{
    FDisplayFormat = numedit::DefaultDisplayFormat(FEntryRequired);
    ValueToText();
}

void TNumberEdit::ValueToText()
{
    setText(numedit::FormatValue(FValue, FDisplayFormat, numedit::RegionalDecimalSeparator()));
}

void TNumberEdit::TextToValue()
{
    // No range check: pasted text is taken as far as its digits go.
    if (const auto number = numedit::ReadFieldText(text(), numedit::RegionalDecimalSeparator()))
        FValue = *number;
    else
        Beep();
    ValueToText();
}

void TNumberEdit::DoChange()
{
    if (OnChange)
        RunReportingErrors([this] { OnChange(this); });
}

void TNumberEdit::DoEnter()
{
    if (OnEnter)
        RunReportingErrors([this] { OnEnter(this); });
}

void TNumberEdit::DoExit()
{
    if (OnExit)
        RunReportingErrors([this] { OnExit(this); });
}

void TNumberEdit::DoKeyPress(QChar &key)
{
    // Not caught here: a failing handler stops the keystroke like the filter does.
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TNumberEdit::Beep()
{
    InformationBeep();
}

namespace {

// The characters a key event types into the field, or nullopt for keys that
// edit or move instead (arrows, Home, Delete, Ctrl+Insert, ...), which go to
// the text box as they are. Ctrl+letter types its control character (Ctrl+V
// is 22), which the filter drops, so the clipboard and undo shortcuts do
// nothing here; the context menu still offers them.
std::optional<QString> TypedCharacters(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    // Ctrl+Alt is how Windows reports AltGr, which types characters.
    const bool shortcut = control && !modifiers.testFlag(Qt::AltModifier);
    switch (event.key()) {
    case Qt::Key_Escape: return QString(numedit::Escape);
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(numedit::Return);
    case Qt::Key_Backspace: return shortcut ? std::nullopt : std::optional<QString>(QString(numedit::Backspace));
    case Qt::Key_Delete: return std::nullopt;
    default: break;
    }
    if (shortcut && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return QString(QChar(event.key() - Qt::Key_A + 1));
    if (shortcut || event.text().isEmpty())
        return std::nullopt;
    return event.text();
}

} // namespace

void TNumberEdit::keyPressEvent(QKeyEvent *event)
{
    const std::optional<QString> typed = TypedCharacters(*event);
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    for (const QChar c : *typed)
        if (!RunReportingErrors([&] { TypeCharacter(c, event); }))
            break;
}

void TNumberEdit::inputMethodEvent(QInputMethodEvent *event)
{
    // Text from an input method passes the same filter as typed keys;
    // compositions still in progress are not shown.
    const QString committed = event->commitString();
    if (committed.isEmpty() && event->preeditString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    event->accept();
    for (const QChar c : committed)
        if (!RunReportingErrors([&] { TypeCharacter(c, nullptr); }))
            break;
}

void TNumberEdit::TypeCharacter(QChar typed, QKeyEvent *event)
{
    QChar key = typed;
    if (key == numedit::Escape) {
        FValue = FSavedValue;
        ValueToText();
        selectAll();
    } else {
        const qsizetype start = hasSelectedText() ? selectionStart() : cursorPosition();
        const qsizetype end = start + selectedText().size();
        key = numedit::FilterTypedKey(FEntryRequired, key, text(), start, end, numedit::RegionalDecimalSeparator());
    }
    DoKeyPress(key);
    ApplyKey(key, event);
}

void TNumberEdit::ApplyKey(QChar key, QKeyEvent *event)
{
    if (key == numedit::Backspace) {
        QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(numedit::Backspace));
        QLineEdit::keyPressEvent(&backspace);
    } else if (key.isPrint()) {
        if (!isReadOnly())
            insert(QString(key));
    } else if (event && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // Return never goes into the text, but the base box still reports it
        // (returnPressed) and lets a dialog's default button see it.
        QLineEdit::keyPressEvent(event);
    }
    // Anything else (a refused key, Escape, other control characters) leaves
    // the text as it is; Escape stops here so that the focus stays.
}

void TNumberEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (FEditing || event->reason() == Qt::PopupFocusReason)
        return;
    FEditing = true;
    FSavedValue = FValue;
    selectAll();
    DoEnter();
}

void TNumberEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Its own context menu or another window taking the focus for a while
    // does not end the editing; the operator comes back to the same text.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    CommitEditing();
}

void TNumberEdit::CommitEditing()
{
    if (!FEditing)
        return;
    FEditing = false;
    TextToValue();
    DoExit();
}
