#include <gtest/gtest.h>

#include "base/JsonWriter.h"
#include "config/ReadBack.h"
#include "config/Readdress.h"
#include "tests/support/TestBus.h"

using namespace config;

namespace {
BasicConfigModel modelWithK1Action(float k1Action) {
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.values.number(EditId::K1Action) = k1Action;
    return m;
}
}  // namespace

// A device that echoes the write but keeps its registers was reported "Download Success!".
TEST(ReadBack, SingleDownloadToADeviceThatIgnoresWritesFailsNamingTheRegister) {
    TestBus tb({3});
    tb.open();
    tb.sim.setFaults(3, SimFaults{.ignoreWrites = true});
    const Frame f = singleDownloadFrame(3, modelWithK1Action(125));
    const DownloadReport r = downloadToDeviceVerified(tb.ctx, f.bytes);
    EXPECT_EQ(r.result, DownloadResult::Success);  // the echo came
    ASSERT_EQ(r.devices.size(), 1u);
    EXPECT_EQ(r.devices[0].status, ReadBackStatus::Differs);
    EXPECT_FALSE(r.verified());
    tellDownload(tb.messages, r, false);
    ASSERT_EQ(tb.messages.entries().size(), 1u);
    EXPECT_EQ(tb.messages.entries()[0].text, "Download failed!");
    EXPECT_NE(tb.messages.entries()[0].detail.find("K1 action holds"), std::string::npos);
}

TEST(ReadBack, BatchDownloadSummarisesVerifiedDifferingAndSilentDevices) {
    TestBus tb({3, 7, 12});
    tb.open();
    tb.sim.setFaults(7, SimFaults{.ignoreWrites = true});
    const std::uint16_t before = *tb.sim.reg(7, reg::K1Action);
    const Frame f = batchDownloadFrame(modelWithK1Action(125));
    tb.sim.setFaults(12, SimFaults{.silent = true});
    const DownloadReport r = downloadToAllVerified(tb.ctx, f.bytes, {3, 7, 12});
    ASSERT_EQ(r.devices.size(), 3u);
    EXPECT_EQ(r.devices[0].status, ReadBackStatus::Verified);
    EXPECT_EQ(r.devices[1].status, ReadBackStatus::Differs);
    EXPECT_EQ(r.devices[2].status, ReadBackStatus::NoAnswer);
    const std::string summary = readBackSummary(r.devices).text();
    EXPECT_EQ(summary.rfind("1 of 3 devices verified; 7: ", 0), 0u) << summary;
    EXPECT_NE(
        summary.find("K1 action holds " + std::to_string(reg::asSigned(before)) + ", sent 12500"),
        std::string::npos)
        << summary;
    EXPECT_EQ(summary.substr(summary.size() - 15), "; 12: no answer");
    tellDownload(tb.messages, r, true);
    EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{readBackSummary(r.devices).text()});
    // A device that refuses the read-back is named with its exception, not called silent.
    tb.sim.setFaults(12, SimFaults{.exceptionCode = 4});
    const DownloadReport refused = downloadToAllVerified(tb.ctx, f.bytes, {12});
    ASSERT_EQ(refused.devices.size(), 1u);
    EXPECT_EQ(refused.devices[0].status, ReadBackStatus::NoAnswer);
    EXPECT_EQ(deviceReadBackText(refused.devices[0]).text(),
              "Device 12 refused the request: exception 4, server device failure");
    // A single download the device refuses fails naming the exception below the message.
    tb.messages.clear();
    const DownloadReport single =
        downloadToDeviceVerified(tb.ctx, singleDownloadFrame(12, modelWithK1Action(125)).bytes);
    EXPECT_EQ(single.result, DownloadResult::Failed);
    tellDownload(tb.messages, single, false);
    ASSERT_EQ(tb.messages.entries().size(), 1u);
    EXPECT_EQ(tb.messages.entries()[0].text, kDownloadFailed);
    EXPECT_EQ(tb.messages.entries()[0].detail,
              "Device 12 refused the request: exception 4, server device failure");
}

