#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "config/DeviceSearch.h"
#include "config/ParameterFile.h"
#include "link/Gbk.h"
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
    TestBus tb(TestBus::inProcess({1, 12}), 0.03);
    tb.open();
    tb.sim.setReg(12, 7, 160);
    SearchState st;
    const SearchOutcome out = runSearch(tb.ctx, st, true);
    EXPECT_TRUE(out.complete);
    EXPECT_EQ(tb.ctx.onlineAddresses(), (std::vector<int>{1, 12}));
    EXPECT_EQ(tb.ctx.CurrentAddress.load(), 12);
    EXPECT_EQ(out.block[0], 12);
    EXPECT_EQ(reg::ParameterBlock::fromAnswer(out.block).get(7), 160);
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
    const auto file = readParameterFile(dir.file("p.txt"));
    ASSERT_TRUE(file.ok()) << file.problem.text();
    applyParameterFile(back, file.values);
    EXPECT_FALSE(back.densityReadOnly);
    for (EditId id : {EditId::RangeEnd, EditId::K1Action, EditId::Density})
        EXPECT_EQ(back.edit(id), level.edit(id));
    for (std::size_t i = 0; i < kListCount; ++i)
        EXPECT_EQ(back.lists[i].text(), level.lists[i].text()) << i;
    EXPECT_EQ(back.unitLabel, "m");
    EXPECT_TRUE(back.voltageEnabled);
    EXPECT_FALSE(back.currentEnabled);

    ASSERT_TRUE(writeParameterFile(dir.file("t.txt"), temperatureModel(), &error));
    applyParameterFile(back, readParameterFile(dir.file("t.txt")).values);
    EXPECT_TRUE(back.densityReadOnly);
    EXPECT_EQ(back.list(ListId::SignalUnit).text(), "℃");
}

namespace {

// The lines of a file the program wrote, without their endings.
std::vector<std::string> programLines() {
    const auto values = parameterFileValues(temperatureModel());
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < kParameterLineCount; ++i)
        lines.push_back(std::string(kParameterFileKeys[i]) + "=" + values[i]);
    return lines;
}

std::string joined(const std::vector<std::string>& lines, const char* end) {
    std::string out;
    for (const auto& l : lines) out += l + end;
    return out;
}

}  // namespace

// Keys were ignored: lines 3 and 4 swapped by hand loaded range start 1.6 and range end 0.
TEST(ParameterFiles, ValuesGoByKeyAndAFileWithoutEveryKeyOnceIsRefused) {
    const auto base = programLines();  // rangeStart=0 (line 3), rangeEnd=100 (line 4)
    struct Case {
        const char* name;
        std::string bytes;
        std::string problem;  // empty: loads
    };
    auto swapped = base;
    swapped[2] = "rangeEnd=1.6";
    swapped[3] = "rangeStart=0";
    auto missing = base;
    missing.erase(missing.begin() + 9);  // k1Delay
    auto unknown = base;
    unknown[3] = "rangEnd=100";
    auto repeated = base;
    repeated.push_back("k1Action=3");
    auto noKey = base;
    noKey[4] = "2K+1V";
    auto blankLines = base;
    blankLines.insert(blankLines.begin() + 5, "");
    const std::vector<std::string> shortFile(base.begin(), base.begin() + 4);
    const Case cases[] = {
        {"CR CR LF", joined(base, "\r\r\n"), ""},
        {"CR LF", joined(base, "\r\n"), ""},
        {"LF", joined(base, "\n"), ""},
        {"byte-order mark", "\xEF\xBB\xBF" + joined(base, "\n"), ""},
        {"empty lines", joined(blankLines, "\r\r\n"), ""},
        {"swapped", joined(swapped, "\r\r\n"), ""},
        {"missing", joined(missing, "\r\r\n"), "Line 10 (k1Delay) is missing!"},
        {"short", joined(shortFile, "\r\r\n"), "Line 5 (outputType) is missing!"},
        {"unknown", joined(unknown, "\r\r\n"), "Line 4 (rangEnd) is not a parameter!"},
        {"repeated", joined(repeated, "\r\r\n"), "Line 20 (k1Action) repeats line 8!"},
        {"no key", joined(noKey, "\n"), "Line 5 (2K+1V) is not a parameter!"},
        {"empty file", "", "Line 1 (signalType) is missing!"},
    };
    for (const Case& c : cases) {
        const ParameterFileRead r = decodeParameterFile(c.bytes);
        if (c.problem.empty()) {
            ASSERT_TRUE(r.ok()) << c.name << ": " << r.problem.text();
            EXPECT_EQ(r.values[0], "Temperature") << c.name;
            EXPECT_EQ(r.values[4], "2K+1V") << c.name;
            EXPECT_EQ(r.values[18], "0") << c.name;  // the last character of a value stays
        } else {
            EXPECT_EQ(r.status, ParameterFileRead::Status::Refused) << c.name;
            EXPECT_EQ(r.problem.text(), c.problem) << c.name;
        }
    }
    const ParameterFileRead byKey = decodeParameterFile(joined(swapped, "\r\r\n"));
    EXPECT_EQ(byKey.values[2], "0");    // rangeStart
    EXPECT_EQ(byKey.values[3], "1.6");  // rangeEnd
}

