// What devices answer, played by a fake device on a pseudo-terminal: the real port, the bus and
// everything that reads their answers (the search, the full scan and the page's decoding of the
// block, the calibration's readings and its download).
//
// Input: one byte choosing the operation, then one chunk per request: a header byte (bits 0-5
// the length, bit 6: append the chunk's CRC, so well-formed frames are within reach) and its
// bytes. A request with no chunk left gets silence and ends the operation.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "calibration/SensorCalibration.h"
#include "config/DeviceSearch.h"
#include "config/ParameterModel.h"
#include "link/ModbusCrc16.h"
#include "link/OperatorMessages.h"
#include "state/AppContext.h"

namespace {

class Discard : public OperatorMessages {
public:
    void show(const Message&, MessageIcon) override {}
};

// The far end of the terminal: takes each request off the line and plays the next chunk.
class FakeDevices {
public:
    FakeDevices() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            ::abort();
        path_ = ::ptsname(master_);
        thread_ = std::thread([this] { run(); });
    }

    const std::string& path() const { return path_; }

    // `exhausted` runs (on the device's thread) at the first request with no chunk left.
    void load(std::deque<std::vector<std::uint8_t>> chunks, std::function<void()> exhausted) {
        std::lock_guard lock(mutex_);
        chunks_ = std::move(chunks);
        exhausted_ = std::move(exhausted);
    }

private:
    void run() {
        std::uint8_t buf[512];
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, -1) <= 0)
                continue;
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                // The bus side is closed between inputs; wait for it to come back.
                ::usleep(1000);
                continue;
            }
            std::vector<std::uint8_t> answer;
            {
                std::lock_guard lock(mutex_);
                if (chunks_.empty()) {
                    if (exhausted_)
                        exhausted_();
                    continue;
                }
                answer = std::move(chunks_.front());
                chunks_.pop_front();
            }
            if (!answer.empty() && ::write(master_, answer.data(), answer.size()) < 0)
                continue;
        }
    }

    int master_ = -1;
    std::string path_;
    std::thread thread_;
    std::mutex mutex_;
    std::deque<std::vector<std::uint8_t>> chunks_;
    std::function<void()> exhausted_;
};

std::deque<std::vector<std::uint8_t>> chunksOf(const std::uint8_t* data, std::size_t size) {
    std::deque<std::vector<std::uint8_t>> chunks;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t header = data[i++];
        const std::size_t length = std::min<std::size_t>(header & 0x3F, size - i);
        std::vector<std::uint8_t> chunk(data + i, data + i + length);
        i += length;
        if (header & 0x40)
            appendCrc(chunk);
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

struct Harness {
    Discard messages;
    Timing timing;
    FakeDevices devices;
    AppContext ctx;
    SerialSettings settings;

    Harness() : timing(shrunk()), ctx(messages, timing) {
        settings.PortName = devices.path();
        settings.BaudRate = 115200;
        settings.ResponseTimeoutMs = SerialSettings::kMinResponseTimeoutMs;
    }
    static Timing shrunk() {
        Timing t;
        t.scale = 0.001;  // the store waits of a download
        return t;
    }
};

void decodeForThePage(const std::array<std::uint8_t, reg::kBlockAnswerLength>& block) {
    config::BasicConfigModel model;
    model.DecodeParameterBlock(block);
    model.moveValuesToEdits();
    (void)model.readEdits();
    (void)model.settings();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness* h = new Harness;  // lives for the whole run, as its terminal's thread does
    if (size < 1)
        return 0;
    const int operation = data[0] % 3;
    AppContext& ctx = h->ctx;
    // A fresh Open per input: no late-answer guard or figures carried from the input before.
    if (!ctx.bus.Open(h->settings).ok())
        ::abort();

    config::SearchState search;
    calib::SensorCalibration calibration(ctx);
    std::atomic<bool> exhausted{false};
    h->devices.load(chunksOf(data + 1, size - 1), [&] {
        exhausted = true;
        search.abandon = 1;
        calibration.stopAcquisitions();
        calibration.cancelDownload();
    });
    if (operation == 0) {
        decodeForThePage(config::ScanFirstDevice(ctx, search).block);
    } else if (operation == 1) {
        decodeForThePage(config::ScanAllDevices(ctx, search).block);
    } else {
        // Three online devices, two points, then K and B for whoever has both readings.
        ctx.clearOnlineTable();
        for (int a : {1, 2, 3}) ctx.OnlineTable[static_cast<std::size_t>(a - 1)] = 1;
        config::BasicConfigModel model;
        const calib::TargetSet targets = calib::targetSetFor(model.settings(), 2, "Pressure", 1);
        calibration.useTargets(targets);
        for (int point : {1, 2}) {
            if (exhausted)
                break;
            calibration.prepareAcquisition(point);
            calibration.acquire(point, targets, [](const calib::AcquisitionOutcome&) {});
        }
        if (!exhausted) {
            calibration.prepareDownload();
            calibration.computeAndDownload(targets, [] {});
        }
        (void)calibration.snapshot();
    }
    h->devices.load({}, nullptr);
    ctx.bus.Close();
    return 0;
}
