#include "acquisition/RecordImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "acquisition/CurveModel.h"
#include "base/FileRead.h"
#include "base/NumberText.h"
#include "base/ProgressTexts.h"

namespace {

constexpr std::size_t kLinesPerReport = 1 << 16;

// The table's reason is the system's own text, shown as it stands.
Message tableError(const std::string& why) {
    return compose(texts::kImportError, {Message::verbatim(why)});
}

// Tab, CR and every byte from 0x20 up (GBK included) are text; the rest is not.
bool holdsControlCharacters(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t' && c != '\r') || c == 0x7F;
    });
}

}  // namespace

ImportOutcome importRecordBytes(std::string bytes, RecordTable& table, ImportState& state,
                                OperatorMessages& messages, const JobControl& control) {
    state.clear();
    table.create();
    if (bytes.size() == kRecordHeaderLength) {
        messages.show(kNotCollectedMessage);
        return ImportOutcome::NotCollected;
    }
    if (holdsControlCharacters(std::string_view(bytes).substr(0, bytes.find('\n')))) {
        messages.show(kNotCollectedMessage);
        return ImportOutcome::NotCollected;
    }

    table.create(std::move(bytes));
    const std::string& text = table.text();
    // Piece by piece: a header of a million fields keeps only the first kMaxRecordFields.
    forEachRecordPiece(table.lineAt(0), [&](std::string_view name) {
        const auto st = table.appendField(name);
        if (!st.ok)
            messages.show(tableError(st.text));
        return st.ok;
    });
    if (auto st = table.open(); !st.ok) {
        messages.show(tableError(st.text));
        return ImportOutcome::NoRecords;
    }

    // Data lines: every piece between line ends is a record, including the empty piece after a
    // final line end. A file without any line end has no records.
    const std::size_t nl = text.find('\n');
    if (nl != std::string::npos) {
        table.reserveRecords(
            static_cast<std::size_t>(
                std::count(text.begin() + static_cast<std::ptrdiff_t>(nl) + 1, text.end(), '\n')) +
            1);
        bool errorShown = false;
        std::int32_t firstMinute = kNoPoint;
        std::vector<std::string_view> pieces;
        std::size_t lines = 0;
        for (std::size_t pos = nl + 1;;) {
            if (++lines % kLinesPerReport == 0) {
                if (control.stopped()) {
                    state.clear();
                    table.create();
                    return ImportOutcome::Cancelled;
                }
                control.report(progress_text::kReadingRecords, pos, text.size());
            }
            const void* found = std::memchr(text.data() + pos, '\n', text.size() - pos);
            if (auto st = table.addRecord(pos); !st.ok) {
                if (!errorShown)
                    messages.show(tableError(st.text));
                errorShown = true;
            } else if (pos < text.size()) {
                splitRecordLine(table.lineAt(pos), pieces, 2);
                const float value = pieces.size() > 1 ? num::leadingFloat(pieces[1]) : 0.0f;
                if (state.DataRows++ == 0)
                    state.First = value;
                const std::int32_t m = pieces.empty() ? kNoPoint : timeTextMinutes(pieces[0]);
                if (m != kNoPoint) {
                    if (firstMinute == kNoPoint)
                        firstMinute = m;
                    state.Values.push_back(value);
                    state.Minutes.push_back(m - firstMinute);
                }
            }
            if (!found)
                break;
            pos = static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) + 1;
        }
    }

    if (state.DataRows == 0) {
        state.clear();
        messages.show(kNoRecordsMessage);
        return ImportOutcome::NoRecords;
    }
    state.RowCount = static_cast<int>(table.recordCount());
    state.ColumnCount = static_cast<int>(table.fieldCount());
    return ImportOutcome::Loaded;
}

ImportOutcome importRecordFile(const std::filesystem::path& path, RecordTable& table,
                               ImportState& state, OperatorMessages& messages,
                               const JobControl& control) {
    state.clear();
    table.create();
    // The size is for the progress bar only (a /proc file says 0); the reader decides.
    struct stat st {};
    const bool known = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const std::size_t total = known ? static_cast<std::size_t>(st.st_size) : 0;
    bool cancelled = false;
    FileRead r = readRegularFile(path, kMaxRecordFileBytes, [&](std::size_t done) {
        if (control.stopped()) {
            cancelled = true;
            return false;
        }
        control.report(progress_text::kReadingFile, done, std::max(done, total));
        return true;
    });
    if (cancelled)
        return ImportOutcome::Cancelled;
    if (!r.ok) {
        messages.showWithDetail(kFileOpenFailedMessage, MessageIcon::None, r.why);
        return ImportOutcome::CannotRead;
    }
    const ImportOutcome outcome =
        importRecordBytes(std::move(r.bytes), table, state, messages, control);
    table.source.fileName = path.filename().string();
    if (known)
        table.source.modified = st.st_mtim.tv_sec;
    return outcome;
}
