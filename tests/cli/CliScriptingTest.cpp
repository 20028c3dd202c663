// The command line as script writers use it: help and option shapes, one JSON document per run,
// the port from the environment, languages and streams, bounded hooks, refusals before the bus
// is touched, and exports that never destroy a record file. Run in-process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>
#include <utility>

#include <signal.h>
#include <unistd.h>

#include "acquisition/RecordFile.h"
#include "base/JsonWriter.h"
#include "base/NumberText.h"
#include "calibration/SensorCalibration.h"
#include "cli/Usage.h"
#include "tests/cli/CliRun.h"

namespace {

std::size_t framesOf(const SimBus& sim, std::uint8_t function) {
    std::size_t n = 0;
    for (const auto& f : sim.framesReceived()) n += f.bytes.size() > 1 && f.bytes[1] == function;
    return n;
}

std::string textOf(const std::string& path) {
    const auto b = readFileBytes(path);
    return {b.begin(), b.end()};
}

// Sets an environment variable for one scope.
struct Env {
    Env(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Env() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(CommandLineScripting, HelpAndOptionShapes) {
    TempDir dir;
    for (const char* help : {"--help", "-h", "help"}) {
        const CliRun r = cliLine(help, dir);
        EXPECT_EQ(r.code, 0) << help;
        EXPECT_EQ(r.out.rfind("usage: korvelantis-cli", 0), 0u) << help;
        EXPECT_NE(r.out.find("4 the port did not open; 5 read"), std::string::npos) << help;
        EXPECT_EQ(r.err, "") << help;
    }
    for (const char* help : {"collect --help", "help collect", "--help collect"}) {
        const CliRun r = cliLine(help, dir);
        EXPECT_EQ(r.code, 0) << help;
        EXPECT_NE(r.out.find("collect ADDR --interval-s S"), std::string::npos) << help;
        EXPECT_EQ(r.out.find("scan --all"), std::string::npos) << help;
    }
    // How hooks are run is told with the commands that run them, and only there.
    for (const auto& [help, hooks] : {std::pair{"help", true},
                                      {"calibrate --help", true},
                                      {"output-calibrate --help", true},
                                      {"collect --help", false},
                                      {"watch --help", false},
                                      {"scan --help", false}}) {
        const CliRun r = cliLine(help, dir);
        EXPECT_EQ(r.code, 0) << help;
        EXPECT_EQ(r.out.find("hooks (--apply, --measure): run by /bin/sh") != std::string::npos,
                  hooks)
            << help;
    }
    // Options after the command and as --option=value.
    const CliRun after = cliLine("scan --all --simulate=9,7 --timeout-ms=20 --parity none", dir);
    EXPECT_EQ(after.code, 0) << after.err;
    EXPECT_EQ(after.out, "7\n9\n");
    struct Refusal {
        const char* args;
        const char* named;
    };
    for (const Refusal& c : {Refusal{"--simulate 3 scan --frob", "--frob is not accepted"},
                             {"--simulate 3 frobnicate", "frobnicate is not a command"},
                             {"--simulate 3 --baud 9600 scan --baud 9600", "--baud given twice"},
                             {"--simulate 3 scan --all --all", "--all given twice"},
                             {"--simulate 3 read 3 4", "4 is not accepted"},
                             {"--simulate 3 calibrate --points 4", "--points 4 is not accepted"},
                             {"--simulate 3 calibrate", "calibrate: --points is missing"},
                             {"--simulate 3 --json=yes scan", "--json=yes is not accepted"},
                             {"--simulate 3 scan --timeout-ms", "--timeout-ms needs a value"},
                             {"--simulate 3 --lang fr scan", "--lang fr is not accepted"}}) {
        const CliRun r = cliLine(c.args, dir);
        EXPECT_EQ(r.code, 2) << c.args;
        EXPECT_EQ(r.err.rfind(std::string("korvelantis-cli: ") + c.named + "\nusage:", 0), 0u)
            << c.args << "\n"
            << r.err;
    }
}

TEST(CommandLineScripting, EveryJsonRunPrintsOneDocumentFailuresIncluded) {
    TempDir dir;
    writeFileBytes(dir.file("p.txt"), cliLine("--simulate 3 read 3", dir).out);
    struct Case {
        const char* args;
        int code;
        const char* document;
    };
    const std::string p = dir.file("p.txt");
    const Case cases[] = {
        {"--simulate 3 --json read 4", 3,
         R"({"command":"read","exit":3,"error":"No online device","ok":false})"},
        {"--simulate 3 --json --timeout-ms 20 download 4 FILE", 3,
         R"({"command":"download","address":4,"exit":3,"error":"No online device","ok":false})"},
        {"--json scan --all --all", 2,
         R"({"command":null,"exit":2,"error":"korvelantis-cli: --all given twice","ok":false})"},
        {"--json import /nonexistent/a.rec", 3, nullptr},
    };
    for (const Case& c : cases) {
        std::string args = c.args;
        if (const auto at = args.find("FILE"); at != std::string::npos)
            args.replace(at, 4, p);
        const CliRun r = cliLine(args, dir);
        EXPECT_EQ(r.code, c.code) << args;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        if (c.document) {
            EXPECT_EQ(r.out, std::string(c.document) + "\n") << args;
        }
        EXPECT_NE(r.out.find("\"ok\":false}"), std::string::npos) << r.out;
    }
    // What was known before the failure: who was online when standard input ended.
    const CliRun all =
        cliLine("--simulate 5 --json --timeout-ms 20 calibrate --points 2 --range 0 1", dir);
    EXPECT_EQ(all.code, 3);
    EXPECT_NE(all.out.find(R"("devices":[5],"exit":3,"error":"input ended","ok":false})"),
              std::string::npos)
        << all.out;
    // import and export speak JSON too.
    writeFileBytes(dir.file("a.rec"), std::string(kRecordHeader) + "12-07 10:30\t1.5\t0\t0\t0\r\n");
    const CliRun im = cliLine("--json import " + dir.file("a.rec"), dir);
    EXPECT_EQ(im.code, 0);
    EXPECT_NE(im.out.find(R"("fields":["Time","1","2","3","4"],"records":2,"points":1,"ok":true})"),
              std::string::npos)
        << im.out;
    const CliRun ex =
        cliLine("export " + dir.file("a.rec") + " --csv " + dir.file("a.csv") + " --json", dir);
    EXPECT_EQ(ex.code, 0) << ex.err;
    EXPECT_NE(ex.out.find(R"("records":1,"ok":true})"), std::string::npos) << ex.out;
}

TEST(CommandLineScripting, PortComesFromTheEnvironmentOrIsRefusedAtOnce) {
    TempDir dir;
    {
        Env none("KORVELANTIS_PORT", nullptr);
        const auto t0 = std::chrono::steady_clock::now();
        const CliRun r = cliLine("scan", dir);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err, "no port: give --port PATH or set KORVELANTIS_PORT\n");
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
        // A command without the bus needs no port.
        EXPECT_EQ(cliLine("import /nonexistent/a.rec", dir).code, 3);
    }
    TestBus tb(TestBus::inProcess({6}), 0.03);
    Env port("KORVELANTIS_PORT", tb.sim.portPath().c_str());
    const CliRun r = cliLine("--timeout-ms 20 scan --all", dir, tb);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "6\n");
    // Shrunken store waits on real devices would let writes go unstored.
    const CliRun scaled = cliWords({"--time-scale", "0.1", "scan"}, {}, 0.0);
    EXPECT_EQ(scaled.code, 2);
    EXPECT_EQ(
        scaled.err.rfind("korvelantis-cli: --time-scale is accepted only with --simulate\n", 0), 0u)
        << scaled.err;
}

TEST(CommandLineScripting, MessagesInTheLanguageAskedForOnStandardError) {
    TempDir dir;
    const CliRun en = cliLine("--simulate 3 read 4", dir);
    EXPECT_EQ(en.err, "No online device\n");
    const CliRun zh = cliLine("--simulate 3 read 4 --lang zh", dir);
    EXPECT_EQ(zh.err, "没有在线设备\n");
    {
        Env lang("KORVELANTIS_LANG", "zh");
        EXPECT_EQ(cliLine("--simulate 3 read 4", dir).err, "没有在线设备\n");
        // The option overrides the environment.
        EXPECT_EQ(cliLine("--simulate 3 read 4 --lang en", dir).err, "No online device\n");
    }
    // A composed message of the core, and one of the command line itself.
    TestBus tb(TestBus::inProcess({3}), 0.03);
    const std::string port = "--port " + tb.sim.portPath() + " --timeout-ms 20 ";
    const CliRun c = cliLine(port + "--lang zh calibrate --points 3 --range 0 1.6", dir, tb);
    EXPECT_EQ(c.code, 3);
    EXPECT_NE(c.err.find("请施加0.000 MPa后按回车\n输入已结束\n"), std::string::npos) << c.err;
    // --quiet: nothing but what a failed run said.
    writeFileBytes(dir.file("p.txt"), cliLine("--simulate 3 read 3", dir, tb).out);
    const CliRun quiet = cliLine("--simulate 3 --quiet download 3 " + dir.file("p.txt"), dir, tb);
    EXPECT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.err, "");
    const CliRun failed = cliLine("--simulate 3 --quiet download 4 " + dir.file("p.txt"), dir, tb);
    EXPECT_EQ(failed.err, "No online device\n");
}

