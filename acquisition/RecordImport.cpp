#include "acquisition/RecordImport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/NumberText.h"

std::vector<std::string_view> splitRecordLine(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == '\t') ++i;
        if (i >= line.size())
            break;
        const std::size_t j = line.find('\t', i);
        const std::size_t end = j == std::string_view::npos ? line.size() : j;
        out.push_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

namespace {

std::string tableError(const std::string& why) {
    return "错误信息  " + why;
}

}  // namespace

ImportOutcome importRecordBytes(std::string_view bytes, RecordTable& table, ImportState& state,
                                OperatorMessages& messages) {
    state.clear();
    table.create();
    if (bytes.size() == kRecordHeaderLength) {
        messages.show(kNotCollectedMessage);
        return ImportOutcome::NotCollected;
    }

    // Header line.
    std::size_t nl = bytes.find('\n');
    std::string_view header = bytes.substr(0, nl);
    if (!header.empty() && header.back() == '\r')
        header.remove_suffix(1);
    for (auto name : splitRecordLine(header)) {
        if (auto st = table.appendField(name); !st.ok) {
            messages.show(tableError(st.text));
            break;
        }
    }
    if (auto st = table.open(); !st.ok) {
        messages.show(tableError(st.text));
        return ImportOutcome::NoRecords;
    }

    // Data lines: every piece between line ends is a record, including the empty piece after a
    // final line end. A file without any line end has no records.
    bool trailingEmptyRecord = false;
    if (nl != std::string_view::npos) {
        bool errorShown = false;
        std::vector<std::string_view> pieces;
        std::size_t pos = nl + 1;
        for (;;) {
            const std::size_t next = bytes.find('\n', pos);
            std::string_view line =
                bytes.substr(pos, next == std::string_view::npos ? bytes.size() - pos : next - pos);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            pieces = splitRecordLine(line);
            if (auto st = table.addRecord(pieces); !st.ok && !errorShown) {
                messages.show(tableError(st.text));
                errorShown = true;
            }
            if (next == std::string_view::npos) {
                trailingEmptyRecord = pos == bytes.size();
                break;
            }
            pos = next + 1;
        }
    }

    const std::size_t records = table.recordCount();
    const std::size_t columns = table.fieldCount();
    std::size_t dataRecords = records;
    if (trailingEmptyRecord && dataRecords > 0)
        --dataRecords;
    if (records == 0 || dataRecords == 0) {
        messages.show(kNoRecordsMessage);
        return ImportOutcome::NoRecords;
    }

    state.RowCount = static_cast<int>(records);
    state.ColumnCount = static_cast<int>(columns);
    state.ImportedValues.assign(records, std::vector<float>(columns, 0.0f));
    state.TimeLabels.reserve(dataRecords);
    for (std::size_t r = 0; r < dataRecords; ++r) {
        auto& row = state.ImportedValues[r];
        for (std::size_t k = 0; k < columns; ++k) {
            const std::string_view text = table.value(r, k);
            row[k] = num::leadingFloat(text);
            if (k == 0)
                state.TimeLabels.emplace_back(text);
        }
    }
    return ImportOutcome::Loaded;
}

ImportOutcome importRecordFile(const std::filesystem::path& path, RecordTable& table,
                               ImportState& state, OperatorMessages& messages) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        state.clear();
        table.create();
        messages.show(kFileOpenFailedMessage);
        return ImportOutcome::CannotRead;
    }
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;  // the file shrank meanwhile: take what is there
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok) {
        state.clear();
        table.create();
        messages.show(kFileOpenFailedMessage);
        return ImportOutcome::CannotRead;
    }
    bytes.resize(done);
    return importRecordBytes(bytes, table, state, messages);
}
