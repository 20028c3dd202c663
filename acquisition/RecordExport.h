#pragma once
// The imported record table as CSV, for spreadsheets and scripts: UTF-8, one header line with the
// field names, then one line per data record (the empty record after a final line end is no
// sample). Fields are separated by commas and quoted where they hold a comma, a quote or a line
// end, lines end with CR LF (RFC 4180). A missing piece is an empty field. Times become ISO 8601
// local times "YYYY-MM-DDThh:mm" (the files record neither seconds nor the zone); a time text
// that is no time is written as it stands.
//
// Years: a time text has none. A record file's name is its start time, so the first sample lies
// in the start's year, or in the next one when its month comes before the start's month (an
// acquisition started on 31 December). From there on a month that goes back (December, then
// January) begins a new year; a smaller step back (the clock set back, the end of summer time)
// does not. A file whose name carries no start time counts the same way back from the year it
// was last written, which is when its last sample was taken.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordTable.h"
#include "base/Texts.h"

inline constexpr std::string_view kFileWriteFailedMessage =
    KORV_TR_NOOP("Core", "File Write Failed!");
inline constexpr std::string_view kExportWaitText =
    KORV_TR_NOOP("Core", "Exporting data, please wait....");
inline constexpr std::string_view kExportCancelCaption = KORV_TR_NOOP("Core", "Cancel Export");

// The years of a table's time texts, handed out in record order.
class RecordYears {
public:
    // `fallbackYear`: the last sample's year when the source tells nothing.
    static RecordYears of(const RecordTable& table, int fallbackYear);
    int next(int month);

private:
    RecordYears(int year, int lastMonth) : year_(year), lastMonth_(lastMonth) {}
    int year_;
    int lastMonth_;  // 0: none yet
};

std::string isoRecordTime(const RecordTime& t, int year);
// One CSV field: as it stands, or quoted with its quotes doubled.
std::string csvField(std::string_view utf8);

// Hands the CSV to `sink` in pieces; false when the sink refused one or the job was stopped.
bool writeRecordCsv(const RecordTable& table, int fallbackYear,
                    const std::function<bool(std::string_view)>& sink,
                    const JobControl& control = {});

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    std::string why;  // not ok and not cancelled: the system's reason
};
// Writes `out` whole or not at all (a file beside it, renamed when complete).
ExportResult exportRecordCsv(const RecordTable& table, const std::filesystem::path& out,
                             const JobControl& control = {});
