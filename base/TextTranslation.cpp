#include "base/TextTranslation.h"

#include <optional>
#include <vector>

#include "base/Texts.h"

namespace {

struct Template {
    std::string source;
    std::vector<std::string> fixed;  // the texts around the placeholders, one more than them
    std::vector<int> order;          // the placeholder number of each gap
    int arguments = 0;
    std::size_t fixedLength = 0;  // characters besides the placeholders
};

std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

const std::vector<Template>& templates() {
    static const std::vector<Template> all = [] {
        std::vector<Template> out;
        for (const char* t : texts::composedTexts()) {
            Template tp;
            tp.source = t;
            std::string part;
            for (std::size_t i = 0; i < tp.source.size(); ++i) {
                const char c = tp.source[i];
                if (c == '%' && i + 1 < tp.source.size() && tp.source[i + 1] >= '1' &&
                    tp.source[i + 1] <= '9') {
                    tp.fixed.push_back(part);
                    part.clear();
                    tp.order.push_back(tp.source[i + 1] - '0');
                    tp.arguments = std::max(tp.arguments, tp.order.back());
                    ++i;
                } else {
                    part += c;
                }
            }
            tp.fixed.push_back(part);
            for (const std::string& f : tp.fixed) tp.fixedLength += characters(f);
            out.push_back(std::move(tp));
        }
        return out;
    }();
    return all;
}

// Each gap as short as the rest allows, as a lazy pattern anchored at both ends would take it.
bool matchFrom(const Template& t, std::string_view text, std::size_t gap, std::size_t at,
               std::vector<std::string>& captured) {
    // The text after the last gap has been taken with it: the match must end there.
    if (gap == t.order.size())
        return at == text.size();
    const std::string& next = t.fixed[gap + 1];
    for (std::size_t len = 1; at + len <= text.size(); ++len) {
        if (text.compare(at + len, next.size(), next) != 0)
            continue;
        captured.emplace_back(text.substr(at, len));
        if (matchFrom(t, text, gap + 1, at + len + next.size(), captured))
            return true;
        captured.pop_back();
    }
    return false;
}

std::optional<std::vector<std::string>> match(const Template& t, std::string_view text) {
    if (text.compare(0, t.fixed[0].size(), t.fixed[0]) != 0)
        return std::nullopt;
    std::vector<std::string> captured;
    if (t.order.empty())
        return text == t.fixed[0] ? std::optional(captured) : std::nullopt;
    if (!matchFrom(t, text, 0, t.fixed[0].size(), captured))
        return std::nullopt;
    return captured;
}

std::vector<std::string> split(std::string_view text, std::string_view by) {
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const auto next = text.find(by, at);
        parts.emplace_back(text.substr(at, next - at));
        if (next == std::string_view::npos)
            return parts;
        at = next + by.size();
    }
}

std::string join(const std::vector<std::string>& parts, std::string_view by) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            s += by;
        s += parts[i];
    }
    return s;
}

std::string translated(std::string_view text, int depth,
                       const std::function<std::string(std::string_view)>& exact);

std::string argument(std::string_view text, int depth,
                     const std::function<std::string(std::string_view)>& exact) {
    if (text.find("; ") != std::string_view::npos) {
        auto parts = split(text, "; ");
        for (std::string& p : parts) p = translated(p, depth + 1, exact);
        return join(parts, "; ");
    }
    return translated(text, depth + 1, exact);
}

std::string translated(std::string_view text, int depth,
                       const std::function<std::string(std::string_view)>& exact) {
    if (text.empty())
        return {};
    std::string direct = exact(text);
    if (direct != text || depth > 4)
        return direct;
    if (text.find('\n') != std::string_view::npos) {
        auto lines = split(text, "\n");
        for (std::string& l : lines) l = translated(l, depth + 1, exact);
        return join(lines, "\n");
    }
    // Of the templates that fit, the one with the most fixed text: "%1: %2" fits
    // "Reading the records: 1.0 of 2.0 MB" too, but "%1: %2 of %3 MB" says more.
    const Template* best = nullptr;
    std::vector<std::string> bestArgs;
    for (const Template& t : templates()) {
        if (best && t.fixedLength <= best->fixedLength)
            continue;
        if (auto m = match(t, text)) {
            best = &t;
            bestArgs = std::move(*m);
        }
    }
    if (!best)
        return direct;
    std::vector<std::string> args(static_cast<std::size_t>(best->arguments));
    for (std::size_t g = 0; g < best->order.size(); ++g)
        args[static_cast<std::size_t>(best->order[g] - 1)] = argument(bestArgs[g], depth, exact);
    return fillText(exact(best->source), args);
}

}  // namespace

std::string translateCoreText(std::string_view text,
                              const std::function<std::string(std::string_view)>& exact) {
    return translated(text, 0, exact);
}
