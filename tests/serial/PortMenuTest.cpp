// The port menu, built offscreen, and the ports it shows, read from a fake
// sysfs and a fake /dev with its by-id links.

#include "PortMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const TPortMenuTexts kTexts{"absent", "Other…"};

// The port items: text, with "*" when checked.
QStringList Items(const QMenu &Menu)
{
    QStringList t;
    for (const QAction *a : Menu.actions())
        if (a->isCheckable())
            t << a->text() + (a->isChecked() ? "*" : "");
    return t;
}

QStringList Values(const QMenu &Menu)
{
    QStringList t;
    for (const QAction *a : Menu.actions())
        if (a->isCheckable())
            t << a->objectName();
    return t;
}

std::vector<TSerialPortInfo> Named(std::initializer_list<const char *> Names)
{
    std::vector<TSerialPortInfo> ports;
    for (const char *name : Names)
        ports.push_back({name, name, "", "", true});
    return ports;
}

void Build(QMenu &Menu, const QString &Current, const std::vector<TSerialPortInfo> &Ports)
{
    BuildPortMenu(&Menu, Current, Ports, DescribeSerialPort(Current.toStdString(), {"/nonexistent", "/nonexistent"}),
                  kTexts);
}

TEST(PortMenu, OneItemPerPortInListOrderThenTheItemForAnyOtherPort)
{
    QMenu menu;
    Build(menu, "ttyS3", Named({"ttyS1", "ttyS10", "ttyS3"}));
    EXPECT_EQ(Items(menu), (QStringList{"ttyS1", "ttyS10", "ttyS3*"}));
    for (const QAction *a : menu.actions()) {
        if (!a->isCheckable())
            continue;
        EXPECT_EQ(a->objectName(), a->text());
        ASSERT_NE(a->actionGroup(), nullptr);
        EXPECT_TRUE(a->actionGroup()->isExclusive());
    }
    const QAction *other = menu.actions().last();
    EXPECT_EQ(other->text(), "Other…");
    EXPECT_EQ(other->objectName(), kOtherPortItemName);
    EXPECT_FALSE(other->isCheckable());
}

TEST(PortMenu, TheConfiguredPortIsAlwaysThereAndChecked)
{
    QMenu menu;
    // Case counts: com3 is not COM3, and it is not on the machine.
    Build(menu, "com3", Named({"COM1", "COM3"}));
    EXPECT_EQ(Items(menu), (QStringList{"COM1", "COM3", "com3 (absent)*"}));

    // A path that is there, such as an emulator's terminal: no mark.
    QTemporaryDir dir;
    const QString pty = dir.filePath("analyzer");
    std::ofstream(pty.toStdString()) << "";
    Build(menu, pty, Named({"COM1"}));
    EXPECT_EQ(Items(menu), (QStringList{"COM1", pty + "*"}));

    Build(menu, "", Named({}));
    EXPECT_TRUE(Items(menu).isEmpty());
    EXPECT_EQ(menu.actions().size(), 2) << "separator and the other-port item";
}

TEST(PortMenu, RebuildReplacesTheItems)
{
    QMenu menu;
    Build(menu, "", Named({"a", "b", "c"}));
    Build(menu, "", Named({"d"}));
    EXPECT_EQ(Items(menu), QStringList{"d"});
    EXPECT_EQ(menu.findChildren<QActionGroup *>().size(), 1);
    EXPECT_EQ(menu.actions().size(), 3);
}

TEST(PortMenu, NamesThatAreNoIdentifiersStillGetItems)
{
    QMenu menu;
    Build(menu, "/dev/serial/by-id/usb-FTDI 1", Named({"/dev/serial/by-id/usb-FTDI 1", "1port"}));
    EXPECT_EQ(Items(menu), (QStringList{"/dev/serial/by-id/usb-FTDI 1*", "1port"}));
    EXPECT_EQ(Values(menu), (QStringList{"/dev/serial/by-id/usb-FTDI 1", "1port"}));
}

TEST(PortMenu, ClickingAnItemChecksItAndUnchecksTheOthers)
{
    QMenu menu;
    Build(menu, "COM3", Named({"COM1", "COM3"}));
    QAction *com1 = menu.findChild<QAction *>("COM1");
    QAction *com3 = menu.findChild<QAction *>("COM3");
    ASSERT_TRUE(com1 && com3);
    QSignalSpy clicks(com1, &QAction::triggered);

    com1->trigger();
    EXPECT_EQ(Items(menu), (QStringList{"COM1*", "COM3"}));
    EXPECT_EQ(clicks.count(), 1);

    com1->trigger(); // the marked item stays marked
    EXPECT_TRUE(com1->isChecked());
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(com3->isChecked());
}

