#pragma once
// The program-wide state, in one place, handed to every page and worker that needs it.
//
// Thread contract: OnlineTable, CurrentAddress and EnterpriseMode are atomics; BasicSettings and
// the live selections of the basic configuration page are guarded by a mutex and copied out.
// The serial settings, the import state and the curve's scale choices belong to the window's
// thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "link/Bus.h"
#include "link/DeviceAddress.h"
#include "link/OperatorMessages.h"
#include "link/SerialSettings.h"

struct BasicSettings {
    float RangeStart = 0.0f;
    float RangeEnd = 40.0f;
    std::string SignalTypeText = "Pressure";
    std::string SignalUnitText = "MPa";
    std::string PointPositionText;
    int LiquidDensity = 0;
};

// What the last record file import left for the curve (emptied at each import). Flat, and only
// what the curve draws, so its size follows the samples, not records x fields.
struct ImportState {
    int RowCount = 0;          // records of the table (the empty one after a final line end too)
    int ColumnCount = 0;       // fields of the table
    std::size_t DataRows = 0;  // records that are samples; non-zero: a record file is loaded
    float First = 0.0f;        // column "1" of the first data row: the curve's centre
    // Column "1" of each data row whose time text is a time, in file order, and its minutes since
    // the first such time (a row without a time places no point).
    std::vector<float> Values;
    std::vector<std::int32_t> Minutes;
    bool loaded() const { return DataRows > 0; }
    void clear() { *this = ImportState{}; }
};

class AppContext {
public:
    static constexpr int kAddressCount = device_address::kLast;

    explicit AppContext(OperatorMessages& messages, Timing timing = {},
                        std::shared_ptr<Clock> clock = nullptr);

    OperatorMessages& messages;
    // What a failed exchange has to say reaches `messages` once, after the bus lock is released.
    Bus bus;
    std::shared_ptr<Clock> clock;

    // The bus's Open and Close, told to the operator as the port tells them.
    Status openPort(const SerialSettings& settings);
    Status closePort();

    // Entry a - 1 is 1 when address a answered the last full scan with a valid block.
    std::array<std::atomic<int>, kAddressCount> OnlineTable{};
    std::atomic<std::uint16_t> CurrentAddress{0};  // 0 = no current device
    std::atomic<int> EnterpriseMode{0};

    BasicSettings basicSettings() const;
    void setBasicSettings(const BasicSettings& s);

    // The selections of the basic configuration page as they stand now; other pages read these
    // instead of that page's controls.
    std::string outputTypeText() const;
    std::string pointPositionText() const;
    void setLiveSelections(const std::string& outputType, const std::string& pointPosition);

    void clearOnlineTable();
    std::vector<int> onlineAddresses() const;  // ascending

    // Window thread only.
    SerialSettings serialSettings;
    SerialSettings PortSettingsCopy;
    int CanOpenPort = 1;
    int CanClosePort = 0;
    ImportState importState;
    int MinutesPerDivision = 60;
    int OutputIndex = 1;
    std::filesystem::path dataDir;        // record files
    std::filesystem::path presetIniPath;  // parameter presets

private:
    mutable std::mutex mutex_;
    BasicSettings basic_;
    std::string outputType_ = "K1";
    std::string pointPosition_ = "00.00";
};
