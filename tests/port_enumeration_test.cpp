// Which serial ports the enumeration offers, and in what order.
#include "transport/ComPortEnumeration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarvex;
using testing::ElementsAre;

namespace {

std::vector<std::string> Names(const std::vector<ComPortEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.name);
    return names;
}

// As the Windows device-setup interface reports ports: by friendly name only.
std::vector<RawComPort> Windows(std::initializer_list<const char*> friendlyNames) {
    std::vector<RawComPort> ports;
    for (const char* name : friendlyNames)
        ports.push_back({"", name});
    return ports;
}

} // namespace

TEST(ComPortNumber, ComesFromTheLastComGroupOfTheFriendlyName) {
    EXPECT_EQ(ParseComPortNumber("USB Serial Port (COM12)"), 12);
    EXPECT_EQ(ParseComPortNumber("(COM1)"), 1);
    EXPECT_EQ(ParseComPortNumber("Adapter (COM7) bridge (COM9)"), 9);
    EXPECT_EQ(ParseComPortNumber("Port (COM256)"), 256);

    for (const char* name :
         {"Bluetooth Link", "Printer Port (LPT1)", "Port (com3)", "Port (COM)", "Port (COM12",
          "Port (COM1a)", "Port (COM-3)", "Port (COM0)", "Port (COM99999999999)"})
        EXPECT_EQ(ParseComPortNumber(name), std::nullopt) << name;
}

TEST(SelectComPorts, WindowsNamesComeFromTheFriendlyNameAndUnnumberedPortsAreSkipped) {
    const auto ports = SelectComPorts(Windows({"Communications Port (COM1)", "Bluetooth Link",
                                               "USB Serial Port (COM12)", "Modem (COMx)"}),
                                      "", "");
    ASSERT_THAT(Names(ports), ElementsAre("COM1", "COM12"));
    EXPECT_EQ(ports[1].description, "USB Serial Port (COM12)");
}

TEST(SelectComPorts, NamedPortsAreKeptAsNamed) {
    const std::vector<RawComPort> posix = {{"/dev/ttyUSB0", "Laser adapter (/dev/ttyUSB0)"},
                                           {"/dev/ttyS0", "ttyS0 (/dev/ttyS0)"}};
    EXPECT_THAT(Names(SelectComPorts(posix, "", "")), ElementsAre("/dev/ttyUSB0", "/dev/ttyS0"));
}

TEST(SelectComPorts, FilterIsACaseSensitiveSubstringOfTheFriendlyName) {
    const auto raw =
        Windows({"USB Serial Port (COM3)", "usb serial port (COM4)", "Communications Port (COM1)"});
    EXPECT_THAT(Names(SelectComPorts(raw, "", "USB")), ElementsAre("COM3"));
    EXPECT_THAT(Names(SelectComPorts(raw, "", "(COM")), ElementsAre("COM3", "COM4", "COM1"));
    EXPECT_THAT(Names(SelectComPorts(raw, "", "Modem")), ElementsAre());
    EXPECT_THAT(Names(SelectComPorts(raw, "", "")), ElementsAre("COM3", "COM4", "COM1"));
}

TEST(SelectComPorts, PreferredPortSwapsWithTheFirst) {
    const auto raw = Windows({"A (COM1)", "B (COM2)", "C (COM3)", "D (COM4)"});
    // Swapped, not rotated: the ports between keep their places.
    EXPECT_THAT(Names(SelectComPorts(raw, "COM3", "")),
                ElementsAre("COM3", "COM2", "COM1", "COM4"));
    EXPECT_THAT(Names(SelectComPorts(raw, "COM1", "")),
                ElementsAre("COM1", "COM2", "COM3", "COM4"));
    EXPECT_THAT(Names(SelectComPorts(raw, "COM9", "")),
                ElementsAre("COM1", "COM2", "COM3", "COM4"));
    // A preferred port the filter removed is absent, so nothing moves.
    EXPECT_THAT(Names(SelectComPorts(raw, "COM4", "(COM2)")), ElementsAre("COM2"));
    // The swap happens among the ports the filter kept.
    EXPECT_THAT(
        Names(SelectComPorts(Windows({"A (COM1)", "USB (COM2)", "USB (COM3)"}), "COM3", "USB")),
        ElementsAre("COM3", "COM2"));
}

TEST(EnumerateComPorts, FriendlyNamesOnThisMachineEndWithThePortName) {
    // Whatever ports this machine has (often none): each friendly name carries its device.
    for (const auto& port : EnumerateComPorts()) {
        EXPECT_FALSE(port.name.empty());
        const std::string suffix = " (" + port.name + ")";
        ASSERT_GE(port.description.size(), suffix.size()) << port.description;
        EXPECT_EQ(port.description.substr(port.description.size() - suffix.size()), suffix);
    }
}