// A line that hangs up during the batch download: every device holds the new values once the
// broadcast went out, which used to be reported as "written": false and "no answer".
TEST(ReadBack, HangUpDuringABatchDownloadTellsWhatEachDeviceIsKnownToHold) {
    using S = ReadBackStatus;
    struct Case {
        const char* name;
        std::size_t hangUpAfter;  // requests; 0: the port is closed before the download
        bool written;
        std::vector<S> statuses;
        const char* summary;
    };
    const Case cases[] = {
        {"after the broadcast",
         1,
         true,
         {S::PortFailed, S::PortFailed, S::PortFailed},
         "0 of 3 devices verified; 3: written, not read back; 7: written, not read back; 12: "
         "written, not read back"},
        {"during the read-back",
         3,
         true,
         {S::Verified, S::PortFailed, S::PortFailed},
         "1 of 3 devices verified; 7: written, not read back; 12: written, not read back"},
        {"before the write", 0, false, {S::NotReached, S::NotReached, S::NotReached}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBus tb({3, 7, 12});
        tb.open();
        if (c.hangUpAfter)
            tb.sim.hangUpAfter(c.hangUpAfter);
        else
            tb.ctx.bus.Close();
        const DownloadReport r = downloadToAllVerified(
            tb.ctx, batchDownloadFrame(modelWithK1Action(125)).bytes, {3, 7, 12});
        EXPECT_EQ(r.written, c.written);
        EXPECT_FALSE(r.verified());
        std::vector<S> statuses;
        for (const auto& d : r.devices) statuses.push_back(d.status);
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(*tb.sim.reg(12, reg::K1Action) == 12500, c.written);
        tb.messages.clear();
        tellDownload(tb.messages, r, true);
        if (c.summary)
            EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{c.summary});
        else
            EXPECT_TRUE(tb.messages.texts().empty());
    }
    EXPECT_EQ(deviceReadBackText({4, S::NotReached, {}}).text(), "4: not reached");
}

TEST(Readdress, TwoDevicesBothAnswerAndTheConfirmationReadsTheNewAddress) {
    TestBus tb(TestBus::inProcess({3, 7}), 0.05);
    SerialSettings s = tb.settings();
    s.ResponseTimeoutMs = 20;
    ASSERT_TRUE(tb.ctx.bus.Open(s).ok());
    bool failed = true;
    EXPECT_EQ(answeringDevices(tb.ctx, failed), (std::vector<int>{3, 7}));
    EXPECT_FALSE(failed);
    EXPECT_EQ(severalAnswerQuestion({3, 7}, 5).text(),
              "More than one device answers: 3, 7. Every one of them takes address 5. Send "
              "anyway?");
    tb.sim.setFaults(7, SimFaults{.ignoreWrites = true});
    const ConfigurationCheck c =
        configureAndConfirm(tb.ctx, configurationFrame(70000, 5).bytes, 5, 70000);
    EXPECT_TRUE(c.confirmed());
    EXPECT_EQ(configurationText(c).text(),
              "Configuration confirmed: address 5, product code 70000");
    const ConfigurationCheck none =
        configureAndConfirm(tb.ctx, configurationFrame(70000, 9).bytes, 10, 70000);
    EXPECT_EQ(none.status, ConfigurationCheck::Status::NoAnswer);
}

// A line that hangs up after the broadcast: the devices took the new address, which the result
// used to hide; one that fails before it sent nothing, and the port's message says so.
TEST(Readdress, HangUpAfterTheBroadcastSaysWhatTheDevicesNowHold) {
    for (const bool afterBroadcast : {true, false}) {
        SCOPED_TRACE(afterBroadcast);
        TestBus tb({3});
        tb.open();
        if (afterBroadcast)
            tb.sim.hangUpAfter(1);
        else
            tb.ctx.bus.Close();
        const ConfigurationCheck c =
            configureAndConfirm(tb.ctx, configurationFrame(70000, 5).bytes, 5, 70000);
        EXPECT_EQ(c.status, ConfigurationCheck::Status::PortFailed);
        EXPECT_EQ(c.written, afterBroadcast);
        EXPECT_EQ(configurationText(c).text(),
                  afterBroadcast ? "Configuration sent, not confirmed: the devices now hold "
                                   "address 5, product code 70000"
                                 : "");
        EXPECT_EQ(tb.sim.reg(5, reg::Address).has_value(), afterBroadcast);
    }
}

TEST(JsonWriter, EscapesStringsAndKeepsNumbersLocaleFree) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line\nbreak\ttab\r", "\"line\\nbreak\\ttab\\r\""},
        {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
        {"标定", "\"标定\""},
        {"bad\xff", "\"bad\xEF\xBF\xBD\""},
    };
    for (const Case& c : cases) EXPECT_EQ(JsonWriter::quoted(c.in), c.out) << c.in;
    JsonWriter w;
    w.beginObject().key("a").value(0.1).key("b").beginArray().value(1).value(true).null();
    w.endArray().key("c").value(1.0 / 0.0).endObject();
    EXPECT_EQ(w.text(), "{\"a\":0.1,\"b\":[1,true,null],\"c\":null}");
}
