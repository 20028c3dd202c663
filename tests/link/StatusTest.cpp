// What each call of the port comes to: its code and the words the operator is to get, without
// the port showing anything itself.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/CSerialPort.h"
#include "link/Status.h"
#include "tests/support/TestBus.h"

namespace {

using Code = Status::Code;

// A port on an in-process line with a device behind it: no wait takes real time.
struct Line {
    SimBus::Options options = TestBus::inProcess({1});
    SimBus sim{options};
    CSerialPort port;
    Line() { port.attachLine(sim.line(), options.clock); }
    SerialSettings settings() const {
        SerialSettings s;
        s.PortName = sim.portPath();
        return s;
    }
};

std::uint8_t buf[8] = {};

TEST(Status, EveryCallOfThePortSaysWhatTheOperatorIsToBeTold) {
    const std::string missing = "/dev/korvelantis-no-such-port";
    const struct {
        const char* name;
        std::function<Status(Line&)> call;
        Code code;
        const char* message;
        MessageIcon icon;
        const char* detail;
        std::optional<std::string> statusLine;  // "" clears the status bar
    } cases[] = {
        {"read, never opened", [](Line& l) { return l.port.Read(buf, 8); }, Code::NotOpen,
         "The serial port is not open, read serial operation failed!", MessageIcon::None, "",
         std::nullopt},
        {"write, never opened", [](Line& l) { return l.port.Write(buf, 8); }, Code::NotOpen,
         "The serial port is not open,Write serial operation failed!", MessageIcon::None, "",
         std::nullopt},
        {"close, never opened", [](Line& l) { return l.port.Close(); }, Code::Ok,
         "The serial port is closed ", MessageIcon::Exclamation, "", ""},
        {"close, closed already",
         [](Line& l) {
             l.port.Close();
             return l.port.Close();
         },
         Code::Closed, "The serial port is closed ", MessageIcon::Exclamation, "", ""},
        {"read, closed",
         [](Line& l) {
             l.port.Close();
             return l.port.Read(buf, 8);
         },
         Code::Closed, "", MessageIcon::None, "", std::nullopt},
        {"write, closed",
         [](Line& l) {
             l.port.Close();
             return l.port.Write(buf, 8);
         },
         Code::Closed, "", MessageIcon::None, "", std::nullopt},
        {"open", [](Line& l) { return l.port.Open(l.settings()); }, Code::Ok,
         "System initialization, open the serial port SIM Success!", MessageIcon::Exclamation, "",
         ""},
        {"open, no such port",
         [&](Line& l) {
             SerialSettings s;
             s.PortName = missing;
             return l.port.Open(s);
         },
         Code::OpenFailed, "System initialization, open the serial port error!",
         MessageIcon::Exclamation, "No such device: MISSING. Is the adapter plugged in?",
         "No such device: MISSING. Is the adapter plugged in?"},
        {"read, line hung up",
         [](Line& l) {
             l.port.Open(l.settings());
             l.sim.hangUp();
             return l.port.Read(buf, 8);
         },
         Code::LineFailed, "Error Code5read serial operation failed!", MessageIcon::None, "",
         "The serial port SIM is closed: the line hung up."},
        {"write, line hung up",
         [](Line& l) {
             l.port.Open(l.settings());
             l.sim.hangUp();
             return l.port.Write(buf, 8);
         },
         Code::LineFailed, "Error Code5,Write serial operation failed!", MessageIcon::None, "",
         "The serial port SIM is closed: the line hung up."},
        {"read, open, silent line",
         [](Line& l) {
             l.port.Open(l.settings());
             return l.port.Read(buf, 8);
         },
         Code::Ok, "", MessageIcon::None, "", std::nullopt},
    };
    auto fill = [&](std::string text, const Line& l) {
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{"SIM", l.sim.portPath()}, {"MISSING", missing}})
            if (const auto at = text.find(from); at != std::string::npos)
                text.replace(at, from.size(), to);
        return text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Line l;
        const Status s = c.call(l);
        EXPECT_EQ(s.code(), c.code);
        EXPECT_EQ(s.ok(), c.code == Code::Ok);
        EXPECT_EQ(s.message().text(), fill(c.message, l));
        EXPECT_EQ(s.icon(), c.icon);
        EXPECT_EQ(s.detail().text(), fill(c.detail, l));
        ASSERT_EQ(s.statusLine().has_value(), c.statusLine.has_value());
        if (c.statusLine) {
            EXPECT_EQ(s.statusLine()->text(), fill(*c.statusLine, l));
        }
        EXPECT_EQ(s.silent(), std::string(c.message).empty() && !c.statusLine);
    }
}

// The port's name and the system's words are never taken for texts to translate; the templates
// and the port's own words around them are.
TEST(Status, ThePortsNameAndTheSystemsReasonStayVerbatim) {
    const auto upper = [](std::string_view t) {
        std::string u(t);
        for (char& ch : u) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return u;
    };
    Line l;
    SerialSettings missing;
    missing.PortName = "/dev/korvelantis-no-such-port";
    const Status failed = l.port.Open(missing);
    EXPECT_EQ(failed.message().translated(upper),
              "SYSTEM INITIALIZATION, OPEN THE SERIAL PORT ERROR!");
    EXPECT_EQ(failed.detail().translated(upper),
              "NO SUCH DEVICE: /dev/korvelantis-no-such-port. IS THE ADAPTER PLUGGED IN?");
    l.port.Open(l.settings());
    l.sim.hangUp();
    const Status hungUp = l.port.Read(buf, 1);
    EXPECT_EQ(hungUp.statusLine()->translated(upper),
              "THE SERIAL PORT " + l.sim.portPath() + " IS CLOSED: THE LINE HUNG UP.");
}

}  // namespace
