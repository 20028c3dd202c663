#include "base/Texts.h"

namespace {

template <typename Args>
std::string fill(std::string_view tmpl, const Args& args) {
    std::string out;
    out.reserve(tmpl.size() + 16);
    for (std::size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '1' && tmpl[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(tmpl[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += tmpl[i];
    }
    return out;
}

}  // namespace

std::string fillText(std::string_view tmpl, std::initializer_list<std::string_view> args) {
    return fill(tmpl, args);
}

std::string fillText(std::string_view tmpl, const std::vector<std::string>& args) {
    return fill(tmpl, args);
}
