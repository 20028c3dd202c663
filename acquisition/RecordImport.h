#pragma once
// Reading a record file back: its first line names the columns, each further line becomes a
// record of the table, and column "1" of the samples goes into the import state for the curve.
//
// Lines end at LF; a CR before the LF belongs to the line end. Fields are split at tabs, where a
// run of tabs is one separator and leading and trailing tabs are ignored. A file that ends with a
// line end yields one more, empty, record (the table shows it as a last empty row); it is not a
// sample and does not reach the curve. A file whose last line has no line end has no such record,
// and all its lines reach the curve.
//
// Refused: what is not a regular file (a FIFO, a device, a directory) or is larger than
// kMaxRecordFileBytes (with "File Open Failed!" and why), a file of exactly 15 bytes (a header
// without samples) and a file whose first line holds control characters, which no text file has
// (a binary file, a file of zeros): both with "This file is not collected data, ...".

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordTable.h"
#include "base/Texts.h"
#include "link/OperatorMessages.h"
#include "state/AppContext.h"

inline constexpr std::string_view kNotCollectedMessage =
    KORV_TR_NOOP("Core", "This file is not collected data, please select another file!");
inline constexpr std::string_view kFileOpenFailedMessage =
    KORV_TR_NOOP("Core", "File Open Failed!");
inline constexpr std::string_view kNoRecordsMessage =
    KORV_TR_NOOP("Core", "This file holds no records.");
inline constexpr std::string_view kImportWaitText =
    KORV_TR_NOOP("Core", "Importing data, please wait....");
inline constexpr std::string_view kImportCancelCaption = KORV_TR_NOOP("Core", "Cancel Import");
// Ten million samples, 19 years at one a minute.
inline constexpr std::size_t kMaxRecordFileBytes = std::size_t{256} << 20;

enum class ImportOutcome {
    Loaded,        // table filled and at least one data record
    NotCollected,  // exactly 15 bytes (a header without samples), or plainly not text
    CannotRead,    // missing, unreadable, not a regular file, too large
    NoRecords,     // read, but no data record (the table may still show its columns)
    Cancelled,     // stopped on request; nothing loaded, nothing shown
};

// Imports `path` into `table` (created anew) and `state` (emptied first). Every message for the
// operator goes to `messages`: the texts above, and "错误信息  <why>" for a table error (the first
// failing line only, so a bad file cannot flood the operator with boxes). A cancelled import
// shows nothing. May run on a worker: it touches nothing but its arguments.
ImportOutcome importRecordFile(const std::filesystem::path& path, RecordTable& table,
                               ImportState& state, OperatorMessages& messages,
                               const JobControl& control = {});

// Same on bytes already in memory (what the file holds); the table keeps them.
ImportOutcome importRecordBytes(std::string bytes, RecordTable& table, ImportState& state,
                                OperatorMessages& messages, const JobControl& control = {});
