#pragma once
// Writing the page's parameters to devices: the frames and the exchanges of "Configuration" and
// "Batch download".
//
// Encodings (x the page value, s the multiplier of the selected "Point position:" text, 1 when
// none is selected): range and zoom fields x*s truncated toward zero; action and release fields
// rounded half away from zero for s > 1, truncated for s = 1; delays x*10 truncated; signed
// fields as 16-bit two's complement, unsigned ones as quotient / remainder by 256. Coded fields
// compare the list text exactly; no match gives 0.
//
// Thread contract: the download functions block for the exchange and the 5 s store wait; call
// them from a worker, never from the window's thread.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "common/AppContext.h"
#include "config/ParameterModel.h"

namespace config {

// Register 18 from the output type and the analogue list it uses.
int outputRangeCode(const BasicConfigModel& m);
// Data bytes of registers 10..21 (24 bytes) and 4..21 (36 bytes), high byte first.
std::vector<std::uint8_t> encodeSwitchRegisters(const BasicConfigModel& m);
std::vector<std::uint8_t> encodeBlockRegisters(const BasicConfigModel& m);

// Frames without their CRC.
std::vector<std::uint8_t> configurationFrame(std::int32_t productCode, int address);
std::vector<std::uint8_t> singleDownloadFrame(std::uint8_t address, const BasicConfigModel& m);
std::vector<std::uint8_t> batchDownloadFrame(const BasicConfigModel& m);

extern const char* const kDownloadSuccess;    // "Download Success!"
extern const char* const kDownloadFailed;     // "Download failed!"
extern const char* const kNoSearchAppliance;  // "No search appliance！"

enum class DownloadResult {
    Success,      // answer verified (one device) or frame written (all devices)
    Failed,       // no valid answer from the one device
    WriteFailed,  // the port failed or is closed (the bus said why)
};

// Registers 10..21 to the frame's address, its answer checked by CRC, then the store wait. The
// caller has checked that there is a current device.
DownloadResult downloadToDevice(AppContext& ctx, const std::vector<std::uint8_t>& frame);
// Registers 4..21 to address 127, no answer; the store wait after a successful write.
DownloadResult downloadToAll(AppContext& ctx, const std::vector<std::uint8_t>& frame);
// The message that reports a result; empty for WriteFailed (the port has spoken).
std::string downloadMessage(DownloadResult r);

// Product code and address to address 127; the write's result.
int sendConfiguration(AppContext& ctx, std::int32_t productCode, int address);

}  // namespace config