TEST(CommandLineScripting, CalibrationRefusesWhatItCanSeeBeforeTheScan) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3}), 0.03);
    const std::string port = "--port " + tb.sim.portPath() + " ";
    for (const char* args :
         {"calibrate --points 3 --range 1 1", "calibrate --points 2 --signal level --density 0"}) {
        tb.sim.clearFramesReceived();
        const auto t0 = std::chrono::steady_clock::now();
        const CliRun r = cliLine(port + args, dir, tb);
        EXPECT_EQ(r.code, 3) << args;
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1)) << args;
        EXPECT_TRUE(tb.sim.framesReceived().empty()) << args;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    // The core's refusal, in the window's English (the default) and Chinese.
    EXPECT_EQ(cliLine(port + "calibrate --points 3 --range 1 1", dir, tb).err,
              cli::spoken(calib::kEmptyRange, cli::Language::English) + "\n");
    EXPECT_EQ(cli::spoken(calib::kEmptyRange, cli::Language::English).find("量程"),
              std::string::npos);
    EXPECT_EQ(cliLine(port + "--lang zh calibrate --points 3 --range 1 1", dir, tb).err,
              std::string(calib::kEmptyRange) + "\n");
    const CliRun doc = cliLine(port + "--json calibrate --points 3 --range 1 1", dir, tb);
    EXPECT_EQ(doc.out,
              R"({"command":"calibrate","exit":3,"error":)" +
                  JsonWriter::quoted(cli::spoken(calib::kEmptyRange, cli::Language::English)) +
                  ",\"ok\":false}\n");
    // Standard input that ends at the prompt.
    const CliRun ended = cliLine(port + "--timeout-ms 20 calibrate --points 2", dir, tb);
    EXPECT_EQ(ended.code, 3);
    EXPECT_NE(ended.err.find("Apply 0.000 MPa and press Enter\ninput ended\n"), std::string::npos)
        << ended.err;
}