// A machine with a built-in UART, a USB-serial adapter with a by-id link and
// a USB modem without a serial number.
class FakeMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Root = Dir.path().toStdString();
        Roots = {(Root / "sys").string(), (Root / "dev").string()};
        AddTty("ttyS0", "devices/platform/serial8250/ttyS0", "4");
        AddUsb("1-1", {{"manufacturer", "FTDI"}, {"product", "FT232R USB UART"}, {"serial", "A50285BI"}});
        AddTty("ttyUSB0", "devices/usb1/1-1/1-1:1.0/ttyUSB0");
        AddUsb("1-2", {{"product", "USB Modem"}});
        AddTty("ttyACM0", "devices/usb1/1-2/1-2:1.0");
        AddByIdLink(kFtdi, "ttyUSB0");
    }

    void AddUsb(const std::string &Name, std::vector<std::pair<std::string, std::string>> Attributes)
    {
        const fs::path dir = Root / "sys/devices/usb1" / Name;
        fs::create_directories(dir);
        std::ofstream(dir / "idVendor") << "0403\n";
        for (const auto &[name, value] : Attributes)
            std::ofstream(dir / name) << value << "\n";
    }
    void AddTty(const std::string &Name, const std::string &DevicePath, const char *Type = nullptr)
    {
        const fs::path tty = Root / "sys/class/tty" / Name;
        fs::create_directories(tty);
        fs::create_directories(Root / "sys" / DevicePath);
        fs::create_directory_symlink(Root / "sys" / DevicePath, tty / "device");
        if (Type)
            std::ofstream(tty / "type") << Type << "\n";
        fs::create_directories(Root / "dev");
        std::ofstream(Root / "dev" / Name) << "";
    }
    void RemoveTty(const std::string &Name)
    {
        fs::remove_all(Root / "sys/class/tty" / Name);
        fs::remove(Root / "dev" / Name);
    }
    void AddByIdLink(const std::string &Name, const std::string &Device)
    {
        const fs::path dir = Root / "dev/serial/by-id";
        fs::create_directories(dir);
        fs::remove(dir / Name);
        fs::create_symlink("../../" + Device, dir / Name);
    }

    void Build(QMenu &Menu, const QString &Current) const
    {
        BuildPortMenu(&Menu, Current, ListSerialPorts(Roots), DescribeSerialPort(Current.toStdString(), Roots), kTexts);
    }

    static constexpr const char *kFtdi = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const QString FtdiById = QString("/dev/serial/by-id/") + kFtdi;
    QTemporaryDir Dir;
    fs::path Root;
    TSerialRoots Roots;
};

TEST_F(FakeMachine, ItemsShowTheAdaptersAndChoosingOneStoresItsStableName)
{
    QMenu menu;
    Build(menu, "ttyS0");
    EXPECT_EQ(Items(menu), (QStringList{"ttyACM0 — USB Modem", "ttyS0*", "ttyUSB0 — FTDI FT232R USB UART (A50285BI)"}));
    EXPECT_EQ(Values(menu), (QStringList{"ttyACM0", "ttyS0", FtdiById}));

    // Stored by its plain name, the adapter's item is checked all the same.
    Build(menu, "ttyUSB0");
    EXPECT_EQ(Items(menu).filter("*"), QStringList{"ttyUSB0 — FTDI FT232R USB UART (A50285BI)*"});
}

TEST_F(FakeMachine, AStoredStableNameFollowsTheAdapterAndIsShownAbsentWhenItIsGone)
{
    QMenu menu;
    Build(menu, FtdiById);
    EXPECT_EQ(Items(menu).filter("*"), QStringList{"ttyUSB0 — FTDI FT232R USB UART (A50285BI)*"});

    // Replugged, it came back as ttyUSB1.
    RemoveTty("ttyUSB0");
    AddTty("ttyUSB1", "devices/usb1/1-1/1-1:1.0/ttyUSB1");
    AddByIdLink(kFtdi, "ttyUSB1");
    Build(menu, FtdiById);
    EXPECT_EQ(Items(menu).filter("*"), QStringList{"ttyUSB1 — FTDI FT232R USB UART (A50285BI)*"});

    // Unplugged: the link is gone too.
    RemoveTty("ttyUSB1");
    fs::remove(Root / "dev/serial/by-id" / kFtdi);
    Build(menu, FtdiById);
    EXPECT_EQ(Items(menu), (QStringList{"ttyACM0 — USB Modem", "ttyS0", FtdiById + " (absent)*"}));
}

TEST_F(FakeMachine, DescriptionOfOnePort)
{
    const TSerialPortInfo usb = DescribeSerialPort("/dev/ttyUSB0", Roots);
    EXPECT_EQ(usb.Device, "ttyUSB0");
    EXPECT_EQ(usb.Description, "FTDI FT232R USB UART (A50285BI)");
    EXPECT_EQ(usb.ByIdPath, FtdiById.toStdString());
    EXPECT_TRUE(usb.Present);

    const TSerialPortInfo com1 = DescribeSerialPort("COM1", Roots); // a Windows station's name
    EXPECT_EQ(com1.Device, "ttyS0");
    EXPECT_TRUE(com1.Present);
    EXPECT_EQ(com1.Description, "");
    EXPECT_EQ(com1.ByIdPath, "");

    EXPECT_FALSE(DescribeSerialPort("ttyUSB7", Roots).Present);
}

} // namespace
