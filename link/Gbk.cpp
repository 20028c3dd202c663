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
