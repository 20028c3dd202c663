#include <gtest/gtest.h>

#include <thread>

#include "config/DeviceSearch.h"
#include "config/ParameterFile.h"
#include "tests/support/TestBus.h"

using namespace config;

TEST(OrdinarySearch, FindsTheFirstDeviceAndNeverPollsBeyondIt) {
    TestBus tb({7, 9}, 0.03);
    tb.open();
    SearchState st;
    const SearchOutcome out = runSearch(tb.ctx, st, false);
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(st.SearchDone.load(), 1);
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 7);
    EXPECT_EQ(out.block[0], 7);
    EXPECT_TRUE(out.message.empty());
    const auto frames = tb.sim.framesReceived();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames.back().bytes[0], 7);
}

TEST(OrdinarySearch, CorruptedAnswerIsNotTakenForADevice) {
    TestBus tb({2, 3}, 0.03);
    tb.open();
    SimFaults bad;
    bad.badCrc = true;
    tb.sim.setFaults(2, bad);
    SearchState st;
    const SearchOutcome out = runSearch(tb.ctx, st, false);
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 3);
    EXPECT_EQ(out.block[0], 3);
}

// A Search with the port closed showed three boxes in a row: one operation, one message.
TEST(Search, PortThatIsNotOpenSaysSoOnceAndLeavesNoCurrentDevice) {
    for (bool enterprise : {false, true}) {
        for (bool everOpened : {false, true}) {
            TestBus tb({1}, 0.03);
            if (everOpened) {
                tb.open();
                tb.ctx.bus.Close();
                tb.messages.clear();
            }
            tb.ctx.CurrentAddress = 1;
            SearchState st;
            const SearchOutcome out = runSearch(tb.ctx, st, enterprise);
            const std::string which = std::string(enterprise ? "full" : "ordinary") +
                                      (everOpened ? ", closed" : ", never opened");
            EXPECT_FALSE(out.complete) << which;
            EXPECT_TRUE(out.message.empty()) << which;
            EXPECT_EQ(tb.messages.texts(), std::vector<std::string>{CSerialPort::kWriteNotOpen})
                << which;
            EXPECT_EQ(st.SearchFailed.load(), enterprise ? 1 : 0) << which;
            EXPECT_EQ(tb.ctx.CurrentAddress.load(), 0) << which;
            EXPECT_TRUE(tb.sim.framesReceived().empty()) << which;
        }
    }
}

TEST(FullScan, MarksOnlineDevicesAndShowsTheLastOne) {
    TestBus tb({1, 12}, 0.03);
    tb.open();
    tb.sim.setReg(12, 7, 160);
    SearchState st;
    const SearchOutcome out = runSearch(tb.ctx, st, true);
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(tb.ctx.onlineAddresses(), (std::vector<int>{1, 12}));
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 12);
    EXPECT_EQ(out.block[0], 12);
    EXPECT_EQ(reg::ParameterBlock::fromAnswer(out.block.data()).get(7), 160);
    EXPECT_EQ(tb.sim.framesReceived().size(), 60u);
}

