#include "acquisition/RecordFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/NumberText.h"

std::string recordFileName(const std::tm& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d.rec", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buf;
}

std::string recordTimeText(const std::tm& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d %02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min);
    return buf;
}

std::string recordValueText(std::uint16_t raw, std::string_view pointPosition) {
    if (pointPosition == "0000")
        return num::formatInt(raw);
    if (pointPosition == "000.0")
        return num::formatFixed(raw * 0.1, 1);
    if (pointPosition == "00.00")
        return num::formatFixed(raw * 0.01, 2);
    if (pointPosition == "0.000")
        return num::formatFixed(raw * 0.001, 3);
    return {};
}

std::string recordSampleLine(const std::tm& local, std::string_view valueText) {
    std::string line = recordTimeText(local);
    line += '\t';
    line += valueText;
    line += "\t0\t0\t0\r\n";
    return line;
}

bool RecordWriter::append(std::string_view line) const {
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    return ok;
}
