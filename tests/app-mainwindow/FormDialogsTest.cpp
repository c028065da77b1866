// The real boxes and dialogs: the save dialog asks before it returns the name
// of an existing file, and a box keeps to the screen even with a long path.

#include "FormDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Plays the operator: types the name into the dialog and accepts it; answers
// the question about replacing with `Replace`; after a No, cancels the dialog.
struct TOperator {
    QString Name;
    QMessageBox::StandardButton Replace;
    QStringList Questions;
    bool Typed = false;

    void Act()
    {
        QWidget *top = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(top)) {
            Questions << box->text();
            box->button(Replace)->click();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(top)) {
            if (!std::exchange(Typed, true)) {
                auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(edit, nullptr);
                edit->setText(Name);
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
            }
        }
    }
};

TEST(QtFormDialogs, SaveAsksBeforeReplacingAnExistingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile existing(dir.filePath("day.txt"));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    }
    const std::unique_ptr<IFormDialogs> dialogs = CreateQtFormDialogs();
    const IFormDialogs::TFileDialogSetup setup{dir.filePath("start.txt"), "text files (.txt) (*.txt)", "txt"};

    const struct {
        QString Typed;
        QMessageBox::StandardButton Answer;
        QString Returned;
        int Questions;
    } cases[] = {
        {"day", QMessageBox::No, {}, 1},
        {"day", QMessageBox::Yes, dir.filePath("day.txt"), 1},
        {"new", QMessageBox::No, dir.filePath("new.txt"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Typed.toStdString() + (c.Answer == QMessageBox::Yes ? " Yes" : " No"));
        TOperator person{c.Typed, c.Answer};
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { person.Act(); });
        timer.start(20);
        EXPECT_EQ(dialogs->GetSaveFileName(nullptr, setup), c.Returned);
        ASSERT_EQ(person.Questions.size(), c.Questions);
        if (c.Questions)
            EXPECT_TRUE(person.Questions[0].contains("day.txt")) << person.Questions[0].toStdString();
    }
}

TEST(QtFormDialogs, LongRunsWithoutBlanksGetPlacesToBreak)
{
    const QString z(QChar(0x200B));
    const QString smile = QString::fromUcs4(U"\U0001F600");
    const struct {
        const char *Case;
        QString Text, Broken;
    } cases[] = {
        {"short words stay whole", "Файл a/b.txt не читается", "Файл a/b.txt не читается"},
        {"a long path breaks after each separator", "/usr/local/share/x.txt",
         "/" + z + "usr/" + z + "local/" + z + "share/" + z + "x.txt"},
        {"Windows separators too", "C:\\Data\\day.txt", "C:\\" + z + "Data\\" + z + "day.txt"},
        {"a long name breaks every 8 characters", "abcdefghijklmnopq", "abcdefgh" + z + "ijklmnop" + z + "q"},
        {"a long piece of a path too", "«/abcdefghij»", "«/" + z + "abcdefgh" + z + "ij»"},
        {"never inside a surrogate pair", smile.repeated(9), smile.repeated(8) + z + smile},
        {"line ends and blanks end a run", "abcdefgh\nabcdefgh ab", "abcdefgh\nabcdefgh ab"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        const QString broken = WithLineBreakPlaces(c.Text, 8);
        EXPECT_EQ(broken, c.Broken);
        EXPECT_EQ(QString(broken).remove(z), c.Text) << "nothing but the places is added";
    }
}

// A box about a journal with a name of 255 bytes in a deep folder: the path
// has no blank to break at, yet the box stays within the screen. A picture of
// it goes to $NIVARA_SCREENSHOTS when that names a folder.
TEST(QtFormDialogs, ABoxWithALongPathKeepsToTheScreen)
{
    const QString path = "/home/operator/" + QString("Журналы/").repeated(6) + QString("Ж").repeated(125) + "5.txt";
    const QString text = QStringLiteral("Не удалось прочитать журнал \"%1\": нет прав доступа").arg(path);
    const std::unique_ptr<IFormDialogs> dialogs = CreateQtFormDialogs();
    QRect box, screen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!shown || !shown->isVisible())
            return;
        timer.stop();
        box = shown->frameGeometry();
        screen = shown->screen()->availableGeometry();
        if (const QString folder = qEnvironmentVariable("NIVARA_SCREENSHOTS"); !folder.isEmpty())
            shown->grab().save(QDir(folder).filePath("nivara-long-path-box.png"));
        shown->button(QMessageBox::Ok)->click();
    });
    timer.start(20);
    dialogs->ShowError(nullptr, text, "Nivara");
    ASSERT_TRUE(box.isValid());
    EXPECT_LE(box.width(), screen.width()) << "box " << box.width() << " px on a screen of " << screen.width();
}

} // namespace
