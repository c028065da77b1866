// The list of serial ports, read from a fake sysfs tty folder.

#include "SerialPortList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = fs::temp_directory_path() /
               ("nivara-sysfs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Root);
        fs::create_directories(Root / "devices");
    }
    void TearDown() override { fs::remove_all(Root); }

    // A tty with hardware behind it; Type is the serial_core "type" file, if any.
    void AddDevice(const std::string &Name, const char *Type = nullptr)
    {
        fs::create_directories(Tty() / Name);
        fs::create_directories(Root / "devices" / Name);
        fs::create_directory_symlink(Root / "devices" / Name, Tty() / Name / "device");
        if (Type)
            std::ofstream(Tty() / Name / "type") << Type << "\n";
    }
    // A tty with no device link (console, virtual terminal).
    void AddVirtual(const std::string &Name) { fs::create_directories(Tty() / Name); }

    fs::path Tty() const { return Root / "class" / "tty"; }
    std::string Names() const { return GetSerialPortNames(TSerialRoots{Root.string(), "/dev"}); }

    fs::path Root;
};

TEST_F(FakeSysfs, DevicesWithHardwareBehindThemSortedIgnoringCase)
{
    AddDevice("ttyS3", "4");
    AddDevice("ttyS1", "4");
    AddDevice("ttyS10", "4");
    AddDevice("ttyUSB0");
    AddDevice("ttyACM0");
    AddVirtual("tty0");
    AddVirtual("console");
    AddVirtual("ptmx");
    EXPECT_EQ(Names(), "ttyACM0,ttyS1,ttyS10,ttyS3,ttyUSB0");
}

TEST_F(FakeSysfs, PlaceholderUartsAreSkipped)
{
    AddDevice("ttyS0", "4"); // a 16550A
    AddDevice("ttyS1", "0"); // no UART found at that address
    AddDevice("ttyS2", "x"); // unreadable type: kept
    AddDevice("ttyAMA0", "0");
    EXPECT_EQ(Names(), "ttyS0,ttyS2");
}

TEST_F(FakeSysfs, DuplicatesIgnoringCaseGiveOneName)
{
    AddDevice("ttyUSB0");
    AddDevice("TTYUSB0");
    AddDevice("ttyusb0");
    EXPECT_EQ(Names(), "TTYUSB0");
}

TEST_F(FakeSysfs, BrokenDeviceLinkDoesNotCount)
{
    AddDevice("ttyUSB1");
    fs::remove_all(Root / "devices" / "ttyUSB1");
    EXPECT_EQ(Names(), "");
}

TEST_F(FakeSysfs, SlashInADeviceNameGivesItsPath)
{
    AddDevice("tts!0");
    EXPECT_EQ(Names(), "/dev/tts/0");
}

TEST(GetSerialPortNames, MissingFolderGivesAnEmptyList)
{
    EXPECT_EQ(GetSerialPortNames(TSerialRoots{"/nonexistent/sys", "/dev"}), "");
}

// Presence is judged by /dev alone: a device the kernel lists without a node
// cannot be opened, and a by-id link counts only while its device is there.
TEST_F(FakeSysfs, PresenceIsTheDeviceNodeOrALinkThatLeadsToOne)
{
    TSerialRoots roots{(Root / "sys").string(), (Root / "dev").string()};
    fs::create_directories(Root / "sys/class/tty/ttyUSB3/device");
    fs::create_directories(Root / "dev/serial/by-id");
    std::ofstream(Root / "dev/ttyS0") << "";
    std::ofstream(Root / "dev/ttyUSB0") << "";
    fs::create_symlink("../../ttyUSB0", Root / "dev/serial/by-id/usb-here");
    fs::create_symlink("../../ttyUSB1", Root / "dev/serial/by-id/usb-gone");

    const std::pair<std::string, bool> cases[] = {
        {"ttyUSB0", true},
        {"/dev/ttyUSB0", true},
        {"COM1", true}, // a Windows station's name for ttyS0
        {"/dev/serial/by-id/usb-here", true},
        {"/dev/serial/by-id/usb-gone", false},
        {"ttyUSB3", false}, // listed by the kernel, but no node
        {"COM2", false},
        {"", false},
    };
    for (const auto &[port, present] : cases) {
        EXPECT_EQ(SerialPortPresent(port, roots), present) << port;
        EXPECT_EQ(DescribeSerialPort(port, roots).Present, present) << port;
    }
}

TEST(PortNameList, JoinQuotesWhatWouldBreakTheListAndSplitTakesItBack)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"COM1"}, "COM1"},
        {{"COM1", "COM10", "COM3"}, "COM1,COM10,COM3"},
        {{"my port", "a,b", "say \"hi\"", "tab\there"}, "\"my port\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\""},
        {{"", "x"}, "\"\",x"},
    };
    for (const auto &[names, text] : cases) {
        EXPECT_EQ(JoinPortNames(names), text);
        EXPECT_EQ(SplitPortNames(text), names) << text;
    }
}

TEST(PortNameList, SplitIsLenientWithHandWrittenText)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"\"unterminated", {"unterminated"}},
        {"\"a\"b,c", {"ab", "c"}},
    };
    for (const auto &[text, names] : cases)
        EXPECT_EQ(SplitPortNames(text), names) << text;
}

} // namespace
