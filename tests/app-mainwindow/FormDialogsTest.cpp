// The real save dialog: it asks before it returns the name of an existing file.

#include "FormDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
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

} // namespace
