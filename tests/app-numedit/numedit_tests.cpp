// TNumberEdit under real key and focus events in an offscreen window.

#include "AppError.h"
#include "NumberEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QVBoxLayout>

#include <cmath>

namespace {

using Type = TNumberEditType;

const QLocale RussianLocale(QLocale::Russian, QLocale::Russia);

class BeepCountingEdit : public TNumberEdit {
public:
    int Beeps = 0;

protected:
    void Beep() override { ++Beeps; }
};

// A window with the field and a second box to take the focus away.
class NumberEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(RussianLocale);
        previousSink = SetApplicationErrorSink([this](const QString &text) { errors << text; });
        auto *layout = new QVBoxLayout(&window);
        edit = new BeepCountingEdit;
        other = new QLineEdit;
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus(Qt::OtherFocusReason);
    }

    void TearDown() override
    {
        SetApplicationErrorSink(previousSink);
        QLocale::setDefault(QLocale::c());
    }

    void Enter() { edit->setFocus(Qt::TabFocusReason); }
    void Leave() { other->setFocus(Qt::TabFocusReason); }

    // Focuses the field and gives it `marked` as text: "|" marks the caret,
    // "[...]" the selection; without a mark the caret stands at the end.
    void Prepare(Type type, QString marked)
    {
        edit->SetEntryRequired(type);
        Enter();
        const qsizetype caret = marked.indexOf(u'|');
        const qsizetype open = marked.indexOf(u'[');
        const qsizetype close = marked.indexOf(u']');
        marked.remove(u'|').remove(u'[').remove(u']');
        edit->setText(marked);
        if (open >= 0)
            edit->setSelection(open, close - open - 1);
        else
            edit->setCursorPosition(caret >= 0 ? caret : marked.size());
        errors.clear();
    }

    QWidget window;
    BeepCountingEdit *edit = nullptr;
    QLineEdit *other = nullptr;
    QStringList errors;
    ApplicationErrorSink previousSink;
};

QString ConversionError(const char *candidate)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(QString::fromUtf8(candidate));
}

struct TypingCase {
    const char *before; // text with caret "|" or selection "[...]"
    const char *keys;   // typed one by one
    const char *after;
    const char *badCandidate = nullptr; // expected in the conversion error
};

class TypingTest : public NumberEditTest {
protected:
    void Check(Type type, const TypingCase &c, QChar separator = u',')
    {
        const auto localized = [separator](const char *text) {
            return QString::fromUtf8(text).replace(u',', separator);
        };
        SCOPED_TRACE(QStringLiteral("%1 + %2").arg(localized(c.before), QString::fromUtf8(c.keys)).toStdString());
        Prepare(type, localized(c.before));
        QTest::keyClicks(edit, QString::fromUtf8(c.keys));
        EXPECT_EQ(edit->text(), localized(c.after));
        EXPECT_EQ(errors, c.badCandidate ? QStringList{ConversionError(c.badCandidate)} : QStringList{});
    }
};

TEST_F(TypingTest, WordValue)
{
    const TypingCase cases[] = {
        {"", "65535", "65535"},
        {"65535", "5", "65535"},
        {"|0000", "7", "0000"},
        {"|65535", "0", "065535"},
        {"6553[5]", "6", "65535"},
        {"[65535]", "9", "9"},
        {"1|2", "-.,a ", "12"},
        {"|12", "-.,a", "12"},
        {"", "1\r2", "12"},
        // Pasted text: no digit in front of a minus, but one after it.
        {"|-5", "1", "-5"},
        {"-5", "1", "-51"},
        // Beyond 32 bits, or not a number at all: the error box, nothing typed.
        {"|0000000000", "7", "0000000000", "70000000000"},
        {"12a", "3", "12a", "12a3"},
    };
    for (const auto &c : cases)
        Check(Type::wordvalue, c);
}

TEST_F(TypingTest, IntegerValue)
{
    const TypingCase cases[] = {
        {"", "-32768", "-32768"}, {"", "-32769", "-3276"}, {"", "32767", "32767"},      {"", "32768", "3276"},
        {"|5", "-", "-5"},        {"5", "-", "5"},         {"|-5", "3", "-5"},          {"[-]5", "3", "35"},
        {"12", ".,", "12"},       {"|-5", "-", "--5"},     {"--5", "1", "--5", "--51"},
    };
    for (const auto &c : cases)
        Check(Type::integervalue, c);
}

