#pragma once
// The in-memory table of text fields that an import fills and the data table shows: named
// columns, then records whose fields hold the texts of a line's pieces (a missing piece is an
// empty text). Operations come in the order an import uses them: create, append fields, open,
// add records, read.
//
// Storage is one text buffer and one offset per field, so a million records cost about the size
// of the file plus eight bytes per field. Errors are values (Status), never exceptions.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class RecordTable {
public:
    struct Status {
        bool ok = true;
        std::string text;  // why, when !ok
    };

    // Empties the table (fields and records) and makes it appendable again.
    void create();
    Status appendField(std::string_view name);
    // Fails when there is no field; a closed table takes no records.
    Status open();
    bool isOpen() const { return open_; }
    // One record from the pieces; more pieces than fields is an error and adds nothing.
    Status addRecord(const std::vector<std::string_view>& pieces);

    std::size_t fieldCount() const { return fields_.size(); }
    std::size_t recordCount() const { return fields_.empty() ? 0 : ends_.size() / fields_.size(); }
    const std::string& fieldName(std::size_t column) const { return fields_.at(column); }
    // Field text of a record; empty for a position outside the table.
    std::string_view value(std::size_t record, std::size_t column) const;

private:
    std::vector<std::string> fields_;
    bool open_ = false;
    std::string text_;
    std::vector<std::uint32_t> ends_;  // end of each field's text in text_, record by record
};
