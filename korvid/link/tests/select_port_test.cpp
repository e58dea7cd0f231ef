// The rules of the port selection: test on choice, jump back on failure, OK and Cancel.
#include "common/testing/pty_pair.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/link/com_port.h"
#include "korvid/link/port_description.h"
#include "korvid/link/select_port_model.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace korvid;

TEST(SelectPortModel, ListsTwentyPortsWithTheirDevices)
{
    SelectPortModel m(
        1, [](int) { return true; }, [](int n) { return n == 2 ? std::string("/dev/ttyUSB0") : ""; });
    auto e = m.entries();
    ASSERT_EQ(e.size(), 20u);
    EXPECT_EQ(e[0], "COM1");
    EXPECT_EQ(e[1], "COM2  /dev/ttyUSB0");
    EXPECT_EQ(e[19], "COM20");
    EXPECT_EQ(m.selected_index(), 0);
    EXPECT_EQ(m.port_text(), "");
}

TEST(SelectPortModel, FailedChoiceJumpsBackAndOkKeepsThePreviousPort)
{
    std::vector<int> tested;
    SelectPortModel m(3, [&](int n) {
        tested.push_back(n);
        return n == 5;
    });
    EXPECT_EQ(m.selected_index(), 2);
    EXPECT_EQ(m.select(2), 2); // the same entry again: no test
    EXPECT_TRUE(tested.empty());
    EXPECT_EQ(m.select(6), 2); // COM7 does not open
    EXPECT_EQ(m.port_text(), "");
    EXPECT_EQ(m.select(4), 4); // COM5 does
    EXPECT_EQ(m.port_text(), "COM5");
    EXPECT_EQ(m.select(0), 4);
    EXPECT_EQ(m.select(25), 4); // outside the list
    EXPECT_EQ(tested, (std::vector<int>{7, 5, 1}));

    int com = 3;
    m.finish(false, com);
    EXPECT_EQ(com, 3);
    m.finish(true, com);
    EXPECT_EQ(com, 5);
}

TEST(SelectPortModel, BoundToTheRealPortCheck)
{
    common::testing::PtyPair a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    std::string env = a.path() + ":" + b.path();
    ::setenv("KORVID_SERIAL_PORTS", env.c_str(), 1);
    common::ScriptedPrompts prompts;
    CComPort holder;
    ASSERT_TRUE(holder.OpenPath(b.path(), 2)); // COM2 is in use

    g_ComPort = 1;
    SelectPortModel m(g_ComPort, [&](int n) { return TestPort(n, &prompts); });
    EXPECT_EQ(m.select(1), 0);
    EXPECT_EQ(m.select(3), 0); // COM4 is not in the table
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{
                                 "Can not open COM2\n" + b.path() + ": busy, another program is using it",
                                 "Can not open COM4\nCOM4: " + no_such_port_reason(),
                             }));
    m.finish(true, g_ComPort);
    EXPECT_EQ(g_ComPort, 1);
    holder.Close();
    EXPECT_EQ(m.select(1), 1);
    m.finish(true, g_ComPort);
    EXPECT_EQ(g_ComPort, 2);
}

TEST(SelectPortModel, TheKeptPortIsFoundByItsDeviceFirst)
{
    const std::vector<std::string> today = {"/dev/ttyS0", "/dev/ttyUSB1", "/dev/ttyUSB0"};
    EXPECT_EQ(port_to_restore("/dev/ttyUSB0", 2, today), 3); // the adapter moved from COM2 to COM3
    EXPECT_EQ(port_to_restore("/dev/ttyUSB7", 2, today), 2);
    EXPECT_EQ(port_to_restore("", 21, today), 0);
    EXPECT_EQ(port_to_restore("", 0, today), 0);
}

TEST(PortDescription, UsbStringsThenTheByIdNameThenTheKindOfDevice)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("port_description_" + std::to_string(::getpid()));
    fs::remove_all(root);
    const DeviceTrees trees{(root / "sys").string(), (root / "dev").string()};
    // A USB device whose interface holds the tty, as sysfs lays it out.
    const fs::path usb = root / "sys/devices/pci0/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0/ttyUSB0");
    std::ofstream(usb / "idVendor") << "0403\n";
    std::ofstream(usb / "manufacturer") << "FTDI\n";
    std::ofstream(usb / "product") << "FT232R USB UART\n";
    fs::create_directories(root / "sys/class/tty/ttyUSB0");
    fs::create_directory_symlink(usb / "1-1:1.0/ttyUSB0", root / "sys/class/tty/ttyUSB0/device");
    // An adapter sysfs says nothing of, named by udev's link.
    fs::create_directories(root / "dev/serial/by-id");
    std::ofstream(root / "dev/ttyUSB1").put('\0');
    fs::create_symlink("../../ttyUSB1", root / "dev/serial/by-id/usb-Prolific_PL2303_Serial_AB12-if00-port0");

    EXPECT_EQ(port_description("/dev/ttyUSB0", trees), "FTDI FT232R USB UART");
    EXPECT_EQ(device_with_description((root / "dev/ttyUSB1").string(), trees),
              (root / "dev/ttyUSB1").string() + "  (Prolific PL2303 Serial AB12)");
    EXPECT_EQ(port_description("/dev/ttyS3", trees), "built-in serial port");
    EXPECT_EQ(port_description("/dev/pts/7", trees), "pseudo-terminal");
    fs::remove_all(root);
}