// The command line aborted on a directory (an uncaught ios_base::failure), the window on a
// preset INI that is one; a FIFO blocked and /dev/zero was read without end.
TEST(ParameterFiles, PathsThatAreNoTextFileAreRefusedWithTheReason) {
    TempDir dir;
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeFileBytes(dir.file("big.txt"), std::string(kTextFileLimit + 1, '\n'));
    const std::pair<std::string, std::string> cases[] = {
        {dir.path(), "a directory, not a file"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir.file("big.txt"), "larger than 65536 bytes"},
    };
    for (const auto& [path, why] : cases) {
        const ParameterFileRead r = readParameterFile(path);
        EXPECT_EQ(r.status, ParameterFileRead::Status::Unreadable) << path;
        EXPECT_EQ(r.problem.text(), why) << path;
        const IniFile::Load ini = IniFile::load(path);
        EXPECT_FALSE(ini.ini) << path;
        EXPECT_EQ(ini.why, why) << path;
    }
    const ParameterFileRead missing = readParameterFile(dir.file("missing.txt"));
    EXPECT_EQ(missing.status, ParameterFileRead::Status::Unreadable);
    EXPECT_EQ(missing.problem.text(), std::strerror(ENOENT));
    EXPECT_TRUE(IniFile::load(dir.file("missing.ini")).ini);  // no presets: the defaults
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
    values[6] = unshownCodeMark(4);
    EXPECT_EQ(firstUnknownChoice(m, values), 6u);
}

// `read` printed the lists' own defaults for these codes as if the device held them.
TEST(ParameterFiles, CodesNoListCanShowAreFoundByTheLineTheyFeed) {
    struct Case {
        std::map<int, std::uint16_t> regs;
        std::vector<std::pair<std::size_t, int>> unshown;  // line (0-based), code
    };
    const Case cases[] = {
        {{{4, 2}, {5, 9}, {8, 4}, {9, 2}, {18, 1}}, {}},
        {{{5, 0}}, {}},  // "KPa" is the list's "kPa"
        {{{4, 9}}, {{0, 9}}},
        {{{5, 10}}, {{1, 10}}},  // "cm" has a code but no list entry
        {{{5, 11}}, {{1, 11}}},
        {{{5, 6}}, {{1, 6}}},
        {{{8, 6}}, {{4, 6}}},
        {{{9, 7}}, {{5, 7}}},
        {{{10, 4}, {14, 9}}, {{6, 4}, {10, 9}}},
        {{{8, 4}, {18, 3}}, {{15, 3}}},  // a current output with a voltage range
        {{{8, 5}, {18, 1}}, {{14, 1}}},
        {{{8, 1}, {18, 7}}, {}},  // no analogue output: register 18 goes out as 0
    };
    for (const Case& c : cases) {
        reg::ParameterBlock b;
        b.regs[0] = 5;
        for (auto [r, v] : c.regs) b.regs[static_cast<std::size_t>(r - 3)] = v;
        std::vector<std::pair<std::size_t, int>> got;
        for (const UnshownCode& u : codesNoListShows(b)) got.emplace_back(u.line, u.code);
        EXPECT_EQ(got, c.unshown);
    }
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
        const IniFile::Load ini = IniFile::load(dir.file("Trelvimo.ini"));
        ASSERT_TRUE(ini.ini) << ini.why;
        applyPreset(m, *ini.ini, Preset::Temperature);
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

// The UTF-8 bytes of "液位" are valid GBK for other characters: no section matched and every key
// fell back to its default.
TEST(Presets, Utf8IniIsReadAsUtf8WithOrWithoutByteOrderMarkAndGbkStillWorks) {
    const std::string utf8 =
        "[液位]\nrangeEnd=250\nk1Action=60\n[温度]\nsignalUnit=℉\nrangeStart=-40\n"
        "rangeZend=一二三四五六七八九十\n";
    const auto gbk = utf8ToGbk(utf8);
    ASSERT_TRUE(gbk);
    const std::pair<const char*, std::string> files[] = {
        {"UTF-8", utf8}, {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + utf8}, {"GBK", *gbk}};
    for (const auto& [name, bytes] : files) {
        const IniFile ini = IniFile::parse(bytes);
        BasicConfigModel m;
        m.ShowEnterpriseLayout();
        applyPreset(m, ini, Preset::Level);
        EXPECT_EQ(m.edit(EditId::RangeEnd), "250") << name;
        EXPECT_EQ(m.edit(EditId::K1Action), "60") << name;
        applyPreset(m, ini, Preset::Temperature);
        EXPECT_EQ(m.list(ListId::SignalUnit).text(), "℉") << name;
        EXPECT_EQ(m.edit(EditId::RangeStart), "-40") << name;
        EXPECT_EQ(m.edit(EditId::ZoomEnd), "一二三四五六七八九") << name;  // 19 bytes of GBK
    }
}