TEST_F(TypingTest, LongIntValue)
{
    const TypingCase cases[] = {
        {"", "2147483647", "2147483647"},
        {"", "-2147483648", "-2147483648"},
        {"", "2147483648", "214748364"},
        {"", "-2147483649", "-214748364"},
        {"", "00000000001", "0000000000"},
        {"", "9999999999", "999999999"},
        {"|1", "-", "-1"},
        {"1", "-", "1"},
    };
    for (const auto &c : cases)
        Check(Type::longintvalue, c);
}

// Texts are written with a comma and compared with the locale's separator.
TEST_F(TypingTest, FloatingPointValueInBothLocales)
{
    const TypingCase cases[] = {
        {"", "3.5", "3,5"},
        {"", "3,5", "3,5"},
        {"3,5", ".", "3,5"},
        {"3[,]5", ".", "3,5"},
        {"[3,]5", ",", ",5"},
        {"3,[5]", ",", "3,5"},
        {"1|2", ",", "1,2"},
        {"", "-1.5", "-1,5"},
        {"1", "-a", "1"},
        {"|-5", "9", "-5"},
        {"", "123456789012345", "123456789012345"},
    };
    for (const QLocale &locale : {RussianLocale, QLocale::c()}) {
        QLocale::setDefault(locale);
        for (const auto &c : cases)
            Check(Type::floatingpointvalue, c, locale.decimalPoint().front());
    }
}

struct CommitCase {
    Type type;
    const char *typed; // written with a comma for the separator
    const char *shown;
    long double value;
    bool beep = false;
};

// Leaving the field reads whatever it holds, typed or pasted, whatever the
// entry type; text that is no number beeps and brings the old number back.
TEST_F(NumberEditTest, LeavingTheFieldCommitsItsText)
{
    const CommitCase cases[] = {
        {Type::wordvalue, "007", "7", 7},
        {Type::wordvalue, "", "0", 0},
        {Type::wordvalue, "12a3", "123", 123},
        {Type::wordvalue, "-5", "-5", -5},
        {Type::wordvalue, "(5)", "-5", -5},
        {Type::wordvalue, "70000", "70000", 70000},
        {Type::wordvalue, "2,5", "3", 2.5},
        {Type::floatingpointvalue, "3,5", "3,50", 3.5},
        {Type::floatingpointvalue, ",5", "0,50", 0.5},
        {Type::floatingpointvalue, "5,", "5,00", 5},
        {Type::floatingpointvalue, "-,5", "-0,50", -0.5},
        {Type::floatingpointvalue, ",", "2,50", 2.5, true},
        {Type::floatingpointvalue, "1,2,3", "2,50", 2.5, true},
    };
    for (const QLocale &locale : {RussianLocale, QLocale::c()}) {
        QLocale::setDefault(locale);
        const QChar separator = locale.decimalPoint().front();
        for (const auto &c : cases) {
            const QString typed = QString::fromUtf8(c.typed).replace(u',', separator);
            SCOPED_TRACE(typed.toStdString());
            edit->SetEntryRequired(c.type);
            edit->SetValue(2.5);
            edit->Beeps = 0;
            Prepare(c.type, typed);
            Leave();
            EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown).replace(u',', separator));
            EXPECT_EQ(edit->Value(), c.value);
            EXPECT_EQ(edit->Beeps, c.beep ? 1 : 0);
        }
    }
}

TEST_F(NumberEditTest, CommitEditingEndsAnEditingThatNoFocusChangeEnds)
{
    // The window loses its activation while the number is being typed: the
    // focus-out that follows does not commit, so the owner commits itself.
    int exits = 0;
    edit->OnExit = [&](QObject *) { ++exits; };
    Prepare(Type::wordvalue, "015");
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(edit, &deactivated);
    EXPECT_EQ(exits, 0);
    edit->CommitEditing();
    EXPECT_EQ(edit->Value(), 15);
    EXPECT_EQ(edit->text(), "15");
    EXPECT_EQ(exits, 1);
    edit->CommitEditing(); // nothing left to commit
    EXPECT_EQ(exits, 1);
    // The next entry is a fresh one: the value is saved and all is selected.
    Leave();
    Enter();
    EXPECT_EQ(edit->SavedValue(), 15);
    EXPECT_EQ(edit->selectedText(), "15");
}

