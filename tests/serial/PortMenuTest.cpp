// The port menu, built offscreen.

#include "PortMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const QMenu &Menu) {
    QStringList t;
    for (const QAction *a : Menu.actions())
        t << a->text();
    return t;
}

QStringList Checked(const QMenu &Menu) {
    QStringList t;
    for (const QAction *a : Menu.actions())
        if (a->isChecked())
            t << a->objectName();
    return t;
}

TEST(PortMenu, OneItemPerNameInListOrderNamedAfterThePort) {
    QMenu menu;
    BuildPortMenu(&menu, "ttyS3", "ttyS1,ttyS10,ttyS3");
    EXPECT_EQ(Texts(menu), (QStringList{"ttyS1", "ttyS10", "ttyS3"}));
    for (const QAction *a : menu.actions()) {
        EXPECT_EQ(a->objectName(), a->text());
        EXPECT_TRUE(a->isCheckable());
        ASSERT_NE(a->actionGroup(), nullptr);
        EXPECT_TRUE(a->actionGroup()->isExclusive());
    }
    EXPECT_EQ(Checked(menu), QStringList{"ttyS3"});
}

TEST(PortMenu, OnlyAnExactMatchIsChecked) {
    QMenu menu;
    BuildPortMenu(&menu, "com3", "COM1,COM3");
    EXPECT_TRUE(Checked(menu).isEmpty());
    BuildPortMenu(&menu, "COM3", "COM1,COM3");
    EXPECT_EQ(Checked(menu), QStringList{"COM3"});
}

TEST(PortMenu, RebuildReplacesTheItemsAndEmptyListEmptiesTheMenu) {
    QMenu menu;
    BuildPortMenu(&menu, "", "a,b,c");
    BuildPortMenu(&menu, "", "d");
    EXPECT_EQ(Texts(menu), QStringList{"d"});
    EXPECT_EQ(menu.findChildren<QActionGroup *>().size(), 1);
    BuildPortMenu(&menu, "COM1", "");
    EXPECT_TRUE(menu.actions().isEmpty());
}

TEST(PortMenu, NamesThatAreNoIdentifiersStillGetItems) {
    QMenu menu;
    BuildPortMenu(&menu, "/dev/serial/by-id/usb-FTDI 1", "\"/dev/serial/by-id/usb-FTDI 1\",1port");
    EXPECT_EQ(Texts(menu), (QStringList{"/dev/serial/by-id/usb-FTDI 1", "1port"}));
    EXPECT_EQ(Checked(menu), QStringList{"/dev/serial/by-id/usb-FTDI 1"});
}

TEST(PortMenu, ClickingAnItemChecksItAndUnchecksTheOthers) {
    QMenu menu;
    BuildPortMenu(&menu, "COM3", "COM1,COM3");
    QAction *com1 = menu.findChild<QAction *>("COM1");
    QAction *com3 = menu.findChild<QAction *>("COM3");
    ASSERT_TRUE(com1 && com3);
    QSignalSpy clicks(com1, &QAction::triggered);

    com1->trigger();
    EXPECT_EQ(Checked(menu), QStringList{"COM1"});
    EXPECT_EQ(clicks.count(), 1);

    com1->trigger(); // the marked item stays marked
    EXPECT_EQ(Checked(menu), QStringList{"COM1"});
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(com3->isChecked());
}

} // namespace
