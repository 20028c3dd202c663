#include "config/ParameterFile.h"

#include <algorithm>

#include "base/FileRead.h"
#include "base/FileWrite.h"
#include "base/NumberText.h"
#include "base/Texts.h"
#include "link/Gbk.h"
#include "link/ParameterCodes.h"

namespace config {

namespace {

// The control of each file line, in file order.
constexpr const auto& kTargets = kParameterFileLines;

void applyValue(BasicConfigModel& m, const FileLine& t, const std::string& value) {
    if (t.isList)
        m.list(t.list).selectString(value);
    else
        m.edit(t.edit) = value;
}

std::string toGbkOrKeep(const std::string& utf8) {
    if (auto g = utf8ToGbk(utf8))
        return *g;
    return utf8;
}

std::string toUtf8OrKeep(const std::string& gbk) {
    if (auto u = gbkToUtf8(gbk))
        return *u;
    return gbk;
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string trimSpaces(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// Splits at 0A and removes every carriage return that ends a line.
std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        const std::size_t end = nl == std::string::npos ? bytes.size() : nl;
        std::string line = bytes.substr(pos, end - pos);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (nl == std::string::npos)
            break;
        pos = nl + 1;
    }
    return lines;
}

}  // namespace

std::array<std::string, kParameterLineCount> parameterFileValues(const BasicConfigModel& m) {
    std::array<std::string, kParameterLineCount> v;
    for (std::size_t i = 0; i < kParameterLineCount; ++i)
        v[i] = kTargets[i].isList ? m.list(kTargets[i].list).text() : m.edit(kTargets[i].edit);
    return v;
}

std::string encodeParameterFile(const std::array<std::string, kParameterLineCount>& values) {
    std::string out;
    for (std::size_t i = 0; i < kParameterLineCount; ++i) {
        out += kParameterFileKeys[i];
        out += '=';
        out += toGbkOrKeep(values[i]);
        out += "\r\r\n";
    }
    return out;
}

bool writeParameterFile(const std::filesystem::path& path, const BasicConfigModel& m,
                        std::string* error) {
    // Written beside the old file and renamed over it: a full disk leaves the old one whole.
    const FileWritten w = replaceFileAtomically(path, encodeParameterFile(parameterFileValues(m)));
    if (!w.ok && error)
        *error = path.string() + ": " + w.why;
    return w.ok;
}

namespace {

constexpr const char* kUtf8Bom = KORV_TR_NOOP("Core", "\xEF\xBB\xBF");

std::string withoutBom(const std::string& bytes) {
    return bytes.rfind(kUtf8Bom, 0) == 0 ? bytes.substr(3) : bytes;
}

std::optional<std::size_t> keyIndex(std::string_view key) {
    for (std::size_t i = 0; i < kParameterLineCount; ++i)
        if (key == kParameterFileKeys[i])
            return i;
    return std::nullopt;
}

ParameterFileRead refused(Message problem) {
    ParameterFileRead r;
    r.status = ParameterFileRead::Status::Refused;
    r.problem = std::move(problem);
    return r;
}

// The line's number and enough of a line that is no key at all to recognise it.
Message lineMessage(const char* tmpl, std::size_t line, const std::string& key,
                    const std::string& extra = {}) {
    constexpr std::size_t kShown = 40;
    const std::string shown = key.size() > kShown ? key.substr(0, kShown) + "..." : key;
    return compose(tmpl, {Message::verbatim(num::formatInt(static_cast<long long>(line))),
                          Message::verbatim(toUtf8OrKeep(shown)), Message::verbatim(extra)});
}

}  // namespace

ParameterFileRead decodeParameterFile(const std::string& bytes) {
    ParameterFileRead r;
    std::array<std::size_t, kParameterLineCount> lineOf{};  // 1-based; 0 = not seen
    const auto lines = splitLines(withoutBom(bytes));
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty())
            continue;
        const auto eq = line.find('=');
        const std::string key = trimSpaces(line.substr(0, eq));
        const auto k = keyIndex(key);
        if (!k)
            return refused(lineMessage(texts::kLineNotParameter, n + 1, key));
        if (lineOf[*k] != 0)
            return refused(lineMessage(texts::kLineRepeats, n + 1, key,
                                       num::formatInt(static_cast<long long>(lineOf[*k]))));
        lineOf[*k] = n + 1;
        r.values[*k] = eq == std::string::npos ? std::string() : toUtf8OrKeep(line.substr(eq + 1));
    }
    for (std::size_t k = 0; k < kParameterLineCount; ++k)
        if (lineOf[k] == 0)
            return refused(lineMessage(texts::kLineMissing, k + 1, kParameterFileKeys[k]));
    return r;
}

ParameterFileRead readParameterFile(const std::filesystem::path& path) {
    const FileRead f = readRegularFile(path, kTextFileLimit);
    if (!f.ok) {
        ParameterFileRead r;
        r.status = ParameterFileRead::Status::Unreadable;
        r.problem = f.why;
        return r;
    }
    return decodeParameterFile(f.bytes);
}

std::optional<std::size_t> firstUnknownChoice(
    const BasicConfigModel& m, const std::array<std::string, kParameterLineCount>& values) {
    for (std::size_t i = 0; i < kParameterLineCount; ++i) {
        if (!kTargets[i].isList)
            continue;
        ChoiceList probe = m.list(kTargets[i].list);
        if (!probe.selectExact(values[i]))
            return i;
    }
    return std::nullopt;
}

void refreshAfterImport(BasicConfigModel& m) {
    m.UpdateUnitLabels();
    m.ApplyOutputTypeRules();
}

