#include "acquisition/RecordTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "acquisition/RecordFile.h"

void splitRecordLine(std::string_view line, std::vector<std::string_view>& out,
                     std::size_t maxPieces) {
    out.clear();
    if (maxPieces == 0)
        return;
    forEachRecordPiece(line, [&](std::string_view piece) {
        out.push_back(piece);
        return out.size() < maxPieces;
    });
}

std::vector<std::string_view> splitRecordLine(std::string_view line) {
    std::vector<std::string_view> out;
    splitRecordLine(line, out);
    return out;
}

std::size_t countRecordPieces(std::string_view line) {
    std::size_t n = 0;
    forEachRecordPiece(line, [&](std::string_view) {
        ++n;
        return true;
    });
    return n;
}

void RecordTable::create(std::string text) {
    fields_.clear();
    headerFields_ = 0;
    open_ = false;
    text_ = std::move(text);
    blockBase_ = {};
    delta_ = {};
    far_ = {};
    source = {};
}

RecordTable::Status RecordTable::appendField(std::string_view name) {
    if (open_)
        return {false, "Operation is not allowed when the object is open."};
    ++headerFields_;
    if (fields_.size() >= kMaxRecordFields)
        return {};
    if (name.size() > kMaxFieldNameBytes)
        fields_.push_back(std::string(recordTextPrefix(name, kMaxFieldNameBytes)) +
                          std::string(kElision));
    else
        fields_.emplace_back(name);
    return {};
}

RecordTable::Status RecordTable::open() {
    if (fields_.empty())
        return {false, "The table has no field."};
    open_ = true;
    return {};
}

void RecordTable::reserveRecords(std::size_t n) {
    delta_.reserve(n);
    blockBase_.reserve(n / kBlock + 1);
}

std::string_view RecordTable::lineAt(std::size_t begin) const {
    if (begin >= text_.size())
        return {};
    const char* p = text_.data() + begin;
    const std::size_t left = text_.size() - begin;
    const void* nl = std::memchr(p, '\n', left);
    std::size_t n = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - p) : left;
    if (n > 0 && p[n - 1] == '\r')
        --n;
    return {p, n};
}

RecordTable::Status RecordTable::addRecord(std::size_t begin) {
    if (!open_)
        return {false, "Operation is not allowed when the object is closed."};
    if (begin > text_.size() || text_.size() > std::numeric_limits<std::uint32_t>::max() ||
        delta_.size() >= std::numeric_limits<std::uint32_t>::max())
        return {false, "Not enough storage is available to complete this operation."};
    if (countRecordPieces(lineAt(begin)) > headerFields_)
        return {false,
                "Item cannot be found in the collection corresponding to the requested "
                "name or ordinal."};
    const std::size_t r = delta_.size();
    const auto at = static_cast<std::uint32_t>(begin);
    if (r % kBlock == 0) {
        blockBase_.push_back(at);
        delta_.push_back(0);
    } else if (at - blockBase_.back() < kFar) {
        delta_.push_back(static_cast<std::uint16_t>(at - blockBase_.back()));
    } else {
        delta_.push_back(kFar);
        far_.emplace_back(static_cast<std::uint32_t>(r), at);
    }
    return {};
}

std::size_t RecordTable::recordBegin(std::size_t r) const {
    const std::uint16_t d = delta_[r];
    if (d != kFar)
        return blockBase_[r / kBlock] + d;
    const auto it = std::lower_bound(far_.begin(), far_.end(), r,
                                     [](const auto& e, std::size_t rec) { return e.first < rec; });
    return it->second;
}

std::size_t RecordTable::dataRecordCount() const {
    const std::size_t n = recordCount();
    return n > 0 && recordBegin(n - 1) == text_.size() ? n - 1 : n;
}

std::string_view RecordTable::line(std::size_t record) const {
    if (record >= recordCount())
        return {};
    return lineAt(recordBegin(record));
}

void RecordTable::pieces(std::size_t record, std::vector<std::string_view>& out) const {
    splitRecordLine(line(record), out, fields_.size());
}

std::string_view RecordTable::value(std::size_t record, std::size_t column) const {
    if (column >= fields_.size() || record >= recordCount())
        return {};
    std::string_view found;
    std::size_t k = 0;
    forEachRecordPiece(line(record), [&](std::string_view piece) {
        if (k++ < column)
            return true;
        found = piece;
        return false;
    });
    return found;
}
