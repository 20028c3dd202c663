#include "base/JsonWriter.h"

#include <cmath>

#include "base/NumberText.h"

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned min = 0;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    unsigned cp = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

}  // namespace

std::string JsonWriter::quoted(std::string_view s) {
    static const char* const hex = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else if (u >= 0x80) {
            const std::size_t n = utf8Length(s, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
                continue;
            }
            out.append(s.substr(i, n));
            i += n;
            continue;
        } else {
            out += c;
        }
        ++i;
    }
    out += '"';
    return out;
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasElement_.empty()) {
        if (hasElement_.back())
            out_ += ',';
        hasElement_.back() = true;
    }
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    out_ += '{';
    hasElement_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    out_ += '}';
    hasElement_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    out_ += '[';
    hasElement_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    out_ += ']';
    hasElement_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view k) {
    beforeValue();
    out_ += quoted(k);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view s) {
    beforeValue();
    out_ += quoted(s);
    return *this;
}

JsonWriter& JsonWriter::value(long long v) {
    beforeValue();
    out_ += num::formatInt(v);
    return *this;
}

JsonWriter& JsonWriter::value(double v) {
    beforeValue();
    out_ += std::isfinite(v) ? num::formatShortest(v) : "null";
    return *this;
}

JsonWriter& JsonWriter::value(float v) {
    beforeValue();
    out_ += std::isfinite(v) ? num::formatShortest(v) : "null";
    return *this;
}

JsonWriter& JsonWriter::value(bool v) {
    beforeValue();
    out_ += v ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    out_ += "null";
    return *this;
}
