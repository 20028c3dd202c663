#include "shell/SerialPortList.h"

#include "link/CSerialPort.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Splits "ttyUSB10" into its prefix and number so that 2 sorts before 10.
bool naturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
        long n = i < s.size() ? std::stol(s.substr(i, 9)) : -1;
        return std::make_pair(s.substr(0, i), n);
    };
    const auto pa = split(a), pb = split(b);
    return pa != pb ? pa < pb : a < b;
}

bool uartPresent(const fs::path& sysRoot, const std::string& name) {
    std::ifstream in(sysRoot / "class" / "tty" / name / "type");
    int type = -1;
    if (!(in >> type))
        return true;  // cannot tell: offer it rather than hide a real port
    return type != 0;
}

std::vector<std::string> matching(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string n = it->path().filename().string();
        if (prefix.empty() || (n.rfind(prefix, 0) == 0 && n.size() > prefix.size()))
            names.push_back(n);
    }
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

}  // namespace

std::vector<std::string> listSerialPorts(const fs::path& devRoot, const fs::path& sysRoot) {
    std::vector<std::string> out;
    for (const auto& n : matching(devRoot, "ttyS"))
        if (uartPresent(sysRoot, n))
            out.push_back((devRoot / n).string());
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (const auto& n : matching(devRoot, prefix)) out.push_back((devRoot / n).string());
    for (const auto& n : matching(devRoot / "serial" / "by-id", ""))
        out.push_back((devRoot / "serial" / "by-id" / n).string());
    return out;
}

std::vector<std::string> classicPortNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i) names.push_back("COM" + std::to_string(i));
    return names;
}

std::vector<std::string> portChoicesBeyond(const std::vector<std::string>& found) {
    std::set<std::string> named;
    for (const auto& n : classicPortNames()) named.insert(CSerialPort::resolvePortPath(n));
    std::vector<std::string> out;
    for (const auto& p : found)
        if (named.insert(CSerialPort::resolvePortPath(p)).second)
            out.push_back(p);
    return out;
}
