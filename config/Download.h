#pragma once
// Writing the page's parameters to devices: the frames and the exchanges of "Configuration" and
// "Batch download".
//
// Encodings (x the page value, s the multiplier of the selected "Point position:" text, 1 when
// none is selected): link/RegisterMap.h, encodeField. Coded fields compare the list text
// exactly; no match gives 0. A number its register cannot hold at s is refused, naming the
// field and the range it can hold; such a frame is never built, so nothing is sent.
//
// Thread contract: the frames are built on any thread; the download functions block for the
// exchange and the 5 s store wait, so call them from a worker, never from the window's thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Message.h"
#include "base/Progress.h"
#include "config/ParameterModel.h"
#include "link/RegisterMap.h"
#include "state/AppContext.h"

namespace config {

// The first field, in register order, that its register cannot hold.
struct FieldRefusal {
    EditId edit;
    Message message;  // "K1 action: enter a value from -327.68 to 327.67"
};

// A frame without its CRC, or why it was not built.
struct Frame {
    std::vector<std::uint8_t> bytes;  // empty when refused
    std::optional<FieldRefusal> refusal;
};

// "<caption> enter a value from <min / multiplier> to <max / multiplier>".
Message rangeMessage(EditId edit, long long min, long long max, int multiplier);

// Register 18 from the output type and the analogue list it uses.
int outputRangeCode(const BasicConfigModel& m);

// Product code (0..2147483647) and the address of "Current device:" (1..60) to address 127.
Frame configurationFrame(long long productCode, int address);
// Registers 10..21 to one device.
Frame singleDownloadFrame(std::uint8_t address, const BasicConfigModel& m);
// Registers 4..21 to address 127.
Frame batchDownloadFrame(const BasicConfigModel& m);

extern const char* const kDownloadSuccess;    // "Download Success!"
extern const char* const kDownloadFailed;     // "Download failed!"
extern const char* const kNoSearchAppliance;  // "No search appliance！"

enum class DownloadResult {
    Success,      // answer verified (one device) or frame written (all devices)
    Failed,       // no valid answer from the one device
    WriteFailed,  // the port failed or is closed (the bus said why)
};

// Registers 10..21 to the frame's address, its answer checked by CRC, then the store wait. The
// caller has checked that there is a current device. `progress`, when given, shows the write
// and the store wait as steps `done` and `done` + 1 of `total`. `refusedWith`, when given, gets
// the exception code of a device that refused the write (0 otherwise).
DownloadResult downloadToDevice(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                Progress* progress = nullptr, int done = 0, int total = 0,
                                std::uint8_t* refusedWith = nullptr);
// Registers 4..21 to address 127, no answer; the store wait after a successful write.
DownloadResult downloadToAll(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                             Progress* progress = nullptr, int done = 0, int total = 0);
// The wait devices need to store what was written, counted down in `progress` when given.
void waitForStore(AppContext& ctx, Progress* progress, int done = 0, int total = 0);
// The message that reports a result; empty for WriteFailed (the port has spoken).
std::string downloadMessage(DownloadResult r);

// The configuration frame to address 127; the write's result.
int sendConfiguration(AppContext& ctx, const std::vector<std::uint8_t>& frame);

// Registers 10..21 are scaled by the point position and read with the output type the device
// already has: a parameter set for one device is refused when either differs from the
// device's block. "Point position: the file has 00.00, device 3 has 0.000"; nullopt when both
// agree.
std::optional<std::string> deviceMismatch(const BasicConfigModel& m,
                                          const reg::ParameterBlock& device, int address);

}  // namespace config
