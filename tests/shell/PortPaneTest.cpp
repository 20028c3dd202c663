#include <gtest/gtest.h>

#include "shell/PortPane.h"

TEST(PortPane, LineSettingsReadAsOnADeviceLabel) {
    struct Case {
        int baud;
        int bits;
        const char* parity;
        const char* stop;
        const char* expected;
    } cases[] = {
        {9600, 8, "No parity", "1", "9600 8N1"},
        {115200, 7, "Odd parity", "2", "115200 7O2"},
        {19200, 8, "even parity", "1.5", "19200 8E1.5"},
        // Typed by hand and unknown to the port, which then keeps the driver's value.
        {4800, 9, "Mark", "3", "4800 ???"},
    };
    for (const Case& c : cases) {
        SerialSettings s;
        s.BaudRate = c.baud;
        s.DataBits = c.bits;
        s.Parity = c.parity;
        s.StopBits = c.stop;
        EXPECT_EQ(lineSettingsText(s), c.expected) << c.expected;
    }
}
