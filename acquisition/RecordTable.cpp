#include "acquisition/RecordTable.h"

#include <limits>

void RecordTable::create() {
    fields_.clear();
    open_ = false;
    text_.clear();
    text_.shrink_to_fit();
    ends_.clear();
    ends_.shrink_to_fit();
}

RecordTable::Status RecordTable::appendField(std::string_view name) {
    if (open_)
        return {false, "Operation is not allowed when the object is open."};
    fields_.emplace_back(name);
    return {};
}

RecordTable::Status RecordTable::open() {
    if (fields_.empty())
        return {false, "The table has no field."};
    open_ = true;
    return {};
}

RecordTable::Status RecordTable::addRecord(const std::vector<std::string_view>& pieces) {
    if (!open_)
        return {false, "Operation is not allowed when the object is closed."};
    if (pieces.size() > fields_.size())
        return {false,
                "Item cannot be found in the collection corresponding to the requested "
                "name or ordinal."};
    std::size_t bytes = 0;
    for (auto p : pieces) bytes += p.size();
    if (text_.size() + bytes > std::numeric_limits<std::uint32_t>::max())
        return {false, "Not enough storage is available to complete this operation."};
    for (std::size_t k = 0; k < fields_.size(); ++k) {
        if (k < pieces.size())
            text_.append(pieces[k]);
        ends_.push_back(static_cast<std::uint32_t>(text_.size()));
    }
    return {};
}

std::string_view RecordTable::value(std::size_t record, std::size_t column) const {
    const std::size_t n = fields_.size();
    if (column >= n || record >= recordCount())
        return {};
    const std::size_t i = record * n + column;
    const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
}
