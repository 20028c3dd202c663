#include "cli/CurvePng.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace cli {

namespace {

std::uint32_t crc32(const std::string& data, std::size_t from) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = from; i < data.size(); ++i)
        c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void chunk(std::string& png, const char* type, const std::string& data) {
    put32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png += type;
    png += data;
    put32(png, crc32(png, start));
}

// zlib with stored blocks: no compression library needed, any viewer reads it.
std::string zlibStored(const std::string& raw) {
    std::string z = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
        if (last)
            break;
    }
    put32(z, (b << 16) | a);
    return z;
}

struct Canvas {
    int w, h;
    std::vector<std::array<std::uint8_t, 3>> px;
    Canvas(int width, int height)
        : w(width), h(height), px(static_cast<std::size_t>(width * height), {255, 255, 255}) {}
    void set(int x, int y, std::array<std::uint8_t, 3> c) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[static_cast<std::size_t>(y * w + x)] = c;
    }
    void line(int x0, int y0, int x1, int y1, std::array<std::uint8_t, 3> c) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        for (int err = dx + dy;;) {
            set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                return;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }
};

}  // namespace

std::string curvePng(const ImportState& state, int width, int height) {
    Canvas c(width, height);
    const int left = 40, right = width - 20, top = 20, bottom = height - 40;
    const std::array<std::uint8_t, 3> frame{128, 128, 128}, curve{0, 0, 255};
    c.line(left, top, right, top, frame);
    c.line(right, top, right, bottom, frame);
    c.line(right, bottom, left, bottom, frame);
    c.line(left, bottom, left, top, frame);
    const std::size_t n = std::min(state.Values.size(), state.Minutes.size());
    if (n > 0) {
        const auto [vmin, vmax] =
            std::minmax_element(state.Values.begin(), state.Values.begin() + n);
        const auto [mmin, mmax] =
            std::minmax_element(state.Minutes.begin(), state.Minutes.begin() + n);
        double v0 = *vmin, v1 = *vmax, m0 = *mmin, m1 = *mmax;
        if (!(v1 > v0)) {
            v0 -= 1;
            v1 += 1;
        }
        if (!(m1 > m0))
            m1 = m0 + 1;
        auto x = [&](std::size_t i) {
            return left + static_cast<int>(
                              std::lround((state.Minutes[i] - m0) / (m1 - m0) * (right - left)));
        };
        auto y = [&](std::size_t i) {
            const double v = std::isfinite(state.Values[i]) ? state.Values[i] : v0;
            return bottom - static_cast<int>(std::lround((v - v0) / (v1 - v0) * (bottom - top)));
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (i == 0)
                c.set(x(0), y(0), curve);
            else
                c.line(x(i - 1), y(i - 1), x(i), y(i), curve);
        }
    }
    std::string raw;
    raw.reserve(static_cast<std::size_t>((width * 3 + 1) * height));
    for (int row = 0; row < height; ++row) {
        raw += '\0';  // no filter
        for (int col = 0; col < width; ++col)
            for (std::uint8_t b : c.px[static_cast<std::size_t>(row * width + col)])
                raw += static_cast<char>(b);
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    put32(ihdr, static_cast<std::uint32_t>(width));
    put32(ihdr, static_cast<std::uint32_t>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", zlibStored(raw));
    chunk(png, "IEND", "");
    return png;
}

std::optional<std::string> writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return std::string(std::strerror(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string why = std::strerror(n < 0 ? errno : EIO);
            ::close(fd);
            ::unlink(tmp.c_str());
            return why;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        ::unlink(tmp.c_str());
        return why;
    }
    if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(tmp.c_str());
        return why;
    }
    return std::nullopt;
}

}  // namespace cli
