#pragma once
// Multi-point calibration of the sensor input of every online device: the readings taken at each
// point for one set of targets, the fitted K and B with the quality of each fit, their download,
// the verification of the written devices and the rows of the calibration report.
//
// Thread contract: acquire(), computeAndDownload() and verify() run on a worker, one at a time
// (the wait dialog keeps it so); the flags are atomics polled by the window's thread; the state
// is guarded and may be read from any thread through snapshot() and the accessors. Results for
// the page are handed to the callbacks, which run on the worker and must only forward them.
//
// Readings belong to the TargetSet they were acquired for. Every operation is given the set it
// is for; a set other than the readings' own clears the readings, the fits and the
// verification first (useTargets()), so nothing fitted to other targets is ever written.

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/Message.h"
#include "base/Progress.h"
#include "base/Texts.h"
#include "calibration/CalibrationMath.h"
#include "state/AppContext.h"

namespace calib {

// Operator texts of this calibration.
inline constexpr const char* kNoPortOrNoDevices =
    KORV_TR_NOOP("Core", "没有打开串口，或者没有搜索在线设备！");
inline constexpr const char* kNoOnlineDevices = KORV_TR_NOOP("Core", "未搜索到在线设备！");
inline constexpr const char* kDownloadThreadFailed = KORV_TR_NOOP("Core", "批量下载线程启动失败！");
// Additions of ours, for faults the classic program passed over in silence.
Message writeVerifyFailedText(int address);
Message flatReadingsText(const std::vector<int>& addresses);
Message missingReadingsText(const std::vector<int>& addresses);
Message pointsNotAcquiredText(const std::vector<int>& points);
Message downloadCompleteText(const std::vector<int>& marked);
inline constexpr const char* kUnknownPointPosition =
    KORV_TR_NOOP("Core", "小数点位置未选择，无法计算K和B值，未下载！");
inline constexpr const char* kUnknownPointCount =
    KORV_TR_NOOP("Core", "标定点数无效，无法计算K和B值，未下载！");
inline constexpr const char* kNoDensity =
    KORV_TR_NOOP("Core", "液体密度为0，无法计算K和B值，未下载！");
inline constexpr const char* kEmptyRange =
    KORV_TR_NOOP("Core", "量程起点与终点相同，无法计算K和B值，未下载！");
inline constexpr const char* kNothingToVerify = KORV_TR_NOOP("Core", "尚未下载K和B值，无法校验！");
inline constexpr const char* kVerifyThreadFailed = KORV_TR_NOOP("Core", "校验线程启动失败！");

// The set of the basic configuration's published values for n points; the signal type and
// density are the page's copies taken at its activation.
TargetSet targetSetFor(const BasicSettings& basic, int pointCount, const std::string& signalType,
                       int density);

// Why targets cannot be fitted to (no 2, 3 or 5 points, or every fit target would be the
// same), or nullopt.
std::optional<std::string> targetsRefusal(const TargetSet& t);

// "Address 12, 2 of 5" below a wait dialog's text: device `done` + 1 of `total` is addressed.
// Given the time each device takes, the time left for the rest is shown too, with `msAfter`
// once for what follows the last device (the one store wait).
void showDeviceStep(Progress& progress, int address, int done, int total,
                    const Timing* timing = nullptr, int msPerDevice = 0, int msAfter = 0);

// What one coefficient write did, judged from its exchange.
enum class WriteOutcome {
    NotReached,    // the request never went out
    NotConfirmed,  // it went out; no answer confirmed it (none came, or the line failed meanwhile)
    Confirmed,     // the device answered it
};
WriteOutcome writeOutcome(const ExchangeResult& r);

// After a failed line in the middle of a download: what each device is known to hold, one line
// a kind, kinds without a device left out.
Message downloadInterruptedText(const std::vector<int>& confirmed,
                                const std::vector<int>& notConfirmed,
                                const std::vector<int>& notReached);

struct AcquiredReading {
    int address;
    int column;  // rank among the online devices, 1-based: the grid column of the device
    std::string text;
};

struct AcquisitionOutcome {
    std::vector<AcquiredReading> readings;  // answering devices, ascending address
};

// What became of a device in the last compute-and-download of the current targets.
enum class DeviceOutcome {
    None,            // no compute since its readings were taken
    Written,         // K and B written and the device's answer confirmed it
    NotConfirmed,    // written, but the answer did not confirm it
    MissingReading,  // a point of the set has no reading of it (or point 1 read 0)
    EqualReadings,   // all its readings are equal: no line through them
    NotReached,      // the run was cancelled or the port failed before its turn
};

struct VerifyReading {
    bool answered = false;
    std::uint16_t measured = 0;  // register 23
    double error = 0.0;          // measured - target, in the measuring unit
};

struct DeviceCalibration {
    int address = 0;
    std::array<std::optional<float>, kMaxPoints> readings{};  // raw readings of the current set
    DeviceOutcome outcome = DeviceOutcome::None;
    bool fitted = false;  // K, B and quality hold a fit
    float K = 0.0f;
    float B = 0.0f;
    FitQuality quality;
    std::optional<Clock::TimePoint> writtenAt;
    std::array<std::optional<VerifyReading>, kMaxPoints> verified{};  // per point
};

struct CalibrationSnapshot {
    std::optional<TargetSet> targets;  // none before the first operation
    int lastVerifiedPoint = 0;         // 0: no verification since the last download
    // Every device with a reading of the current set or an outcome, ascending address.
    std::vector<DeviceCalibration> devices;

