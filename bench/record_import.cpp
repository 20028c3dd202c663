// A record file of 1,000,000 samples: import until table and curve are ready, peak memory, a full
// curve redraw and a cross-hair move, each beside the time a plain read of the same file takes.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "acquisition/CurveModel.h"
#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "acquisition/RecordTable.h"
#include "acquisition/qt/CurveCtrl.h"
#include "acquisition/qt/TablePage.h"
#include "link/OperatorMessages.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr int kSamples = 1000000;

double msSince(Steady::time_point t0) {
    return std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
}

long peakKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

void writeFile(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(kRecordHeader.data(), 1, kRecordHeader.size(), f);
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 0;
    t.tm_mday = 1;
    std::time_t base = std::mktime(&t);
    char value[32];
    for (int i = 0; i < kSamples; ++i) {
        const std::time_t s = base + static_cast<std::time_t>(i) * 60;
        std::tm lt{};
        localtime_r(&s, &lt);
        const std::uint16_t raw = static_cast<std::uint16_t>(10000 + (i * 37) % 9000);
        std::snprintf(value, sizeof value, "%s", recordValueText(raw, "0.000").c_str());
        const std::string line = recordSampleLine(lt, value);
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
}

double plainRead(const std::filesystem::path& path) {
    const auto t0 = Steady::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string buf(std::filesystem::file_size(path), '\0');
    const std::size_t n = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    const double ms = msSince(t0);
    if (n != buf.size())
        std::fprintf(stderr, "short read\n");
    return ms;
}

// In a child process, so the peak is the import's own.
void measureImport(const std::filesystem::path& path, double readMs) {
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        RecordingMessages m;
        RecordTable table;
        ImportState state;
        const auto t0 = Steady::now();
        const auto outcome = importRecordFile(path, table, state, m);
        const CurveSeries series = CurveSeries::fromImport(state, 1);
        const double ms = msSince(t0);
        char out[160];
        const int len =
            std::snprintf(out, sizeof out, "%f %ld %zu %zu %d", ms, peakKb(), table.recordCount(),
                          series.size(), outcome == ImportOutcome::Loaded);
        if (::write(fds[1], out, static_cast<std::size_t>(len)) < 0)
            _exit(1);
        _exit(0);
    }
    ::close(fds[1]);
    char in[160] = {};
    const ssize_t n = ::read(fds[0], in, sizeof in - 1);
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    double ms = 0;
    long kb = 0;
    std::size_t records = 0, points = 0;
    int ok = 0;
    if (n <= 0 || std::sscanf(in, "%lf %ld %zu %zu %d", &ms, &kb, &records, &points, &ok) != 5) {
        std::printf("import: child failed\n");
        return;
    }
    std::printf(
        "import (table + curve ready): %8.1f ms  = %5.1f x plain read  (target 1500 ms)%s\n", ms,
        ms / readMs, ok ? "" : "  NOT LOADED");
    std::printf("  records %zu, points %zu\n", records, points);
    std::printf("peak memory of the import:    %8.1f MB  (target 300 MB)\n", kb / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("korv-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "bench.rec";
    writeFile(path);
    std::printf("record file: %d samples, %.1f MB\n", kSamples,
                std::filesystem::file_size(path) / 1e6);

    double readMs = 1e9;
    for (int i = 0; i < 3; ++i) readMs = std::min(readMs, plainRead(path));
    std::printf("plain read of the file:       %8.1f ms\n", readMs);
    measureImport(path, readMs);

    QApplication app(argc, argv);
    RecordingMessages m;
    RecordTable table;
    ImportState state;
    importRecordFile(path, table, state, m);
    const CurveSeries series = CurveSeries::fromImport(state, 1);

    // The plot as the page makes it on a 1920-pixel-wide window.
    QImage img(1810, 390, QImage::Format_RGB32);
    auto redraw = [&](const CurveSeries& s, int mpd) {
        const auto vs = VerticalScale::make(s.first, 40.0f, 1, img.height());
        constexpr int kRuns = 20;
        const auto t0 = Steady::now();
        for (int i = 0; i < kRuns; ++i) {
            clearToGrid(img);
            drawCurve(img, s, vs, mpd);
        }
        return msSince(t0) / kRuns;
    };
    const double redrawMs = redraw(series, 1200);
    std::printf("full redraw, 20 hours/div:    %8.2f ms  = %5.3f x plain read  (target 50 ms)\n",
                redrawMs, redrawMs / readMs);
    // Every one of the million points inside the plot: the worst case for the reduction.
    CurveSeries dense = series;
    for (auto& mnt : dense.minutes)
        if (mnt != kNoPoint)
            mnt /= 100;
    const double denseMs = redraw(dense, 1200);
    std::printf("full redraw, all points shown:%8.2f ms  = %5.3f x plain read  (target 50 ms)\n",
                denseMs, denseMs / readMs);

    CCurveCtrl ctrl;
    ctrl.resize(1810, 390);
    ctrl.show();
    ctrl.ClearToGrid();
    ctrl.SetData(dense);
    ctrl.DrawCurve(40.0f, 1, 1200);
    ctrl.setLoaded(true);
    QString readout;
    ctrl.setReadoutSink([&](const QString& t) { readout = t; });
    constexpr int kMoves = 2000;
    const auto t0 = Steady::now();
    for (int i = 0; i < kMoves; ++i) {
        ctrl.crossHairAt(i % 1810, (i * 7) % 390);
        ctrl.repaint();
    }
    const double moveMs = msSince(t0) / kMoves;
    std::printf("cross-hair move (with paint): %8.3f ms  = %5.4f x plain read  (target 5 ms)\n",
                moveMs, moveMs / readMs);

    // Binding the table and painting its first screen: the model is asked only for what shows.
    {
        auto shared = std::make_shared<RecordTable>(std::move(table));
        CTablePage page;
        page.resize(1000, 400);
        page.show();
        const auto t1 = Steady::now();
        page.BindTable(shared);
        page.repaint();
        const double bindMs = msSince(t1);
        std::printf("table bind + first paint:     %8.2f ms  = %5.3f x plain read\n", bindMs,
                    bindMs / readMs);
    }

    std::filesystem::remove_all(dir);
    return 0;
}