TEST(CommandLineScripting, HooksAreBoundedAndToldTheirStep) {
    TempDir dir;
    const std::string seen = dir.file("seen");
    const CliRun r = cliLine(
        "--simulate 3 --timeout-ms 20 calibrate --points 2 --range 0 1.6 --dot 0.000 --apply 'echo "
        "{target} $KORVELANTIS_TARGET $KORVELANTIS_UNIT >>" +
            seen + "'",
        dir);
    EXPECT_EQ(textOf(seen), "0.000 0.000 MPa\n1.600 1.600 MPa\n") << r.err;
    // A hook that hangs is ended with what it started, and the command fails naming it.
    const std::string pid = dir.file("pid");
    const auto t0 = std::chrono::steady_clock::now();
    const CliRun hung = cliLine(
        "--simulate 3 --timeout-ms 20 calibrate --points 2 --range 0 1.6 "
        "--hook-timeout-s 0.3 --apply 'sleep 30 & echo $! >" +
            pid + "; wait'",
        dir);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_EQ(hung.code, 3);
    EXPECT_NE(hung.err.find("The hook command ran longer than 0.3 s and was ended: sleep 30 & "),
              std::string::npos)
        << hung.err;
    const auto child = num::parseInteger(textOf(pid).substr(0, textOf(pid).find('\n')), 1, 1 << 30);
    ASSERT_TRUE(child);
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = ::kill(static_cast<pid_t>(*child), 0) != 0;
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the hook's own child outlived it";
    EXPECT_EQ(cliLine("--simulate 3 calibrate --points 2 --hook-timeout-s 0", dir).code, 2);
}

TEST(CommandLineScripting, OutputCalibrationRefusesAnOutputTheDeviceDoesNotHave) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3, 7}), 0.03);
    tb.sim.setReg(7, 8, 3);  // "K1+1V" at 7; 3 keeps its current output
    const std::string port = "--port " + tb.sim.portPath() + " --timeout-ms 20 ";
    tb.sim.clearFramesReceived();
    const CliRun r = cliLine(port + "output-calibrate current --measure 'echo 4'", dir, tb);
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Address 7 (K1+1V) has no current output; nothing was written."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(framesOf(tb.sim, 0x06) + framesOf(tb.sim, 0x10), 0u);
}

