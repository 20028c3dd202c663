#include "cli/WatchCommand.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "acquisition/RecordImport.h"
#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"
#include "cli/Run.h"
#include "cli/Signals.h"
#include "config/DeviceSearch.h"
#include "live/CsvSink.h"
#include "live/MqttPublisher.h"
#include "live/Watch.h"
#include "sim/SimBus.h"

namespace {

using namespace cli_exit;
using cli::Arguments;
using cli::UsageError;

struct WatchOptions {
    bool all = false;
    std::vector<int> addresses;
    std::chrono::milliseconds interval{0};
    double intervalSeconds = 0;
    long long count = 0;
    int maxMisses = 3;
    std::optional<std::string> csv;
    std::optional<live::MqttSettings> mqtt;
};

// "HOST", "HOST:PORT" or "[V6]:PORT".
live::MqttSettings brokerOf(const std::string& text) {
    live::MqttSettings s;
    std::string host = text;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const auto close = text.find(']');
        if (close == std::string::npos)
            cli::refuseValue("--mqtt", text);
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':')
                cli::refuseValue("--mqtt", text);
            port = text.substr(close + 2);
        }
    } else if (const auto colon = text.rfind(':');
               colon != std::string::npos && text.find(':') == colon) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (host.empty())
        cli::refuseValue("--mqtt", text);
    s.host = host;
    if (!port.empty() || text.back() == ':') {
        const auto n = num::parseInteger(port, 1, 65535);
        if (!n)
            cli::refuseValue("--mqtt", text);
        s.port = static_cast<int>(*n);
    }
    return s;
}

WatchOptions parseWatch(const Arguments& a) {
    WatchOptions o;
    o.all = a.has("--all");
    if (o.all) {
        cli::needPositionals(a, 0, "");
    } else {
        if (a.positionals.empty())
            throw UsageError("watch: --all or ADDR is missing");
        cli::needPositionals(a, 1, "ADDR[,ADDR...]");
        const auto list = parseAddressList(a.positionals[0]);
        if (!list)
            throw UsageError(a.positionals[0] + " is not accepted");
        o.addresses = *list;
        std::sort(o.addresses.begin(), o.addresses.end());
    }
    const auto interval = a.value("--interval-s");
    if (!interval)
        throw UsageError("watch: --interval-s is missing");
    const auto s = num::parseDouble(*interval);
    if (!s || !(*s >= 0.01) || *s > 24.0 * 3600)
        cli::refuseValue("--interval-s", *interval);
    o.intervalSeconds = *s;
    o.interval = std::chrono::milliseconds(std::llround(*s * 1000));
    if (const auto v = a.value("--count")) {
        const auto n = num::parseInteger(*v, 1, 1000000000);
        if (!n)
            cli::refuseValue("--count", *v);
        o.count = *n;
    }
    if (const auto v = a.value("--max-misses")) {
        const auto n = num::parseInteger(*v, 1, 1000000);
        if (!n)
            cli::refuseValue("--max-misses", *v);
        o.maxMisses = static_cast<int>(*n);
    }
    o.csv = a.value("--csv");
    if (const auto v = a.value("--mqtt"))
        o.mqtt = brokerOf(*v);
    for (const char* name : {"--topic", "--qos"})
        if (a.has(name) && !o.mqtt)
            throw UsageError(std::string(name) + " is accepted only with --mqtt");
    if (o.mqtt) {
        if (const auto v = a.value("--topic")) {
            if (!live::isTopicPrefix(*v))
                cli::refuseValue("--topic", *v);
            o.mqtt->prefix = *v;
        }
        if (const auto v = a.value("--qos")) {
            if (*v != "0" && *v != "1")
                cli::refuseValue("--qos", *v);
            o.mqtt->qos = *v == "1" ? 1 : 0;
        }
    }
    return o;
}

// One line per round: "TIME  3: 12.41 MPa  7: -  12: offline".
class PrintSink : public live::RoundSink {
public:
    bool take(const live::Round& round, const std::vector<live::DeviceState>& devices) override {
        std::string line = live::isoTime(round.time);
        for (std::size_t i = 0; i < round.readings.size(); ++i) {
            const live::Reading& r = round.readings[i];
            line += "  " + num::formatInt(r.address) + ": ";
            if (r.answered)
                line += r.value + (r.unit.empty() ? "" : " " + r.unit);
            else
                line += devices[i].online == false ? "offline" : "-";
        }
        std::fprintf(cli::out(), "%s\n", line.c_str());
        flushOutput();
        return true;
    }
};

void tellCsvFailed(OperatorMessages& messages, const std::string& path, int error) {
    messages.showWithDetail(kFileOpenFailedMessage, MessageIcon::None,
                            path + ": " + std::strerror(error));
}

// The CSV sink that says why it stopped the watch.
class TellingCsvSink : public live::CsvSink {
public:
    using CsvSink::CsvSink;
    bool take(const live::Round& round, const std::vector<live::DeviceState>& devices) override {
        if (CsvSink::take(round, devices))
            return true;
        tellCsvFailed(*cli::run().messages, path().string(), error());
        return false;
    }
};