    const DeviceCalibration* device(int address) const;
};

class SensorCalibration {
public:
    explicit SensorCalibration(AppContext& ctx);

    // Flags of the wait dialogs, index k - 1 for point k.
    std::array<std::atomic<int>, kMaxPoints> AcqDone{};
    std::array<std::atomic<int>, kMaxPoints> AcqFailed{};
    std::atomic<int> KBDownloadDone{0};
    std::atomic<int> KBDownloadFailed{0};
    std::atomic<int> KBDownloadCancel{0};
    std::atomic<int> VerifyDone{0};
    std::atomic<int> VerifyFailed{0};
    std::atomic<int> VerifyCancel{0};
    // What the running operation is doing, for its wait dialog.
    Progress progress;

    // Called on the window's thread before the worker starts.
    void prepareAcquisition(int point);
    // A stop request to whichever acquisition runs.
    void stopAcquisitions();
    void prepareDownload();
    void cancelDownload() { KBDownloadCancel = 1; }
    void prepareVerify();
    void cancelVerify() { VerifyCancel = 1; }

    // Makes `t` the current targets. A different set clears every reading, fit and
    // verification; true then.
    bool useTargets(const TargetSet& t);

    // Reads register 22 of every online device for point k (1..n of `t`). `publish` receives
    // what the list shows, only when the pass ran to its end with devices polled. A pass that
    // stores readings makes the earlier fits stale: they are cleared.
    void acquire(int point, const TargetSet& t,
                 const std::function<void(const AcquisitionOutcome&)>& publish);

    // Refuses (with a message, writing nothing) when the targets cannot be fitted to or a point
    // of `t` has no reading at all. Otherwise fits every device that has all n readings, names
    // those left out, then writes K and B to registers 24-27 of every fitted device back to
    // back (each answer read before the next write), waits once for them all to store, names
    // the devices whose answer did not confirm the write, and ends with a completion message
    // that names the devices whose fit is marked. A line that fails part-way ends the run at
    // once with what each device is known to hold. `changed` is called after the fit and after
    // each device's write.
    void computeAndDownload(const TargetSet& t, const std::function<void()>& changed);

    // Reads register 23 of every device written by the last download of `t`, with point k now
    // applied, and keeps each one's error against that point's target. `changed` is called at
    // the end of a pass that ran through.
    void verify(int point, const TargetSet& t, const std::function<void()>& changed);

    CalibrationSnapshot snapshot() const;
    float acquiredValue(int address, int point) const;
    std::string acquiredText(int address) const;
    float coefK(int address) const;
    float coefB(int address) const;

private:
    struct Device {
        std::array<float, kMaxPoints> value{};
        std::array<bool, kMaxPoints> taken{};  // a never-taken reading is not a reading of 0
        DeviceOutcome outcome = DeviceOutcome::None;
        bool fitted = false;
        float K = 0.0f;
        float B = 0.0f;
        FitQuality quality;
        std::optional<Clock::TimePoint> writtenAt;
        std::array<std::optional<VerifyReading>, kMaxPoints> verified{};
        bool anyReading() const;
    };
    // The devices of one fit, ascending; nothing is fitted while a point has no reading at all.
    struct FitRun {
        std::vector<int> fitted, marked, missing, flat, notAcquired;
    };
    FitRun fitAll(const TargetSet& t, const std::array<int, kAddressCount>& columns);
    void clearFitsLocked();
    void setOutcome(int address, DeviceOutcome outcome);

    AppContext& ctx_;
    mutable std::mutex mutex_;
    std::optional<TargetSet> targets_;
    std::array<Device, kAddressCount> devices_{};
    std::array<std::string, kAddressCount> AcquiredTexts_{};
    int lastVerifiedPoint_ = 0;
};

}  // namespace calib