TEST(CommandLineScripting, JsonNamesUnknownsAndUnits) {
    TempDir dir;
    const CliRun stats = cliLine("--simulate 3 --timeout-ms 20 --json scan --all --stats", dir);
    EXPECT_EQ(stats.code, 0);
    EXPECT_NE(stats.out.find(R"("stats":[{"address":1,"requests":1,"answers":0,"timeouts":1,)"
                             R"("crcErrors":0,"refused":0,"foreign":0,"minMs":null,"meanMs":null,)"
                             R"("maxMs":null},)"),
              std::string::npos)
        << stats.out;
    EXPECT_TRUE(std::regex_search(
        stats.out, std::regex(R"(\{"address":3,"requests":1,"answers":1,[^}]*"minMs":[0-9.]+,)")))
        << stats.out;
    // A read-back that differs, in the unit and as register counts.
    TestBus tb(TestBus::inProcess({3}), 0.03);
    tb.sim.setReg(3, 9, 2);  // "00.00"
    const std::string port = "--port " + tb.sim.portPath() + " ";
    std::string file = cliLine(port + "read 3", dir, tb).out;
    writeFileBytes(dir.file("p.txt"), file);
    SimFaults keeps;
    keeps.ignoreWrites = true;
    tb.sim.setFaults(3, keeps);
    const auto at = file.find("k1Action=");
    file.replace(at, file.find('\n', at) - at, "k1Action=1.25");
    writeFileBytes(dir.file("p.txt"), file);
    const CliRun d = cliLine(port + "--json download 3 " + dir.file("p.txt"), dir, tb);
    EXPECT_EQ(d.code, 3);
    EXPECT_NE(d.out.find(R"("sent":1.25,"held":8.03,"unit":"MPa","sentCount":125,"heldCount":803)"),
              std::string::npos)
        << d.out;
}