void applyParameterFile(BasicConfigModel& m,
                        const std::array<std::string, kParameterLineCount>& values) {
    m.list(ListId::SignalType).selectString(values[0]);
    // Only an exact signal type other than level locks the density; any other text leaves it.
    const auto type = reg::signalTypeOf(values[0]);
    m.densityReadOnly = type && *type != reg::SignalKind::Level;
    for (std::size_t i = 1; i < kParameterLineCount; ++i) applyValue(m, kTargets[i], values[i]);
    refreshAfterImport(m);
}

IniFile::Load IniFile::load(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return {IniFile{}, {}};
    const FileRead f = readRegularFile(path, kTextFileLimit);
    if (!f.ok)
        return {std::nullopt, f.why};
    return {parse(f.bytes), {}};
}

IniFile IniFile::parse(const std::string& bytesIn) {
    IniFile ini;
    const std::string bytes = withoutBom(bytesIn);
    ini.utf8_ = bytes.size() != bytesIn.size() || isUtf8(bytes);
    bool inSection = false;
    std::vector<std::string> current;  // the readings of the current section's name
    for (const std::string& raw : splitLines(bytes)) {
        const std::string line = trimSpaces(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close == std::string::npos)
                continue;
            const std::string name = trimSpaces(line.substr(1, close - 1));
            current = {lowerAscii(ini.utf8_ ? name : toUtf8OrKeep(name))};
            // A GBK name may happen to be valid UTF-8 too; the file then says nothing of which.
            if (ini.utf8_)
                if (auto gbk = gbkToUtf8(name); gbk && *gbk != name)
                    current.push_back(lowerAscii(*gbk));
            for (const auto& n : current) ini.sections_[n];
            inSection = true;
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string::npos)
            continue;
        const std::string key = lowerAscii(trimSpaces(line.substr(0, eq)));
        std::string value = trimSpaces(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        for (const auto& n : current) {
            auto& keys = ini.sections_[n];
            if (!keys.count(key))
                keys[key] = value;
        }
    }
    return ini;
}

std::string IniFile::get(const std::string& section, const std::string& key,
                         const std::string& fallback) const {
    const auto s = sections_.find(lowerAscii(section));
    if (s == sections_.end())
        return fallback;
    const auto k = s->second.find(lowerAscii(key));
    if (k == s->second.end())
        return fallback;
    std::string raw = k->second;
    if (utf8_) {
        auto gbk = utf8ToGbk(raw);
        if (!gbk) {
            // Nothing in GBK to count: keep whole characters within 19 bytes.
            std::size_t end = std::min<std::size_t>(raw.size(), 19);
            while (end > 0 && end < raw.size() &&
                   (static_cast<unsigned char>(raw[end]) & 0xC0) == 0x80)
                --end;
            return raw.substr(0, end);
        }
        raw = *gbk;
    }
    // A profile buffer of 20 characters keeps 19; a double-byte character cut in half goes.
    if (raw.size() > 19)
        raw.resize(19);
    for (int tries = 0; tries < 2 && !raw.empty(); ++tries) {
        if (auto u = gbkToUtf8(raw))
            return *u;
        raw.pop_back();
    }
    return raw;
}

std::vector<UnshownCode> codesNoListShows(const reg::ParameterBlock& b) {
    const BasicConfigModel page;
    std::vector<UnshownCode> out;
    const auto lineOf = [](ListId id) {
        for (std::size_t i = 0; i < kParameterLineCount; ++i)
            if (kTargets[i].isList && kTargets[i].list == id)
                return i;
        return std::size_t{0};
    };
    const auto check = [&](ListId id, const std::optional<std::string>& text, int code) {
        ChoiceList probe = page.list(id);
        if (!text || !probe.selectExact(*text))
            out.push_back({lineOf(id), code});
    };
    for (const ParameterRow& row : kParameterTable)
        if (row.field == Field::Code)
            check(row.controls[0].list, reg::decodeCode(codesOf(row.codes), b.get(row.reg)),
                  b.get(row.reg));
    // Register 18 selects in the one analogue list the output type uses; a code of the other
    // list (or none) leaves that list as it was.
    const std::string type =
        reg::decodeCode(reg::kOutputTypes, b.get(reg::OutputType)).value_or("");
    const int range = b.get(reg::OutputRange);
    if (reg::hasCurrentOutput(type) && range != 0 && range != 1)
        out.push_back({lineOf(ListId::Current), range});
    if (reg::hasVoltageOutput(type) && range != 2 && range != 3)
        out.push_back({lineOf(ListId::Voltage), range});
    return out;
}

std::string unshownCodeMark(int code) {
    return "(code " + num::formatInt(code) + ")";
}

void applyPreset(BasicConfigModel& m, const IniFile& ini, Preset preset) {
    const bool level = preset == Preset::Level;
    const std::string section = level ? "液位" : "温度";
    m.densityReadOnly = !level;
    // The section's signalType is read but does not decide anything: the preset
    // itself names the type.
    (void)ini.get(section, "signalType", level ? "液位" : "温度");
    m.list(ListId::SignalType)
        .selectExact(
            reg::signalTypeText(level ? reg::SignalKind::Level : reg::SignalKind::Temperature));
    // The file's lines after the signal type, in file order; the density is left alone.
    for (const FileLine& line : kParameterFileLines)
        if (line.levelPreset)
            applyValue(
                m, line,
                ini.get(section, line.key, level ? line.levelPreset : line.temperaturePreset));
    refreshAfterImport(m);
}

}  // namespace config
