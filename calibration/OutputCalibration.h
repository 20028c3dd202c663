#pragma once
// Calibration of the analogue current and voltage outputs: the low/high point commands to every
// online device, the enabling of the two groups by output type, and the coefficient download.
//
// Thread contract: both run on a worker behind a wait dialog. sendOutputCommand() takes one
// 8-byte write and its echo per device (about a second for a full bus, up to 35 s when all 60 are
// silent); downloadOutputCoefficients() takes 11 s and about 30 ms a device, and reports
// through the atomics it is given.

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/Texts.h"
#include "calibration/SensorCalibration.h"
#include "state/AppContext.h"

class Progress;

namespace calib {

inline constexpr const char* kVerifyFailed = KORV_TR_NOOP("Core", "校验失败！");
// A slope of 0 or below would give every output a flat or reversed line: before any compute,
// or from a high value not above the low one.
inline constexpr const char* kSlopeNotPositive =
    KORV_TR_NOOP("Core", "斜率须大于0，请先计算斜率和平移，未下载！");

enum class OutputKind { Current, Voltage };

// Values of the output command register.
enum OutputCommand : std::uint16_t { kCommandPrepare = 0, kCommandLow = 1, kCommandHigh = 2 };

enum class OutputGroups { Neither, CurrentOnly, VoltageOnly, Unchanged };
OutputGroups groupsForOutputType(const std::string& outputTypeText);

// Writes register 40 of every online device, ascending, waiting for each device's echo before
// the next command so that no two collide on the half-duplex line; a silent device costs one
// read time-out. The echoes are taken off the line, so none can pass for a later answer.
// `cancel` stops it before the next device; `progress` is told which device is being addressed.
// Returns how many devices were addressed, or -1 when the port failed (the bus has said why).
int sendOutputCommand(AppContext& ctx, std::uint16_t value,
                      const std::atomic<int>* cancel = nullptr, Progress* progress = nullptr);

// Per online device, in ascending order, the same frames as the classic download: command 0,
// then the slope/offset write with its answer verified. The devices prepare and store on their
// own, so the commands go out back to back (each echo taken off the line), one 6 s wait lets
// them all prepare, the writes go out back to back, and one 5 s store wait serves them all
// before "校验失败！" is said for each device whose answer did not confirm its write. A line
// that fails part-way ends the run at once with what each device is known to hold. `done` is
// set when the run ends for any reason; `cancel` stops it before the next device (the store
// wait of what went out is kept); `progress` follows the steps.
struct OutputDownload {
    std::vector<std::pair<int, WriteOutcome>> devices;  // every online device, ascending
    bool lineFailed = false;
};
OutputDownload downloadOutputCoefficients(AppContext& ctx, OutputKind kind, float slope,
                                          float offset, std::atomic<int>& done,
                                          const std::atomic<int>& cancel,
                                          Progress* progress = nullptr);

}  // namespace calib