TEST_F(NumberEditTest, EscapeRestoresTheNumberAtEntryAndKeepsTheFocus)
{
    edit->SetEntryRequired(Type::wordvalue);
    edit->SetValue(42);
    Enter();
    EXPECT_EQ(edit->selectedText(), "42");
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(edit->Value(), 42) << "typing alone does not change Value";

    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(edit->selectedText(), "42");
    EXPECT_TRUE(edit->hasFocus());

    // Escape goes back to the number at this entry, not an earlier one.
    QTest::keyClicks(edit, "15");
    Leave();
    Enter();
    QTest::keyClicks(edit, "9");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->Value(), 15);
    EXPECT_EQ(edit->SavedValue(), 15);
}

TEST_F(NumberEditTest, AssigningTheSameValueLeavesTheTypedText)
{
    edit->SetEntryRequired(Type::wordvalue);
    edit->SetValue(5);
    Prepare(Type::wordvalue, "77");
    edit->SetValue(5);
    EXPECT_EQ(edit->text(), "77");
    edit->SetValue(6);
    EXPECT_EQ(edit->text(), "6");
}

TEST_F(NumberEditTest, KeysWithoutCharactersEditAsInAnyTextBox)
{
    Prepare(Type::wordvalue, "123");
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "13");
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), "3");
    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(edit->selectedText(), "3");
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "3");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->text(), "3");
}

// Ctrl+letter types a control character (Ctrl+V is 22), which the filter
// drops: the clipboard and undo shortcuts do nothing here, and the handler
// sees the dropped key as a null character.
TEST_F(NumberEditTest, ControlLettersAreDroppedByTheFilter)
{
    QApplication::clipboard()->setText("9");
    Prepare(Type::wordvalue, "1[2]3");
    QList<QChar> keys;
    edit->OnKeyPress = [&](QObject *, QChar &key) { keys << key; };
    for (const Qt::Key letter : {Qt::Key_V, Qt::Key_X, Qt::Key_C, Qt::Key_A, Qt::Key_Z}) {
        QTest::keyClick(edit, letter, Qt::ControlModifier);
        EXPECT_EQ(edit->text(), "123") << QKeySequence(letter).toString().toStdString();
        EXPECT_EQ(edit->selectedText(), "2");
        EXPECT_EQ(QApplication::clipboard()->text(), "9");
    }
    EXPECT_EQ(keys, QList<QChar>(5, QChar()));
}

// The context menu takes the focus for a moment; that is no leaving, so a
// paste through it lands in the typed text and is read on the real exit.
TEST_F(NumberEditTest, PasteThroughTheContextMenuIsReadOnLeaving)
{
    edit->SetValue(9);
    Prepare(Type::wordvalue, "12");
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &out);
    QFocusEvent in(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &in);
    EXPECT_EQ(edit->Value(), 9);
    EXPECT_EQ(edit->text(), "12");

    QApplication::clipboard()->setText("a3");
    edit->paste();
    EXPECT_EQ(edit->text(), "12a3");
    Leave();
    EXPECT_EQ(edit->Value(), 123);
}

TEST_F(NumberEditTest, InputMethodTextPassesTheFilter)
{
    Prepare(Type::wordvalue, "");
    QInputMethodEvent commit;
    commit.setCommitString("1a-2");
    QApplication::sendEvent(edit, &commit);
    EXPECT_EQ(edit->text(), "12");
}

