#pragma once
// Proof that a device holds what was written: after a download, registers 3..21 of each device
// are read back and compared with the registers the frame carried.
//
// A device that echoes a write but keeps its old registers, or misses a broadcast to address
// 127, would otherwise count as written.
//
// Thread contract: the read-backs block for their exchanges; call them from a worker.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Message.h"
#include "config/Download.h"
#include "state/AppContext.h"

namespace config {

// The registers a function 0x10 frame (without its CRC) writes.
struct SentRegisters {
    std::uint16_t first = 0;
    std::vector<std::uint16_t> values;
};
std::optional<SentRegisters> sentRegisters(const std::vector<std::uint8_t>& frame);

struct RegisterDifference {
    std::uint16_t reg = 0;
    std::uint16_t sent = 0;
    std::uint16_t held = 0;
};

enum class ReadBackStatus {
    Verified,    // every register sent is held
    Differs,     // it answered, holding other values
    NoAnswer,    // no valid block came back
    PortFailed,  // written, but the port failed or was closed before its read-back
    NotReached,  // the write never went out whole
};

struct DeviceReadBack {
    int address = 0;
    ReadBackStatus status = ReadBackStatus::NoAnswer;
    std::vector<RegisterDifference> differences;  // register order
    // NoAnswer from a device that answered with an exception: its code (0: none).
    std::uint8_t refusedWith = 0;
};

// Registers 3..21 of `address`, compared with the registers of `sent` that lie in 3..21.
DeviceReadBack readBack(AppContext& ctx, int address, const SentRegisters& sent);

// A register's value as the operator reads it: signed for the signed registers.
long long registerValue(std::uint16_t reg, std::uint16_t value);
// "K1 action holds 100, sent 125".
Message differenceText(const RegisterDifference& d);
// "12: verified", "12: K1 action holds 100, sent 125; K1 release holds 0, sent 5", "33: no answer",
// "33: written, not read back", "33: not reached".
Message deviceReadBackText(const DeviceReadBack& d);
// "58 of 60 devices verified; 12: K1 action holds 100, sent 125; 33: no answer": the devices
// that did not verify, in address order.
Message readBackSummary(const std::vector<DeviceReadBack>& devices);

// A download and what was read back after its store wait.
struct DownloadReport {
    DownloadResult result = DownloadResult::Failed;
    // The frame went out (a broadcast is never "not written" once it has).
    bool written = false;
    std::vector<DeviceReadBack> devices;  // ascending address
    // The single download's device refused the write: what it said (refusalText), else empty.
    Message refusal;
    // Written, and every device read back holds what was sent.
    bool verified() const;
};

// Registers 10..21 to the frame's device (its echo checked), the store wait, then its read-back.
// `progress`, when given, follows the three steps.
DownloadReport downloadToDeviceVerified(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                        Progress* progress = nullptr);
// Registers 4..21 to address 127, the store wait, then the read-back of every device `online`
// holds. Stops reading at a failed port: the devices not read then are "written, not read back";
// a write that failed leaves every device "not reached". `progress`, when given, follows the write,
// the store wait and each read-back, with the time left.
DownloadReport downloadToAllVerified(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                     const std::vector<int>& online, Progress* progress = nullptr);

extern const char* const kNothingReadBack;  // detail when no device was online to read back

// Tells the operator how a download went: "Download Success!" (with the count verified as its
// detail), "Download failed!" with what differs (one device), the summary (a batch), or nothing
// when the port has spoken.
void tellDownload(OperatorMessages& messages, const DownloadReport& report, bool batch);

}  // namespace config
