#pragma once
// "Configuration" without surprises: it writes a new address and product code to address 127,
// so every device on the bus takes them. Before sending, the bus is asked who answers; after,
// the device is read at its new address.
//
// Thread contract: both block for their exchanges; call them from a worker.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Message.h"
#include "base/Progress.h"
#include "state/AppContext.h"

namespace config {

// The response time-out of the quick look at who answers when the operator's is "Classic".
constexpr int kQuickScanTimeoutMs = 50;

// Addresses 1..60 that answer a read of register 3, each waited for no longer than the
// operator's response time-out (kQuickScanTimeoutMs when "Classic"). `failed` is set when the
// port failed (the bus has said why); `cancel` stops before the next address. `progress`, when
// given, shows the address asked, how many answered and the time left.
std::vector<int> answeringDevices(AppContext& ctx, bool& failed,
                                  const std::atomic<int>* cancel = nullptr,
                                  Progress* progress = nullptr);

// "More than one device answers: 3, 7. Every one of them takes address 5. Send anyway?"
Message severalAnswerQuestion(const std::vector<int>& answering, int address);
// "More than one device answers: 3, 7. Nothing was sent."
Message severalAnswerRefusal(const std::vector<int>& answering);

struct ConfigurationCheck {
    enum class Status {
        Confirmed,   // the device at the new address holds the address and product code
        NoAnswer,    // nothing answers at the new address
        Differs,     // it answers holding something else
        PortFailed,  // the port failed or is closed (the bus has said why)
    };
    Status status = Status::NoAnswer;
    bool written = false;       // the broadcast went out
    int address = 0;            // what was sent
    long long productCode = 0;  // what was sent
    int heldAddress = 0;
    long long heldProductCode = 0;
    bool confirmed() const { return status == Status::Confirmed; }
};

// The configuration frame to address 127, the store wait, then registers 1..3 read at the new
// address. `progress`, when given, follows the three steps.
ConfigurationCheck configureAndConfirm(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                       int address, long long productCode,
                                       Progress* progress = nullptr);

// "Configuration confirmed: address 5, product code 70000", or why not; empty for PortFailed.
Message configurationText(const ConfigurationCheck& c);

}  // namespace config
