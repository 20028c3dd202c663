#pragma once
// "Search": the ordinary user's search for the first device that answers and the enterprise
// user's scan of addresses 1..60.
//
// Thread contract: the scans run on a worker. SearchDone / SearchFailed are shared with the
// window's thread (the wait dialog polls them; Cancel sets SearchDone); everything else in
// SearchState belongs to the worker while it runs. The scans show no message themselves: the
// outcome carries it, so the window shows it on its own thread after the worker has ended.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Progress.h"
#include "link/LineFaults.h"
#include "link/RegisterMap.h"
#include "state/AppContext.h"

namespace config {

extern const char* const kNoOnlineDevice;  // "No online device"
extern const char* const kSearchFailed;    // "Search failed!"
extern const char* const kSearchComplete;  // "Searching for information to complete!"
extern const char* const kThreadFailed;    // "Thread failed to start search！"

struct SearchState {
    // Set when a scan has ended normally or a stop was requested (Cancel).
    std::atomic<int> SearchDone{0};
    // Set when a full scan stopped on a failed read.
    std::atomic<int> SearchFailed{0};
    // Stops the ordinary search too (the page going away).
    std::atomic<int> abandon{0};
    // The address being asked, how many answered and the time left (the full scan).
    Progress progress;
    std::array<std::uint8_t, 60> ResponseBuffer{};
    std::array<std::uint8_t, 50> LastBlock{};
};

struct SearchOutcome {
    std::array<std::uint8_t, reg::kBlockAnswerLength> block{};  // what the page decodes
    bool complete = false;  // SearchDone was set: show the result and the completion message
    std::string message;    // shown before anything else, when not empty
    // Answers that failed their CRC, came cut or were refused; the devices that refused are
    // present but not online. faults.summary() is shown last, when not empty.
    LineFaults faults;
};

// An address whose answer failed its CRC or came cut is asked once more before it counts as
// silent.
//
// The answer of the first address that gives a valid parameter block (register 3 non-zero and a
// good CRC); CurrentAddress becomes that address, or 0 when there is none.
SearchOutcome ScanFirstDevice(AppContext& ctx, SearchState& st);
// Every address 1..60 into OnlineTable; the block of the last valid answer; CurrentAddress the
// highest online address (0 when none). Stops before the next address once SearchDone is set.
SearchOutcome ScanAllDevices(AppContext& ctx, SearchState& st);
// Clears both flags and the progress; called by the starter before the worker runs, so a Cancel
// pressed at once is never lost.
void resetSearchFlags(SearchState& st);
// The search worker's body: the variant of the user kind.
SearchOutcome runSearch(AppContext& ctx, SearchState& st, bool enterprise);

}  // namespace config