TEST_F(NumberEditTest, EventsFireWithTheFieldInItsNewState)
{
    QStringList log;
    edit->SetEntryRequired(Type::wordvalue);
    edit->OnChange = [&](QObject *) { log << "change " + edit->text(); };
    edit->OnEnter = [&](QObject *) { log << "enter " + edit->selectedText(); };
    edit->OnExit = [&](QObject *) { log << QStringLiteral("exit %1").arg(double(edit->Value())); };
    edit->OnKeyPress = [&](QObject *sender, QChar &key) {
        EXPECT_EQ(sender, edit);
        log << QStringLiteral("key %1").arg(key.unicode());
        if (key == u'5')
            key = u'6';
        if (key == u'8')
            key = QChar();
    };
    Enter();
    QTest::keyClicks(edit, "5a8");
    Leave();
    EXPECT_EQ(log, (QStringList{"enter 0", "key 53", "change 6", "key 0", "key 56", "exit 6"}));
}

TEST_F(NumberEditTest, FailingHandlerReachesTheErrorSinkAndStopsTheKey)
{
    edit->SetEntryRequired(Type::wordvalue);
    edit->OnKeyPress = [](QObject *, QChar &) { throw std::runtime_error("Ошибка обработчика"); };
    Prepare(Type::wordvalue, "");
    QTest::keyClicks(edit, "1");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(errors, QStringList{"Ошибка обработчика"});
}

TEST_F(NumberEditTest, NewFieldDefaultsAndEntryTypeResetsTheFormat)
{
    TNumberEdit fresh;
    EXPECT_EQ(fresh.EntryRequired(), Type::floatingpointvalue);
    EXPECT_EQ(fresh.DisplayFormat(), "0.00;-0.00");
    EXPECT_EQ(fresh.text(), "0,00");
    EXPECT_TRUE(fresh.alignment() & Qt::AlignRight);
    EXPECT_EQ(fresh.size(), QSize(121, 25));

    fresh.SetValue(3.14159);
    fresh.SetDisplayFormat("0.000");
    EXPECT_EQ(fresh.text(), "3,142");
    fresh.SetEntryRequired(Type::wordvalue);
    EXPECT_EQ(fresh.DisplayFormat(), "0;-0");
    EXPECT_EQ(fresh.text(), "3");

    QLocale::setDefault(QLocale::c());
    fresh.SetEntryRequired(Type::floatingpointvalue);
    EXPECT_EQ(fresh.text(), "3.14");
}

struct FormatCase {
    const char *format;
    long double value;
    const char *shown; // with a comma as separator
};

TEST(FormatValue, SectionsDigitsAndHalfAwayFromZero)
{
    const FormatCase cases[] = {
        {"0;-0", 7, "7"},
        {"0;-0", -7, "-7"},
        {"0;-0", 2.5, "3"},
        {"0;-0", -2.5, "-3"},
        {"0;-0", 0.4, "0"},
        {"0;-0", -0.4, "0"},
        {"0;-0", 65535, "65535"},
        {"0.00;-0.00", 3.14159L, "3,14"},
        {"0.00;-0.00", 0, "0,00"},
        {"0.00;-0.00", -1.005L, "-1,01"},
        {"0.00;-0.00", 2.675L, "2,68"},
        {"0.00;-0.00", 9.999, "10,00"},
        {"0.00;-0.00", -0.001, "0,00"},
        {"0.00;-0.00", 0.000001, "0,00"},
        {"0.00", -3.5, "-3,50"},
        {"0.##", 1.5, "1,5"},
        {"0.##", 1, "1"},
        {"000", 7, "007"},
        {"0 'кг';(0 'кг');'нет'", -5, "(5 кг)"},
        {"0 'кг';(0 'кг');'нет'", 0.2, "нет"},
    };
    for (const QChar separator : {QChar(u','), QChar(u'.')}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.format) + " " + c.shown);
            EXPECT_EQ(numedit::FormatValue(c.value, QString::fromUtf8(c.format), separator),
                      QString::fromUtf8(c.shown).replace(u',', separator));
        }
    }
}

TEST(FormatValue, NumbersWithoutFixedNotation)
{
    EXPECT_EQ(numedit::FormatValue(NAN, "0", u','), "NAN");
    EXPECT_EQ(numedit::FormatValue(-INFINITY, "0", u','), "-INF");
    EXPECT_EQ(numedit::FormatValue(1e30L, "0", u','), "1E+30");
    EXPECT_EQ(numedit::FormatValue(1.5, "", u','), "1,5");
}

} // namespace