TEST(FullScan, CancelStopsBeforeTheNextAddressAndKeepsWhatWasFound) {
    TestBus tb({1, 2, 40}, 0.03);
    tb.open();
    SearchState st;
    resetSearchFlags(st);
    SearchOutcome out;
    std::thread worker([&] { out = runSearch(tb.ctx, st, true); });
    while (tb.sim.framesReceived().size() < 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    st.SearchDone = 1;
    worker.join();
    const auto polled = tb.sim.framesReceived().size();
    EXPECT_LT(polled, 10u);
    EXPECT_EQ(tb.ctx.onlineAddresses(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 2);
}

TEST(FullScan, ClosedPortFailsWithoutCompletion) {
    TestBus tb({1}, 0.03);
    tb.open();
    tb.ctx.bus.Close();
    SearchState st;
    const SearchOutcome out = runSearch(tb.ctx, st, true);
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(st.SearchFailed.load(), 1);
    EXPECT_EQ(st.SearchDone.load(), 0);
    EXPECT_TRUE(tb.ctx.onlineAddresses().empty());
}

namespace {

BasicConfigModel temperatureModel() {
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    m.list(ListId::SignalType).selectExact("Temperature");
    m.OnSignalTypeChange();
    m.list(ListId::OutputType).selectExact("2K+1V");
    m.list(ListId::Voltage).selectExact("0--5V");
    m.edit(EditId::RangeEnd) = "100";
    m.edit(EditId::K1Action) = "-12.5";
    return m;
}

}  // namespace

TEST(ParameterFiles, SaveWritesGbkLinesEndingCrCrLf) {
    const std::string bytes = encodeParameterFile(parameterFileValues(temperatureModel()));
    EXPECT_EQ(bytes.rfind("signalType=Temperature\r\r\nsignalUnit=\xA1\xE6\r\r\n", 0), 0u);
    EXPECT_NE(bytes.find("rangeEnd=100\r\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("pressureOutput=0--5V\r\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t p = bytes.find("\r\r\n"); p != std::string::npos;
         p = bytes.find("\r\r\n", p + 1))
        ++lines;
    EXPECT_EQ(lines, 19u);
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\r\r\n");
}

TEST(ParameterFiles, RoundTripRestoresControlsAndDensityState) {
    TempDir dir;
    BasicConfigModel level = temperatureModel();
    level.list(ListId::SignalType).selectExact("level");
    level.OnSignalTypeChange();
    level.edit(EditId::Density) = "998";
    std::string error;
    ASSERT_TRUE(writeParameterFile(dir.file("p.txt"), level, &error)) << error;

    BasicConfigModel back;
    back.ShowEnterpriseLayout();
    const auto values = readParameterFile(dir.file("p.txt"));
    ASSERT_TRUE(values);
    applyParameterFile(back, *values);
    EXPECT_FALSE(back.densityReadOnly);
    for (EditId id : {EditId::RangeEnd, EditId::K1Action, EditId::Density})
        EXPECT_EQ(back.edit(id), level.edit(id));
    for (std::size_t i = 0; i < kListCount; ++i)
        EXPECT_EQ(back.lists[i].text(), level.lists[i].text()) << i;
    EXPECT_EQ(back.unitLabel, "m");
    EXPECT_TRUE(back.voltageEnabled);
    EXPECT_FALSE(back.currentEnabled);

    ASSERT_TRUE(writeParameterFile(dir.file("t.txt"), temperatureModel(), &error));
    applyParameterFile(back, *readParameterFile(dir.file("t.txt")));
    EXPECT_TRUE(back.densityReadOnly);
    EXPECT_EQ(back.list(ListId::SignalUnit).text(), "℃");
}

TEST(ParameterFiles, CrLfAndLfEndingsKeepTheLastCharacter) {
    for (const char* end : {"\r\n", "\n"}) {
        const std::string bytes = std::string("signalType=level") + end + "signalUnit=mm" + end +
                                  "rangeStart=0" + end + "rangeEnd=100" + end;
        const auto v = decodeParameterFile(bytes);
        EXPECT_EQ(v[0], "level");
        EXPECT_EQ(v[1], "mm");
        EXPECT_EQ(v[3], "100");
        EXPECT_EQ(v[4], "");  // missing lines are empty
    }
}

TEST(ParameterFiles, ChoicesThatNameNoEntryAreFound) {
    BasicConfigModel m;
    auto values = parameterFileValues(temperatureModel());
    EXPECT_EQ(firstUnknownChoice(m, values), std::nullopt);
    values[4] = "k1+k2";  // case does not matter
    EXPECT_EQ(firstUnknownChoice(m, values), std::nullopt);
    values[15] = "4--20";  // a prefix only
    EXPECT_EQ(firstUnknownChoice(m, values), 15u);
    values[6] = "";  // the page would move to the second entry
    EXPECT_EQ(firstUnknownChoice(m, values), 6u);
    EXPECT_EQ(m.list(ListId::K1Type).text(), "Hysteresis normally open");  // page untouched
}

TEST(ParameterFiles, SavingWhereNoFileCanBeCreatedSaysWhy) {
    BasicConfigModel m;
    std::string error;
    EXPECT_FALSE(writeParameterFile("/nonexistent-dir/p.txt", m, &error));
    EXPECT_NE(error.find("/nonexistent-dir/p.txt"), std::string::npos);
}

TEST(Presets, MissingAndEmptyIniGiveTheDefaults) {
    TempDir dir;
    for (bool exists : {false, true}) {
        if (exists)
            writeFileBytes(dir.file("Trelvimo.ini"), "[\xCE\xC2\xB6\xC8]\r\n");  // [温度]
        BasicConfigModel m;
        m.ShowEnterpriseLayout();
        applyPreset(m, IniFile::load(dir.file("Trelvimo.ini")), Preset::Temperature);
        EXPECT_EQ(m.list(ListId::SignalType).text(), "Temperature");
        EXPECT_EQ(m.edit(EditId::RangeStart), "-20");
        EXPECT_EQ(m.edit(EditId::ZoomStart), "-20");
        EXPECT_EQ(m.edit(EditId::RangeEnd), "100");
        EXPECT_EQ(m.edit(EditId::ZoomEnd), "100");
        EXPECT_EQ(m.list(ListId::SignalUnit).text(), "℃");
        EXPECT_EQ(m.unitLabel, "℃");
        EXPECT_EQ(m.list(ListId::OutputType).text(), "2K+1A");
        EXPECT_EQ(m.list(ListId::Current).text(), "4--20mA");
        EXPECT_EQ(m.list(ListId::K1Type).text(), "Hysteresis normally open");  // unchanged
        EXPECT_TRUE(m.densityReadOnly);
    }
}

TEST(Presets, GbkSectionValuesAreReadAndCutToNineteenBytes) {
    // [液位] signalUnit=mm, rangeEnd = 25 characters
    const auto ini = IniFile::parse(
        "[\xD2\xBA\xCE\xBB]\r\nsignalUnit = mm\r\nrangeEnd=1234567890123456789012345\r\n");
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    applyPreset(m, ini, Preset::Level);
    EXPECT_EQ(m.list(ListId::SignalType).text(), "level");
    EXPECT_FALSE(m.densityReadOnly);
    EXPECT_EQ(m.list(ListId::SignalUnit).text(), "mm");
    EXPECT_EQ(m.edit(EditId::RangeEnd), "1234567890123456789");
    EXPECT_EQ(m.edit(EditId::RangeStart), "0");
}