TEST(CommandLineScripting, CollectTakesThePointPositionOfTheDevice) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({4}), 0.03);
    tb.sim.setReg(4, 9, 3);  // "0.000"
    const CliRun r = cliLine("--port " + tb.sim.portPath() +
                                 " --json collect 4 --interval-s 1 --count 1 --dir " + dir.path(),
                             dir, tb);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(R"("dot":"0.000","unit":"MPa","ok":true})"), std::string::npos) << r.out;
    const std::smatch m = [&] {
        std::smatch s;
        std::regex_search(r.out, s, std::regex(R"x("record":"([^"]+)")x"));
        return s;
    }();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_TRUE(std::regex_search(textOf(m[1]), std::regex("\t-?[0-9]+\\.[0-9]{3}\t")))
        << textOf(m[1]);
}

TEST(CommandLineScripting, ExportNeverWritesOverARecordFile) {
    TempDir dir;
    const std::string rec = dir.file("20241231235000.rec");
    const std::string text = std::string(kRecordHeader) + "12-31 23:55\t1.5\t0\t0\t0\r\n";
    writeFileBytes(rec, text);
    ASSERT_EQ(::symlink(rec.c_str(), dir.file("link.csv").c_str()), 0);
    for (const std::string& out : {rec, dir.file("link.csv"), dir.file("other.REC")}) {
        const CliRun r = cliLine("export " + rec + " --csv " + out, dir);
        EXPECT_EQ(r.code, 3) << out;
        EXPECT_NE(r.err.find("nothing was written."), std::string::npos) << r.err;
        EXPECT_EQ(textOf(rec), text);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.REC")));
}

TEST(CommandLineScripting, ExportDrawsTheCurveAsPng) {
    TempDir dir;
    const std::string rec = dir.file("20241231235000.rec");
    writeFileBytes(rec, std::string(kRecordHeader) + "12-31 23:55\t1.5\t0\t0\t0\r\n" +
                            "12-31 23:58\t2.5\t0\t0\t0\r\n" + "12-31 23:59\t0.5\t0\t0\t0\r\n");
    const CliRun r = cliLine("export " + rec + " --png " + dir.file("c.png"), dir);
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string png = textOf(dir.file("c.png"));
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x03\x20\0\0\x01\x90", 8));  // 800 x 400
    EXPECT_NE(png.find(std::string("\xff\xff\xff\0\0\xff", 6)), std::string::npos)
        << "no curve drawn";
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
    // Lines between the points, not only the points: runs of curve pixels.
    std::size_t runs = 0;
    const std::string two("\0\0\xff\0\0\xff", 6);
    for (auto at = png.find(two); at != std::string::npos; at = png.find(two, at + 3)) ++runs;
    EXPECT_GT(runs, 100u);
    EXPECT_EQ(cliLine("export " + rec + " --png " + rec, dir).code, 3);
    EXPECT_EQ(cliLine("export " + rec, dir).code, 2);
}

TEST(CommandLineScripting, ManualPagesShowEveryOptionAndAreInstalled) {
    auto page = [](const char* name) {
        return textOf(std::string(KORV_TESTS_DIR) + "/../packaging/man/" + name);
    };
    const std::string cliPage = page("korvelantis-cli.1");
    const std::string usage = cli::usageText("");
    const std::regex option("--[a-z][a-z-]*");
    int seen = 0;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it, ++seen) {
        if (it->str() == "--option")  // "--option=value as well as --option value"
            continue;
        std::string roff;
        for (char c : it->str()) roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(cliPage.find(roff), std::string::npos) << it->str() << " is not in the page";
    }
    EXPECT_GT(seen, 25);
    const std::string simPage = page("korvelantis-sim.1");
    for (const char* roff : {"\\-\\-control", "\\-\\-set\\-pressure", "ignore\\-writes"})
        EXPECT_NE(simPage.find(roff), std::string::npos) << roff;

    TempDir prefix;
    const std::string cmd = std::string(KORV_CMAKE_COMMAND) + " --install " + KORV_BINARY_DIR +
                            " --prefix " + prefix.path() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    for (const char* name : {"korvelantis-cli.1", "korvelantis-sim.1", "korvelantis.1"})
        EXPECT_EQ(textOf(prefix.path() + "/share/man/man1/" + name), page(name)) << name;
}

// A configuration nobody confirms: its failure is a message, and the JSON knows no held values.
TEST(CommandLineScripting, ConfigureFailsOnStandardErrorWithNothingMadeUp) {
    TempDir dir;
    TestBus tb(TestBus::inProcess({3}), 0.03);
    SimFaults keeps;
    keeps.ignoreWrites = true;
    tb.sim.setFaults(3, keeps);
    const std::string port = "--port " + tb.sim.portPath() + " --timeout-ms 20 ";
    const CliRun r = cliLine(port + "configure 5 70000", dir, tb);
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Configuration not confirmed: address 5 gives no answer!\n");
    // A composed message of the core, recognised by its template and translated with its address.
    const CliRun zh = cliLine(port + "--lang zh configure 5 70000", dir, tb);
    EXPECT_EQ(zh.err.find("Configuration"), std::string::npos) << zh.err;
    EXPECT_NE(zh.err.find('5'), std::string::npos) << zh.err;
    const CliRun j = cliLine(port + "--json configure 5 70000", dir, tb);
    EXPECT_EQ(j.code, 3);
    EXPECT_NE(j.out.find(R"("status":"no answer","heldAddress":null,"heldProductCode":null,)"
                         R"("written":true,"ok":false})"),
              std::string::npos)
        << j.out;
}

// The command line translates a message by its template: an argument holding "; ", "%1" or the
// text of another template is a name and stays one, as it once did not.
TEST(CliLanguage, ComposedMessagesKeepTheirArgumentsAsTheyAre) {
    const auto v = [](const char* text) { return Message::verbatim(text); };
    const struct {
        Message message;
        cli::Language language;
        const char* spoken;
    } cases[] = {
        {compose(texts::kPortBusy, {v("/tmp/a; b")}), cli::Language::Chinese,
         "/tmp/a; b忙：另一个程序正在使用该串口。"},
        {compose(texts::kPortBusy, {v("File Open Failed!")}), cli::Language::Chinese,
         "File Open Failed!忙：另一个程序正在使用该串口。"},
        {compose(texts::kReportFailed,
                 {v("/tmp/%1.csv"), v("12: 33: no answer; device 7 refused")}),
         cli::Language::English,
         "Calibration report not saved: /tmp/%1.csv (12: 33: no answer; device 7 refused)"},
        {calib::downloadInterruptedText({1}, {}, {3, 4}), cli::Language::English,
         "Download interrupted!\nWritten and confirmed: 1\nNot written: 3, 4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::spoken(c.message, c.language), c.spoken) << c.message.text();
}
