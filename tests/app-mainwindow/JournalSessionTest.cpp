// The journal session without a window: each transition leaves the result
// log describing exactly the unsaved work, the journal start-up could not
// read stays the remembered one until a save, and the closing questions.

#include "JournalSession.h"
#include "FormHarness.h"
#include "JournalLog.h"

#include <QBuffer>

namespace {

class JournalSessionTest : public ::testing::Test {
protected:
    QString Path(const QString &Name) const { return Dir.filePath(Name); }
    static QByteArray ReadFile(const QString &FileName)
    {
        QFile file(FileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A session whose journal is Name, read as at start-up, with its log.
    void Start(const QString &Name)
    {
        Session = std::make_unique<TJournalSession>(
            Dialogs, nullptr, [] {}, [this] { return Path("Nivara.Ini"); });
        Session->Document().SetJournalFileName(Name);
        try {
            Session->LoadRemembered();
        } catch (const std::exception &) {
            LoadFailed = true;
        }
        Session->RecoverOrStartLog(Path("Nivara.log"), [](bool, const QString &) {});
    }
    void Enter(const QString &Group) { Session->EnterResult({"15.03.2023", "12:00:00", Group}, {}); }
    TResultLogContents Log() const { return ReadResultLog(Path("Nivara.log")); }
    QByteArray Bytes() const
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteJournal(Session->Document().Model().Rows(), buffer);
        return buffer.data();
    }

    QTemporaryDir Dir;
    std::shared_ptr<TDialogScript> Script = std::make_shared<TDialogScript>();
    TScriptedDialogs Dialogs{Script};
    std::unique_ptr<TJournalSession> Session;
    bool LoadFailed = false;
};

} // namespace

TEST_F(JournalSessionTest, EveryTransitionLeavesTheLogHoldingTheUnsavedWorkAlone)
{
    Start(Path("day.txt"));
    Enter("1");
    EXPECT_EQ(Log().Results(), 1);
    EXPECT_EQ(Session->ResultsEntered(), 1);

    Session->Save();
    EXPECT_EQ(ReadFile(Path("day.txt")), Bytes());
    EXPECT_TRUE(Log().Records.empty());
    EXPECT_EQ(Log().Base, Bytes()); // the journal as it now is on disk

    Enter("2");
    Script->SaveNames = {Path("copy.txt")};
    Session->SaveAs();
    EXPECT_EQ(Session->Document().JournalFileName(), Path("copy.txt"));
    EXPECT_TRUE(Log().Records.empty());
    EXPECT_EQ(Log().JournalFileName, Path("copy.txt"));

    Enter("3");
    Script->ConfirmAnswers = {false}; // "save?" before New: No
    Session->New();
    EXPECT_EQ(Session->Document().Model().RowCount(), 2);
    EXPECT_TRUE(Log().Records.empty());

    Script->OpenNames = {Path("day.txt")};
    Session->Open();
    EXPECT_EQ(Session->Document().JournalFileName(), Path("day.txt"));
    EXPECT_EQ(Log().Base, ReadFile(Path("day.txt")));
}

// A folder stands where the remembered journal should be: work goes on under
// a fresh name, the settings keep the unread one until a Save, and New or
// Open do not change that.
TEST_F(JournalSessionTest, TheUnreadJournalStaysRememberedUntilASave)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("day.txt"));
    Start(Path("day.txt"));
    EXPECT_TRUE(LoadFailed);
    EXPECT_NE(Session->Document().JournalFileName(), Path("day.txt"));
    EXPECT_EQ(Session->RememberedFileName(), Path("day.txt"));
    Session->New();
    EXPECT_EQ(Session->RememberedFileName(), Path("day.txt"));
    Session->Save();
    EXPECT_EQ(Session->RememberedFileName(), Session->Document().JournalFileName());
}

// Cancel keeps everything; No lets the work go for good; Yes saves. A result
// that arrives while Open asks is asked about too.
TEST_F(JournalSessionTest, ClosingQuestions)
{
    Start(Path("day.txt"));
    Enter("1");
    Script->CloseAnswers = {TSaveAnswer::Cancel};
    EXPECT_FALSE(Session->AskToSaveChanges());
    EXPECT_EQ(Log().Results(), 1);

    Script->CloseAnswers = {TSaveAnswer::No};
    EXPECT_TRUE(Session->AskToSaveChanges());
    Session->LetUnsavedWorkGo();
    EXPECT_TRUE(Log().Records.empty());

    Script->OpenNames = {Path("other.txt")};
    Script->CloseAnswers = {TSaveAnswer::No, TSaveAnswer::Yes};
    // While the file dialog is open, the next box is armed: a result
    // arrives while the first question is open.
    Script->WhileOpen = [&] { Script->WhileOpen = [&] { Enter("2"); }; };
    Session->Open();
    int asked = 0;
    for (const TDialogCall &call : Script->Calls)
        asked += call.Kind == "AskSave";
    EXPECT_EQ(asked, 4); // two before, two for Open: the second for the late result
    EXPECT_EQ(Session->Document().JournalFileName(), Path("other.txt"));
    EXPECT_EQ(ReadJournalFile(Path("day.txt")).Count(), 3); // saved with both results
}
