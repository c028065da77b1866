#pragma once

// Drives the real main window without a person: scripted answers to its
// boxes and dialogs, the analyzer emulator on a line of its own, a clock that
// stands still until moved, and a fresh folder for the settings and journals.

#include "AnalyzerPort.h"
#include "Cp1251.h"
#include "FormDialogs.h"
#include "JournalGrid.h"
#include "LinkStatusBar.h"
#include "MainWindow.h"
#include "NumberEdit.h"
#include "WaitFor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// ---- Scripted boxes and dialogs -------------------------------------------

struct TDialogCall {
    std::string Kind; // "AskSave", "Confirm", "Warning", "Error", "Info", "Open", "Save", "Replace", "Text"
    QString Text;     // the box's text, the dialog's starting file, or the file to replace
    QString Caption;  // the box's caption, or the dialog's filter
    QString Suffix;   // the dialog's default suffix, or the text field's label
};

struct TDialogScript {
    std::deque<TSaveAnswer> CloseAnswers; // default No
    std::deque<bool> ConfirmAnswers;      // default No
    std::deque<bool> WarningAnswers;      // default No
    std::deque<QString> OpenNames;        // default: cancelled
    std::deque<QString> SaveNames;        // default: cancelled
    // The save dialog's question before it returns an existing file: Yes
    // returns the name, No goes on with the next of SaveNames. Default No.
    std::deque<bool> ReplaceAnswers;
    std::deque<QString> TextAnswers; // default: cancelled
    // Runs while the next box or dialog is "open", before it answers; the
    // event loop may run inside it, so results can arrive meanwhile.
    std::function<void()> WhileOpen;
    std::vector<TDialogCall> Calls;

    std::vector<TDialogCall> Errors() const
    {
        std::vector<TDialogCall> errors;
        for (const TDialogCall &call : Calls)
            if (call.Kind == "Error")
                errors.push_back(call);
        return errors;
    }
};

class TScriptedDialogs final : public IFormDialogs {
public:
    explicit TScriptedDialogs(std::shared_ptr<TDialogScript> Script) : FScript(std::move(Script)) {}

    TSaveAnswer AskSaveOnClose(QWidget *, const QString &Text, const QString &Caption) override
    {
        Open({"AskSave", Text, Caption, {}});
        return Pop(FScript->CloseAnswers, TSaveAnswer::No);
    }
    bool Confirm(QWidget *, const QString &Text, const QString &Caption) override
    {
        Open({"Confirm", Text, Caption, {}});
        return Pop(FScript->ConfirmAnswers, false);
    }
    bool ConfirmWarning(QWidget *, const QString &Text, const QString &Caption) override
    {
        Open({"Warning", Text, Caption, {}});
        return Pop(FScript->WarningAnswers, false);
    }
    void ShowError(QWidget *, const QString &Text, const QString &Caption) override
    {
        Open({"Error", Text, Caption, {}});
    }
    void ShowInformation(QWidget *, const QString &Text, const QString &Caption) override
    {
        Open({"Info", Text, Caption, {}});
    }
    QString GetOpenFileName(QWidget *, const TFileDialogSetup &Setup) override
    {
        Open({"Open", Setup.FileName, Setup.Filter, Setup.DefaultSuffix});
        return Pop(FScript->OpenNames, QString());
    }
    QString GetSaveFileName(QWidget *, const TFileDialogSetup &Setup) override
    {
        Open({"Save", Setup.FileName, Setup.Filter, Setup.DefaultSuffix});
        for (;;) {
            const QString name = Pop(FScript->SaveNames, QString());
            // The name the dialog checks carries the default suffix, as
            // QFileDialog gives it to a name without a dot.
            const QString checked = name.isEmpty() || QFileInfo(name).fileName().contains(QLatin1Char('.'))
                                        ? name
                                        : name + QLatin1Char('.') + Setup.DefaultSuffix;
            if (checked.isEmpty() || !QFileInfo::exists(checked))
                return name;
            FScript->Calls.push_back({"Replace", checked, {}, {}});
            if (Pop(FScript->ReplaceAnswers, false))
                return name;
        }
    }

    QString AskText(QWidget *, const QString &Caption, const QString &Label, const QString &Text) override
    {
        Open({"Text", Text, Caption, Label});
        return Pop(FScript->TextAnswers, QString());
    }

private:
    void Open(TDialogCall Call)
    {
        FScript->Calls.push_back(std::move(Call));
        if (auto whileOpen = std::exchange(FScript->WhileOpen, nullptr))
            whileOpen();
    }
    template <class T>
    static T Pop(std::deque<T> &Answers, T Default)
    {
        if (Answers.empty())
            return Default;
        T answer = Answers.front();
        Answers.pop_front();
        return answer;
    }

    std::shared_ptr<TDialogScript> FScript;
};

// ---- The analyzer on its line ----------------------------------------------

