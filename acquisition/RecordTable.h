#pragma once
// The in-memory table of text fields that an import fills and the data table shows: named
// columns, then records whose fields hold the texts of a line's pieces (a missing piece is an
// empty text). Operations come in the order an import uses them: create, append fields, open,
// add records, read.
//
// Storage follows the file, not records x fields: the table keeps the file's bytes once and, per
// record, where its line starts (about two bytes a record). A record's pieces are split from its
// line when they are asked for, so a field that a line does not have costs nothing, and nothing
// is allocated per record. Errors are values (Status), never exceptions.
//
// Bounds, so that no file can make the table or its display unbounded: at most kMaxRecordFields
// columns are kept (pieces beyond them are not shown), a field name keeps at most
// kMaxFieldNameBytes bytes (then "..."), a shown field at most kMaxShownBytes, and the text is
// limited to 4 GiB by its offsets.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr std::size_t kMaxRecordFields = 256;
inline constexpr std::size_t kMaxFieldNameBytes = 64;
// What the table page shows of one field's text (then "...").
inline constexpr std::size_t kMaxShownBytes = 256;
inline constexpr std::string_view kElision = "...";

class RecordTable {
public:
    struct Status {
        bool ok = true;
        std::string text;  // why, when !ok
    };
    // Where the records came from: the file's name (a record file's name carries its start time)
    // and when it was last written.
    struct Source {
        std::string fileName;
        std::optional<std::time_t> modified;
    };

    // Empties the table (fields and records) and makes it appendable again; `text` (what the file
    // holds) is what the records will refer into.
    void create(std::string text = {});
    Status appendField(std::string_view name);
    // Fails when there is no field; a closed table takes no records.
    Status open();
    bool isOpen() const { return open_; }
    // One record: the line that starts at `begin` in text() (up to its line end, LF or CR LF, or
    // the end of the text; begin == text().size() is the empty line after a final line end). A
    // line with more pieces than the header has fields is an error and adds nothing.
    Status addRecord(std::size_t begin);
    void reserveRecords(std::size_t n);

    // The line starting at `begin`, without its line end.
    std::string_view lineAt(std::size_t begin) const;

    std::size_t fieldCount() const { return fields_.size(); }
    std::size_t recordCount() const { return delta_.size(); }
    // Records without the empty one after a final line end (which is no sample).
    std::size_t dataRecordCount() const;
    const std::string& fieldName(std::size_t column) const { return fields_.at(column); }
    std::string_view line(std::size_t record) const;
    // The pieces of a record that have a column (at most fieldCount()), into `out`.
    void pieces(std::size_t record, std::vector<std::string_view>& out) const;
    // Field text of a record; empty for a position outside the table or a piece the line lacks.
    std::string_view value(std::size_t record, std::size_t column) const;
    const std::string& text() const { return text_; }

    Source source;

private:
    std::size_t recordBegin(std::size_t record) const;

    std::vector<std::string> fields_;
    std::size_t headerFields_ = 0;
    bool open_ = false;
    std::string text_;
    // Line starts: a base every kBlock records, a 16-bit distance from it per record, and the few
    // starts whose distance does not fit (record, start), in record order.
    static constexpr std::size_t kBlock = 64;
    static constexpr std::uint16_t kFar = 0xFFFF;
    std::vector<std::uint32_t> blockBase_;
    std::vector<std::uint16_t> delta_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> far_;
};

// Calls `f(piece)` for each piece of `line` in order, until it returns false. Pieces are split at
// tabs: a run of tabs is one separator, leading and trailing tabs are ignored.
template <class F>
void forEachRecordPiece(std::string_view line, F&& f) {
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == '\t') ++i;
        if (i >= line.size())
            return;
        const std::size_t end = std::min(line.find('\t', i), line.size());
        if (!f(line.substr(i, end - i)))
            return;
        i = end;
    }
}

// The pieces of one line, at most `maxPieces` of them.
void splitRecordLine(std::string_view line, std::vector<std::string_view>& out,
                     std::size_t maxPieces = SIZE_MAX);
std::vector<std::string_view> splitRecordLine(std::string_view line);
std::size_t countRecordPieces(std::string_view line);
