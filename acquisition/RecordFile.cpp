#include "acquisition/RecordFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/NumberText.h"
#include "base/Texts.h"
#include "link/Gbk.h"
#include "link/RegisterMap.h"

std::string recordFileName(const std::tm& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d.rec", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

namespace {

bool digitsAt(std::string_view s, std::size_t at, std::size_t n, int& out) {
    out = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

}  // namespace

std::optional<std::tm> recordStartOfName(std::string_view name) {
    if (name.size() < 18 || name.substr(name.size() - 4) != ".rec")
        return std::nullopt;
    // A second acquisition of the same second: "-2" and on before ".rec".
    if (name.size() > 18) {
        int n = 0;
        if (name[14] != '-' || name.size() > 22 || !digitsAt(name, 15, name.size() - 19, n) ||
            n < 2)
            return std::nullopt;
    }
    int y, mo, d, h, mi, se;
    if (!digitsAt(name, 0, 4, y) || !digitsAt(name, 4, 2, mo) || !digitsAt(name, 6, 2, d) ||
        !digitsAt(name, 8, 2, h) || !digitsAt(name, 10, 2, mi) || !digitsAt(name, 12, 2, se))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 60)
        return std::nullopt;
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = se;
    return t;
}

std::optional<RecordTime> parseRecordTime(std::string_view t) {
    if (t.size() != 11 || t[2] != '-' || t[5] != ' ' || t[8] != ':')
        return std::nullopt;
    RecordTime r{};
    if (!digitsAt(t, 0, 2, r.month) || !digitsAt(t, 3, 2, r.day) || !digitsAt(t, 6, 2, r.hour) ||
        !digitsAt(t, 9, 2, r.minute))
        return std::nullopt;
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31 || r.hour > 23 || r.minute > 59)
        return std::nullopt;
    return r;
}

std::string recordTimeText(const std::tm& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d %02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min);
    return buf;
}

std::string recordValueText(std::uint16_t raw, std::string_view pointPosition) {
    return reg::measuredValueText(raw, pointPosition);
}

std::string recordSampleLine(const std::tm& local, std::string_view valueText) {
    std::string line = recordTimeText(local);
    line += '\t';
    line += valueText;
    line += "\t0\t0\t0\r\n";
    return line;
}

std::string_view recordTextPrefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t i = 0;
    while (i < text.size()) {
        // A GBK lead byte (0x81..0xFE) starts a two-byte character.
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t step = c >= 0x81 && c <= 0xFE && i + 1 < text.size() ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return text.substr(0, i);
}

std::string recordTextUtf8(std::string_view text) {
    bool ascii = true;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return std::string(text);
    if (auto u = gbkToUtf8(text))
        return std::move(*u);
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void JobControl::report(const char* what, std::size_t done, std::size_t total) const {
    if (!progress)
        return;
    const auto mb = [](std::size_t bytes) {
        return num::formatFixed(static_cast<double>(bytes) / (1 << 20), 1);
    };
    std::vector<ProgressPart> parts{ProgressPart(what)};
    if (total > 0)
        parts.emplace_back(progress_text::kMegabytes,
                           std::vector<std::string>{mb(done), mb(total)});
    // The bar counts kilobytes, so any size fits its int.
    progress->setParts(std::move(parts), static_cast<int>(std::min(done, total) >> 10),
                       static_cast<int>(total >> 10));
}

std::unique_ptr<RecordWriter> openRecordFile(const std::filesystem::path& dir,
                                             const std::tm& localStart, int& error) {
    const std::string name = recordFileName(localStart);
    const std::string stem = name.substr(0, name.size() - 4);
    for (int i = 1; i <= 999; ++i) {
        auto w = std::make_unique<RecordWriter>(
            dir / (i == 1 ? name : stem + "-" + num::formatInt(i) + ".rec"));
        error = w->openLocked();
        if (error == 0)
            return w;
        if (error != EWOULDBLOCK)
            return nullptr;
    }
    return nullptr;
}
