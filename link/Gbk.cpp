#include "link/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    std::vector<char> buffer(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer.data();
        std::size_t dstLeft = buffer.size();
        const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer.data(), buffer.size() - dstLeft);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    return convert("GBK", "UTF-8", utf8);
}
std::optional<std::string> gbkToUtf8(std::string_view gbk) {
    return convert("UTF-8", "GBK", gbk);
}

bool isUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                lo = 0xA0;  // overlong
            if (b == 0xED)
                hi = 0x9F;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                lo = 0x90;  // overlong
            if (b == 0xF4)
                hi = 0x8F;  // beyond U+10FFFF
        } else {
            return false;
        }
        if (s.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}