// A new result at every fetch the poller's gate lets through.
inline Emulator::TEmulatorConfig AnalyzerConfig(std::vector<double> Values, uint8_t Group = 1, uint16_t Status = 0)
{
    Emulator::TEmulatorConfig config;
    config.DevNumber = 1;
    config.Values = std::move(Values);
    config.GroupNumber = Group;
    config.Status = Status;
    config.Interval = std::chrono::milliseconds(1);
    return config;
}

// ---- Printing to a PDF file instead of the default printer ------------------

inline int PdfPages(const QByteArray &Pdf)
{
    return int(QString::fromLatin1(Pdf).count(QRegularExpression("/Type\\s*/Page\\b(?!s)")));
}

// ---- The window in a folder of its own -------------------------------------

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        FOldCurrent = QDir::currentPath();
        QDir::setCurrent(Dir.path());
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override
    {
        Form.reset();
        QDir::setCurrent(FOldCurrent);
        QLocale::setDefault(QLocale::c());
    }

    QString Path(const QString &Name) const { return Dir.filePath(Name); }
    // A file's name as the program shows it to the operator: with the
    // system's separators (backslashes on Windows).
    static QString Shown(const QString &Name) { return QDir::toNativeSeparators(Name); }
    QString IniPath() const { return Path(QStringLiteral("Nivara.Ini")); }

    static void WriteFile(const QString &FileName, const QByteArray &Bytes)
    {
        QFile file(FileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Bytes);
    }
    static QByteArray ReadFile(const QString &FileName)
    {
        QFile file(FileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void WriteIni(const QString &Text) { WriteFile(IniPath(), Cp1251::Encode(Text)); }
    QString ReadIni() const { return Cp1251::Decode(ReadFile(IniPath())); }

    TForm1 &Create(std::string Ports = "COM1,COM3")
    {
        Form.reset(); // one window at a time: each installs the error box
        TForm1Setup setup;
        setup.Dialogs = std::make_unique<TScriptedDialogs>(Script);
        setup.IniFileName = IniPath();
        setup.SerialPortNames = [Ports] { return Ports; };
        // No device of this machine shows through: nothing is there.
        setup.SerialRoots = {Path("no-sys").toStdString(), Path("no-dev").toStdString()};
        setup.LogFileName = LogFileName;
        setup.PrintPreview = std::move(PrintPreview);
        Form = std::make_unique<TForm1>(std::move(setup));
        Form->FixMeas1->SetClock(Clock.AsClock());
        Form->FixMeas1->SetMonotonicClock(Clock.AsMonotonicClock());
        Form->show();
        Form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        return *Form;
    }

    // Polls the analyzer until `Rows` journal rows exist (entry row included)
    // and the result has been acknowledged.
    bool PollUntilRows(const TTestAnalyzer &Analyzer, int Rows, int Acks)
    {
        return WaitFor([&] { return RowCount() >= Rows && Analyzer.Acks() >= Acks && !Form->PollState.AckPending; });
    }
    void StartPolling(const QString &Port, int Device = 1)
    {
        Form->FixMeas1->SetPort(Port);
        Form->NumberEdit1->SetValue(Device);
        Form->actOpr->trigger();
    }
    // Polls the analyzer into the journal of that name in the folder until
    // its first result is entered and acknowledged.
    bool PollFirstResultInto(const TTestAnalyzer &Analyzer, const QString &JournalName)
    {
        Form->Journal().SetJournalFileName(Path(JournalName));
        StartPolling(PortName(Analyzer));
        return PollUntilRows(Analyzer, 3, 1);
    }
    bool StopPolling()
    {
        if (Form->FixMeas1->Active())
            Form->actOpr->trigger();
        return WaitFor([&] { return !Form->FixMeas1->Active(); });
    }

    // The bar says Text, calling the operator, whether the wall clock stays,
    // is set back an hour or then an hour past where it was: durations of
    // the link are measured on the monotonic clock.
    void ExpectTheBarThroughClockChanges(const QString &Text)
    {
        for (const double shift : {0.0, -3600.0, 7200.0}) {
            Clock.Shift(shift);
            Form->LinkStatus->Refresh();
            EXPECT_EQ(Form->LinkStatus->Status().StateText, Text) << "clock set by " << shift << " s";
            EXPECT_TRUE(Form->LinkStatus->Status().NeedsOperator) << "clock set by " << shift << " s";
        }
    }

    int RowCount() const { return Form->Journal().Model().RowCount(); }
    QString Cell(int Col, int Row) const { return Form->Journal().Model().Cell(Col, Row); }
    QStringList RowTexts(int Row, int FirstCol = 0, int LastCol = 16) const
    {
        QStringList texts;
        for (int col = FirstCol; col <= LastCol; ++col)
            texts << Cell(col, Row);
        return texts;
    }

    QTemporaryDir Dir;
    std::shared_ptr<TDialogScript> Script = std::make_shared<TDialogScript>();
    Emulator::TFakeClock Clock;
    QString LogFileName;                         // the result log; empty: beside the settings file
    std::unique_ptr<IPrintPreview> PrintPreview; // for the next Create; null: the real dialog
    std::unique_ptr<TForm1> Form;

private:
    QString FOldCurrent;
};
