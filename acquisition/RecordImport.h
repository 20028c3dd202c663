#pragma once
// Reading a record file back: its first line names the columns, each further line becomes a
// record of the table, and the numbers go into the import state for the curve.
//
// Lines end at LF; a CR before the LF belongs to the line end. Fields are split at tabs, where a
// run of tabs is one separator and leading and trailing tabs are ignored. A file that ends with a
// line end yields one more, empty, record (the table shows it as a last empty row); it is not a
// sample and does not reach the curve. A file whose last line has no line end has no such record,
// and all its lines reach the curve.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordTable.h"
#include "common/AppContext.h"
#include "link/OperatorMessages.h"

inline constexpr std::string_view kNotCollectedMessage =
    "This file is not collected data, please select another file!";
inline constexpr std::string_view kFileOpenFailedMessage = "File Open Failed!";
inline constexpr std::string_view kNoRecordsMessage = "This file holds no records.";

enum class ImportOutcome {
    Loaded,        // table filled and at least one point for the curve
    NotCollected,  // exactly 15 bytes: a header without samples
    CannotRead,    // missing or unreadable
    NoRecords,     // read, but no data record (the table may still show its columns)
};

// Splits one line at tabs (runs of tabs count as one separator; leading and trailing ignored).
std::vector<std::string_view> splitRecordLine(std::string_view line);

// Imports `path` into `table` (created anew) and `state` (emptied first). Every message for the
// operator goes to `messages`: the texts above, and "错误信息  <why>" for a table error (the first
// failing line only, so a bad file cannot flood the operator with boxes).
ImportOutcome importRecordFile(const std::filesystem::path& path, RecordTable& table,
                               ImportState& state, OperatorMessages& messages);

// Same on bytes already in memory (what the file holds).
ImportOutcome importRecordBytes(std::string_view bytes, RecordTable& table, ImportState& state,
                                OperatorMessages& messages);
