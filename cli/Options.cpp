#include "cli/Options.h"

namespace cli {

namespace {

bool isOptionWord(const std::string& w) {
    return w.rfind("--", 0) == 0 || w == "-h";
}

const OptionSpec* find(const std::vector<OptionSpec>* specs, std::string_view name) {
    if (specs)
        for (const OptionSpec& s : *specs)
            if (s.name == name)
                return &s;
    return nullptr;
}

}  // namespace

bool Arguments::has(std::string_view name) const {
    return values(name) != nullptr;
}

std::optional<std::string> Arguments::value(std::string_view name) const {
    const auto* v = values(name);
    if (!v || v->empty())
        return std::nullopt;
    return v->front();
}

const std::vector<std::string>* Arguments::values(std::string_view name) const {
    for (const auto& [n, v] : options)
        if (n == name)
            return &v;
    return nullptr;
}

void refuseValue(std::string_view option, std::string_view value) {
    throw UsageError(std::string(option) + " " + std::string(value) + " is not accepted");
}

void needPositionals(const Arguments& a, std::size_t n, const char* names) {
    if (a.positionals.size() > n)
        throw UsageError(a.positionals[n] + " is not accepted");
    if (a.positionals.size() < n)
        throw UsageError(a.command + ": " + names + " is missing");
}

Arguments parseArguments(const std::vector<std::string>& words,
                         const std::vector<OptionSpec>& global,
                         const std::vector<OptionSpec>* (*commandOptions)(std::string_view),
                         const std::vector<OptionSpec>& anyCommandOption) {
    // The command is the first word that is neither an option nor an option's value; options of
    // the command may come before it, so the shape of every command's options finds it first.
    Arguments a;
    const std::vector<OptionSpec>* own = nullptr;
    for (std::size_t i = 0; i < words.size() && !own; ++i) {
        const std::string& w = words[i];
        if (!isOptionWord(w)) {
            own = commandOptions(w);
            if (!own)
                throw UsageError(w + " is not a command");
            a.command = w;
            break;
        }
        const std::string name = w.substr(0, w.find('='));
        const OptionSpec* spec = find(&global, name);
        if (!spec)
            spec = find(&anyCommandOption, name);
        if (spec && w.find('=') == std::string::npos)
            i += static_cast<std::size_t>(spec->values);
    }
    bool commandSeen = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (!isOptionWord(w)) {
            if (commandSeen)
                a.positionals.push_back(w);
            commandSeen = true;
            continue;
        }
        const auto eq = w.find('=');
        const std::string name = w.substr(0, eq);
        const OptionSpec* spec = find(&global, name);
        if (!spec)
            spec = find(own, name);
        if (!spec)
            throw UsageError(w + " is not accepted");
        std::vector<std::string> values;
        if (eq != std::string::npos) {
            if (spec->values == 0)
                throw UsageError(w + " is not accepted");
            values.push_back(w.substr(eq + 1));
        }
        while (static_cast<int>(values.size()) < spec->values) {
            if (++i >= words.size())
                throw UsageError(name + " needs a value");
            values.push_back(words[i]);
        }
        for (const auto& [n, v] : a.options)
            if (n == name)
                throw UsageError(name + " given twice");
        a.options.emplace_back(name, std::move(values));
    }
    return a;
}

}  // namespace cli
