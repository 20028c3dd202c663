#include "live/CsvSink.h"

#include "base/NumberText.h"

namespace live {

CsvSink::CsvSink(std::filesystem::path path) : file_(std::move(path)) {}

int CsvSink::open() {
    if (const int e = file_.openLocked())
        return e;
    if (file_.empty() && !file_.append(kCsvHeader))
        return file_.error();
    return file_.error();
}

std::string csvRows(const Round& round) {
    const std::string time = isoTime(round.time);
    std::string rows;
    for (const Reading& r : round.readings) {
        if (!r.answered)
            continue;
        rows += time;
        rows += ',';
        rows += num::formatInt(r.address);
        rows += ',';
        rows += r.value;
        rows += ',';
        rows += r.unit;  // the units' texts hold no comma or quote
        rows += "\r\n";
    }
    return rows;
}

bool CsvSink::take(const Round& round, const std::vector<DeviceState>&) {
    const std::string rows = csvRows(round);
    if (rows.empty())
        return true;
    if (!file_.append(rows))
        return false;
    for (const Reading& r : round.readings) rows_ += r.answered ? 1 : 0;
    return true;
}

}  // namespace live
