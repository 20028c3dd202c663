#pragma once
// Multi-point calibration of the sensor input of every online device: the readings taken at each
// point, the fitted K and B, and the bus work of acquisition and compute-and-download.
//
// Thread contract: acquire() and computeAndDownload() run on a worker, one at a time (the wait
// dialog keeps it so); the flags are atomics polled by the window's thread; the readings and
// coefficients are guarded and may be read from any thread. Results for the page are handed to
// the `publish` callbacks, which run on the worker and must only forward them.

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "calibration/CalibrationMath.h"
#include "common/AppContext.h"

namespace calib {

// Operator texts of this calibration.
inline constexpr const char* kNoPortOrNoDevices = "没有打开串口，或者没有搜索在线设备！";
inline constexpr const char* kNoOnlineDevices = "未搜索到在线设备！";
inline constexpr const char* kDownloadThreadFailed = "批量下载线程启动失败！";
std::string acquisitionThreadFailedText(int point);  // "采集线程k启动失败！"
// Additions of ours, for faults the classic program passed over in silence.
std::string writeVerifyFailedText(int address);
std::string flatReadingsText(const std::vector<int>& addresses);
std::string missingReadingsText(const std::vector<int>& addresses);
inline constexpr const char* kUnknownPointPosition = "小数点位置未选择，无法计算K和B值，未下载！";

struct AcquiredReading {
    int address;
    int column;  // rank among the online devices, 1-based: the grid column of the device
    std::string text;
};

struct AcquisitionOutcome {
    std::vector<AcquiredReading> readings;  // answering devices, ascending address
};

struct CoefficientCell {
    int address;
    int column;
    float K;
    float B;
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

    // Called on the window's thread before the worker starts.
    void prepareAcquisition(int point);
    // A stop request to whichever acquisition runs.
    void stopAcquisitions();
    void prepareDownload();
    void cancelDownload() { KBDownloadCancel = 1; }

    // Reads register 22 of every online device for point k (1..n). `publish` receives what the
    // list and grid show, only when the pass ran to its end with devices polled.
    void acquire(int point, const std::function<void(const AcquisitionOutcome&)>& publish);

    // Fits every device that has a point-1 reading and writes its K and B to registers 24-27,
    // one device each store wait. `publish` receives the coefficients of the online devices
    // before the writes start.
    void computeAndDownload(
        int pointCount, const std::string& pageSignalType, int pageDensity,
        const std::function<void(const std::vector<CoefficientCell>&)>& publish);

    float acquiredValue(int address, int point) const;
    std::string acquiredText(int address) const;
    float coefK(int address) const;
    float coefB(int address) const;

private:
    AppContext& ctx_;
    mutable std::mutex mutex_;
    std::array<std::array<float, kMaxPoints>, kAddressCount> AcquiredValues_{};
    // Whether a device ever answered at a point; a never-taken reading is not a reading of 0.
    std::array<std::array<bool, kMaxPoints>, kAddressCount> taken_{};
    std::array<std::string, kAddressCount> AcquiredTexts_{};
    std::array<float, kAddressCount> CoefK_{};
    std::array<float, kAddressCount> CoefB_{};
};

}  // namespace calib