void writeSummary(const WatchOptions& o, const live::Watch& watch, const live::CsvSink* csv,
                  const live::MqttPublisher* mqtt, bool ok) {
    JsonWriter w;
    w.beginObject().key("command").value("watch").key("all").value(o.all);
    w.key("intervalS").value(o.intervalSeconds).key("rounds").value(watch.rounds());
    w.key("devices").beginArray();
    for (const live::DeviceState& d : watch.devices()) {
        w.beginObject().key("address").value(d.address).key("pointPosition");
        d.pointPosition.empty() ? w.null() : w.value(d.pointPosition);
        w.key("unit");
        d.blockRead ? w.value(d.unit) : w.null();
        w.key("online");
        d.online ? w.value(*d.online) : w.null();
        w.key("answers").value(d.answers).key("misses").value(d.misses).key("value");
        const auto v = num::parseDouble(d.value);
        v ? w.value(*v) : w.null();
        w.key("time");
        v ? w.value(live::isoTime(d.valueTime)) : w.null();
        w.endObject();
    }
    w.endArray().key("csv");
    if (csv) {
        w.beginObject().key("file").value(csv->path()).key("rows").value(csv->rows()).endObject();
    } else {
        w.null();
    }
    w.key("mqtt");
    if (mqtt) {
        const auto f = mqtt->figures();
        w.beginObject().key("host").value(o.mqtt->host).key("port").value(o.mqtt->port);
        w.key("topic").value(o.mqtt->prefix).key("qos").value(o.mqtt->qos);
        w.key("queued").value(f.queued).key("published").value(f.published);
        w.key("dropped").value(f.dropped).key("undelivered").value(f.waiting);
        w.key("connections").value(f.connections).endObject();
    } else {
        w.null();
    }
    w.key("ok").value(ok).endObject();
    cli::printJson(w);
}

}  // namespace

const std::vector<cli::OptionSpec>& watchOptions() {
    static const std::vector<cli::OptionSpec> o{
        {"--all", 0}, {"--interval-s", 1}, {"--count", 1}, {"--max-misses", 1},
        {"--csv", 1}, {"--mqtt", 1},       {"--topic", 1}, {"--qos", 1}};
    return o;
}

void checkWatchArguments(const Arguments& args) {
    parseWatch(args);
}

int runWatch(const Arguments& args, AppContext& ctx, bool json) {
    const WatchOptions o = parseWatch(args);
    // The file first: one that cannot be written fails before the bus is touched.
    std::unique_ptr<TellingCsvSink> csv;
    if (o.csv) {
        csv = std::make_unique<TellingCsvSink>(*o.csv);
        if (const int e = csv->open()) {
            tellCsvFailed(ctx.messages, *o.csv, e);
            return kFailed;
        }
        cli::know("csv", JsonWriter::quoted(*o.csv));
    }
    std::vector<int> addresses = o.addresses;
    if (o.all) {
        config::SearchState st;
        config::ScanAllDevices(ctx, st);
        if (st.SearchFailed.load()) {
            ctx.messages.show(config::kSearchFailed);
            return kFailed;
        }
        addresses = ctx.onlineAddresses();
        if (addresses.empty()) {
            ctx.messages.show(config::kNoOnlineDevice);
            return kFailed;
        }
    }
    cli::know("devices", cli::jsonList(addresses));
    std::unique_ptr<live::MqttPublisher> mqtt;
    if (o.mqtt) {
        mqtt = std::make_unique<live::MqttPublisher>(*o.mqtt);
        std::string why;
        if (!mqtt->start(why)) {
            cli::say(cli::texts::kMqttNotStarted, {why});
            return kFailed;
        }
    }
    live::WatchPlan plan;
    plan.addresses = addresses;
    plan.interval = o.interval;
    plan.count = o.count;
    plan.maxMisses = o.maxMisses;
    live::Watch watch(ctx, plan);
    PrintSink print;
    std::vector<live::RoundSink*> sinks;
    if (csv)
        sinks.push_back(csv.get());
    if (mqtt)
        sinks.push_back(mqtt.get());
    if (!json)
        sinks.push_back(&print);

    std::atomic<int> stop{0};
    std::atomic<bool> done{false};
    live::WatchEnd end = live::WatchEnd::Done;
    std::thread rounds([&] {
        end = watch.run(stop, sinks);
        done = true;
    });
    // A signal ends the round in flight; what was taken is told below.
    while (!done.load()) {
        if (stopSignal())
            stop = 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    rounds.join();
    // Each device whose values cannot be scaled, once.
    for (const live::DeviceState& d : watch.devices())
        if (d.unknownPointCode)
            cli::say(cli::texts::kUnknownPointCode,
                     {num::formatInt(d.address), num::formatInt(*d.unknownPointCode)});

    bool ok = end == live::WatchEnd::Done;
    if (mqtt) {
        mqtt->finish(std::chrono::seconds(3));
        const auto f = mqtt->figures();
        if (f.dropped > 0) {
            cli::say(cli::texts::kMqttDropped, {num::formatInt(f.dropped)});
            ok = false;
        }
        if (f.waiting > 0) {
            cli::say(cli::texts::kMqttUndelivered,
                     {num::formatInt(f.waiting), o.mqtt->host + ":" + num::formatInt(o.mqtt->port),
                      f.lastError.empty() ? std::string("-") : f.lastError});
            ok = false;
        }
    }
    if (json)
        writeSummary(o, watch, csv.get(), mqtt.get(), ok);
    return ok ? kOk : kFailed;
}
