// A status reaches the operator as the port always said it: the same calls, icons and order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Status.h"
#include "state/ReportStatus.h"

namespace {

// Every call, in order, status lines included.
class CallLog : public OperatorMessages {
public:
    void show(const Message& text, MessageIcon icon) override {
        calls.push_back(std::string(icon == MessageIcon::Exclamation ? "show! " : "show ") +
                        text.text());
    }
    void showWithDetail(const Message& text, MessageIcon icon, const Message& detail) override {
        show(text, icon);
        calls.back() += " / " + detail.text();
    }
    void status(const Message& text) override { calls.push_back("status " + text.text()); }
    std::vector<std::string> calls;
};

using Code = Status::Code;
using Calls = std::vector<std::string>;

TEST(ReportStatus, ShowsWhatThePortSaidInItsOrder) {
    const struct {
        const char* name;
        Status status;
        Calls calls;
    } cases[] = {
        {"opened: the old reason goes first",
         Status(Code::Ok, "Opened", MessageIcon::Exclamation).withStatusLine({}),
         {"status ", "show! Opened"}},
        {"open failed: the reason below the message and on the bar",
         Status(Code::OpenFailed, "Open error", MessageIcon::Exclamation)
             .withDetail(Message("No such device"))
             .withStatusLine(Message("No such device")),
         {"show! Open error / No such device", "status No such device"}},
        {"line failed: the message, then why the port is closed",
         Status(Code::LineFailed, "Error Code5").withStatusLine(Message("closed: hung up")),
         {"show Error Code5", "status closed: hung up"}},
        {"not open: a message alone", Status(Code::NotOpen, "Not open"), {"show Not open"}},
        {"silent", Status::closed(), {}},
        {"nothing to say", Status(), {}},
    };
    for (const auto& c : cases) {
        CallLog log;
        reportStatus(log, c.status);
        EXPECT_EQ(log.calls, c.calls) << c.name;
    }
}

}  // namespace
