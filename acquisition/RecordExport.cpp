#include "acquisition/RecordExport.h"

#include <cstdio>
#include <ctime>

#include "base/FileWrite.h"

namespace {

constexpr std::size_t kRecordsPerReport = 1 << 16;
constexpr std::size_t kChunk = 1 << 20;

int localYearNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t.tm_year + 1900;
}

}  // namespace

RecordYears RecordYears::of(const RecordTable& table, int fallbackYear) {
    if (const auto start = recordStartOfName(table.source.fileName))
        return RecordYears(start->tm_year + 1900, start->tm_mon + 1);
    int lastYear = fallbackYear;
    int lastMonthWritten = 12;
    if (table.source.modified) {
        std::tm t{};
        const std::time_t m = *table.source.modified;
        localtime_r(&m, &t);
        lastYear = t.tm_year + 1900;
        lastMonthWritten = t.tm_mon + 1;
    }
    // Count the new years up to the last sample, then start that many years earlier.
    RecordYears count(0, 0);
    int lastMonth = 0;
    int years = 0;
    for (std::size_t r = 0; r < table.dataRecordCount(); ++r)
        if (const auto t = parseRecordTime(table.value(r, 0))) {
            years = count.next(t->month);
            lastMonth = t->month;
        }
    // A last sample in a month after the one the file was written in lies in the year before.
    if (lastMonth > lastMonthWritten)
        --lastYear;
    return RecordYears(lastYear - years, 0);
}

int RecordYears::next(int month) {
    if (lastMonth_ != 0 && month < lastMonth_)
        ++year_;
    lastMonth_ = month;
    return year_;
}

std::string isoRecordTime(const RecordTime& t, int year) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d", year, t.month, t.day, t.hour,
                  t.minute);
    return buf;
}

std::string csvField(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(s);
    std::string out = "\"";
    for (char c : s) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

bool writeRecordCsv(const RecordTable& table, int fallbackYear,
                    const std::function<bool(std::string_view)>& sink, const JobControl& control) {
    RecordYears years = RecordYears::of(table, fallbackYear);
    std::string buf;
    buf.reserve(kChunk + 4096);
    const std::size_t columns = table.fieldCount();
    for (std::size_t k = 0; k < columns; ++k) {
        if (k)
            buf += ',';
        buf += csvField(recordTextUtf8(table.fieldName(k)));
    }
    buf += "\r\n";
    std::vector<std::string_view> pieces;
    const std::size_t records = table.dataRecordCount();
    for (std::size_t r = 0; r < records; ++r) {
        if (r % kRecordsPerReport == 0 && r > 0) {
            if (control.stopped())
                return false;
            control.report(progress_text::kWritingRecords, r, records);
        }
        table.pieces(r, pieces);
        for (std::size_t k = 0; k < columns; ++k) {
            if (k)
                buf += ',';
            if (k >= pieces.size())
                continue;
            const auto t = k == 0 ? parseRecordTime(pieces[0]) : std::nullopt;
            buf +=
                t ? isoRecordTime(*t, years.next(t->month)) : csvField(recordTextUtf8(pieces[k]));
        }
        buf += "\r\n";
        if (buf.size() >= kChunk) {
            if (!sink(buf))
                return false;
            buf.clear();
        }
    }
    return sink(buf);
}

ExportResult exportRecordCsv(const RecordTable& table, const std::filesystem::path& out,
                             const JobControl& control) {
    ExportResult result;
    AtomicFile file(out);
    const bool written = writeRecordCsv(
        table, localYearNow(), [&](std::string_view bytes) { return file.write(bytes); }, control);
    if (!written && !file.failed()) {
        result.cancelled = true;
        return result;  // the temporary file goes with `file`
    }
    const FileWritten w = file.commit();
    result.ok = w.ok;
    result.why = w.why;
    return result;
}
