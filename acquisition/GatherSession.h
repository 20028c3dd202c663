#pragma once
// One data acquisition: timed samples of register 23 of the current device into a record file.
//
// The ticks run on a worker thread driven by the context's clock, so the window never blocks and
// tests run hours of collection on a fake clock. Ticks are scheduled on the clock's steady time,
// so setting the system's time neither delays nor bunches them; each line is stamped with the
// wall-clock time. Immediate mode samples one interval after the start, then every interval.
// Reservation mode samples from the start minute (or from now when that minute has passed) every
// interval, never at or after the end time. Each tick: stop when the count is done, the
// acquisition was cancelled or no device is current; read register 23 (a failed port read ends
// the acquisition, a rejected answer skips the tick uncounted, and maxMisses of them in a row end
// it); count it and append its line. A sample is taken() only once its line is on disk.
//
// Thread contract: start, cancel and the destructor are called from one (the window's) thread;
// GatherDone, the counters, progress() and finished() may be read from anywhere. Cancel stops the
// worker at once, so no tick of a cancelled acquisition ever runs under the next one.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "acquisition/RecordFile.h"
#include "base/Message.h"
#include "base/Progress.h"
#include "base/Texts.h"
#include "state/AppContext.h"
#include "state/Worker.h"

inline constexpr std::string_view kGatherWaitText =
    KORV_TR_NOOP("Core", "Collecting data, please wait....");
inline constexpr std::string_view kGatherCancelCaption = KORV_TR_NOOP("Core", "Cancel Acquisition");
inline constexpr std::string_view kEndPassedMessage =
    KORV_TR_NOOP("Core", "End time setting can not be lower than the current time");
// "3 of 10 samples written"
Message samplesWrittenText(int taken, int planned);
// "Device did not answer 3 times in a row, acquisition ended!"
Message deviceSilentMessage(int misses);

class GatherSession {
public:
    enum class Mode { Reservation, Immediate };

    struct Plan {
        Mode mode = Mode::Immediate;
        std::chrono::seconds interval{60};
        int count = 0;
        // Reservation: the start time (its minute counts) and the end (nothing at or after it).
        Clock::TimePoint scheduleStart{};
        std::optional<Clock::TimePoint> end;
        // Ticks in a row without an answer that end the acquisition; 0: never (the window, where
        // the operator watches and cancels).
        int maxMisses = 0;
    };

    // The checks and the planned count of a start, before anything is started.
    struct Check {
        std::optional<int> count;  // shown on the page when set
        std::string message;       // empty when the inputs are acceptable
    };
    // `now`: a start minute already past counts from now, up to the end.
    static Check checkReservation(Clock::TimePoint start, Clock::TimePoint end,
                                  std::string_view intervalText, Clock::TimePoint now);
    static Check checkImmediate(std::string_view intervalText, std::string_view durationText);

    explicit GatherSession(AppContext& ctx);
    ~GatherSession();
    GatherSession(const GatherSession&) = delete;
    GatherSession& operator=(const GatherSession&) = delete;

    // The page's buttons: checks, messages and start. `showCount` gets the planned count as soon
    // as it is known (the page shows it even when the start then fails). True when started.
    bool startReservation(Clock::TimePoint start, Clock::TimePoint end,
                          std::string_view intervalText,
                          const std::function<void(int)>& showCount = {});
    bool startImmediate(std::string_view intervalText, std::string_view durationText,
                        const std::function<void(int)>& showCount = {});
    // Starts a checked plan: record file in the context's data directory (the next free name
    // when another acquisition holds it, and the operator is told), header, worker. A file or
    // header that cannot be written is told with its reason and nothing starts.
    bool start(const Plan& plan);

    void cancel();
    // The acquisition is over and its worker has ended.
    bool finished() const { return GatherDone.load() == 1 && !worker_.running(); }
    // Blocks until the worker has ended (tests and the command line).
    void wait() { worker_.join(); }

    int planned() const { return planned_.load(); }
    int remaining() const { return remaining_.load(); }
    // Samples whose line is on disk.
    int taken() const { return taken_.load(); }
    // Samples answered but not written (the file could not be written); the first one ends the
    // acquisition.
    int lost() const { return lost_.load(); }
    bool writeFailed() const { return writeFailed_.load(); }
    // Ticks without a valid answer.
    int misses() const { return misses_.load(); }
    // True when the last acquisition ended because a port read failed.
    bool readFailed() const { return readFailed_.load(); }
    // True when it ended because the device stayed silent for maxMisses ticks.
    bool missLimitReached() const { return missLimit_.load(); }
    bool headerWritten() const { return headerWritten_.load(); }
    std::filesystem::path recordPath() const;
    // Samples taken of planned, the last value with its unit, when the next sample is due.
    const Progress& progress() const { return progress_; }

    std::atomic<int> GatherDone{0};
    std::atomic<int> ScheduleStarted{0};

private:
    // Shows the planned count and the check's message; starts the plan when the check passed.
    bool startChecked(const Check& check, std::string_view intervalText,
                      const std::function<void(int)>& showCount, Plan plan);
    void run(Plan plan);
    enum class TickResult { Continue, Stop };
    TickResult tick(const Plan& plan);
    void publish(Clock::SteadyPoint next, bool first);

    AppContext& ctx_;
    Worker worker_;
    Progress progress_;
    std::atomic<int> planned_{0};
    std::atomic<int> remaining_{0};
    std::atomic<int> taken_{0};
    std::atomic<int> lost_{0};
    std::atomic<int> misses_{0};
    std::atomic<bool> readFailed_{false};
    std::atomic<bool> missLimit_{false};
    std::atomic<bool> headerWritten_{false};
    std::atomic<bool> writeFailed_{false};
    std::atomic<bool> released_{false};
    std::filesystem::path path_;  // window thread only
    // Set by start before the worker runs, then the worker's until it ends.
    std::unique_ptr<RecordWriter> writer_;
    // Worker thread only.
    int missesInRow_ = 0;
    std::string lastValue_;
};
