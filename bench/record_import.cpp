// A record file of 1,000,000 samples: import until table and curve are ready, a full curve redraw
// and a cross-hair move, each beside the time a plain read of the same file takes; and the peak
// memory of an import for every hostile shape of file, beside its bound of 3 x the file + 50 MB.
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquisition/CurveModel.h"
#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "acquisition/RecordTable.h"
#include "acquisition/qt/CurveCtrl.h"
#include "acquisition/qt/TablePage.h"
#include "link/OperatorMessages.h"
#include "tests/support/RecordingMessages.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr int kSamples = 1000000;

double msSince(Steady::time_point t0) {
    return std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n);
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

struct ImportRun {
    double ms = 0;
    long peakKb = 0;
    long baseKb = 0;  // what the process held before the import
    std::size_t records = 0, points = 0;
    int outcome = -1;
};

// The import in a fresh process (this program again), so the peak is the import's own: the file
// read, the table, the import state and the curve's copy of it, which is what the window keeps.
int measureMode(const char* path) {
    const long base = statusKb("VmRSS:");
    RecordingMessages m;
    RecordTable table;
    ImportState state;
    const auto t0 = Steady::now();
    const auto outcome = importRecordFile(path, table, state, m);
    const CurveSeries series = CurveSeries::fromImport(state);
    std::printf("%f %ld %ld %zu %zu %d\n", msSince(t0), statusKb("VmHWM:"), base,
                table.recordCount(), series.size(), static_cast<int>(outcome));
    return 0;
}

ImportRun measureImport(const std::filesystem::path& path) {
    ImportRun run;
    const std::string cmd =
        "/proc/" + std::to_string(::getpid()) + "/exe --measure '" + path.string() + "'";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return run;
    if (std::fscanf(p, "%lf %ld %ld %zu %zu %d", &run.ms, &run.peakKb, &run.baseKb, &run.records,
                    &run.points, &run.outcome) != 6)
        run.outcome = -1;
    ::pclose(p);
    return run;
}

const char* outcomeText(int o) {
    switch (static_cast<ImportOutcome>(o)) {
        case ImportOutcome::Loaded:
            return "loaded";
        case ImportOutcome::NotCollected:
            return "refused: not collected data";
        case ImportOutcome::CannotRead:
            return "refused: cannot be read";
        case ImportOutcome::NoRecords:
            return "no records";
        case ImportOutcome::Cancelled:
            return "cancelled";
    }
    return "child failed";
}

// Writes a file by repeating `unit` until it holds `bytes` bytes, after `head`.
void writeRepeated(const std::filesystem::path& path, const std::string& head,
                   const std::string& unit, std::size_t bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), f);
    std::string block;
    while (block.size() < (1u << 20)) block += unit;
    std::size_t done = head.size();
    while (done < bytes) {
        const std::size_t n = std::min(block.size(), bytes - done);
        std::fwrite(block.data(), 1, n, f);
        done += n;
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0)
        return measureMode(argv[2]);
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
    const ImportRun million = measureImport(path);
    std::printf(
        "import (table + curve ready): %8.1f ms  = %5.1f x plain read  (target 500 ms)  %s\n",
        million.ms, million.ms / readMs, outcomeText(million.outcome));
    std::printf("  records %zu, points %zu\n", million.records, million.points);

    // Peak memory of the import for every shape that froze or crashed the window, against
    // 3 x the file's size + 50 MB.
    std::printf(
        "\npeak memory of an import      file MB  peak MB  bound MB  peak/bound     ms"
        "  (peak: the whole process)\n");
    struct Shape {
        const char* name;
        std::filesystem::path path;
    };
    std::vector<Shape> shapes{{"1,000,000 samples", path}};
    {
        const auto p = dir / "no-line-ends.rec";
        writeRepeated(p, "", "abcdefghij\t", 10u << 20);
        shapes.push_back({"10 MB without line ends", p});
    }
    {
        const auto p = dir / "sparse.rec";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fclose(f);
        if (::truncate(p.c_str(), off_t{1} << 30) == 0)
            shapes.push_back({"1 GB sparse file", p});
    }
    {
        const auto p = dir / "wide.rec";
        std::string header;
        for (int k = 0; k < 20000; ++k) header += "\tfield" + std::to_string(k);
        header += "\r\n";
        writeRepeated(p, header, "\r\n", header.size() + 20000);
        shapes.push_back({"20,000 fields, 10,000 empty", p});
    }
    {
        const auto p = dir / "short.rec";
        writeRepeated(p, "", "1\n", 20u << 20);
        shapes.push_back({"20 MB of short lines", p});
    }
    {
        const auto p = dir / "empty.rec";
        writeRepeated(p, std::string(kRecordHeader), "\n", 20u << 20);
        shapes.push_back({"header, 20 MB of empty lines", p});
    }
    for (const Shape& shape : shapes) {
        const double fileMb = static_cast<double>(std::filesystem::file_size(shape.path)) / 1048576;
        const ImportRun r = measureImport(shape.path);
        const double peakMb = r.peakKb / 1024.0;
        const double boundMb = 3 * fileMb + 50;
        std::printf("  %-28s %8.1f %8.1f %9.1f %11.3f %6.0f  %s, %zu records (%.1f MB before)\n",
                    shape.name, fileMb, peakMb, boundMb, peakMb / boundMb, r.ms,
                    outcomeText(r.outcome), r.records, r.baseKb / 1024.0);
    }
    std::printf("\n");

    QApplication app(argc, argv);
    RecordingMessages m;
    AppContext ctx(m);
    RecordTable table;
    importRecordFile(path, table, ctx.importState, m);
    const CurveSeries series = CurveSeries::fromImport(ctx.importState);

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
        CTablePage page(ctx);
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
