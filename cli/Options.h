#pragma once
// The command line's words: options before or after the command, "--name=value" as
// "--name value", each option at most once; anything else is a usage error naming the word.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

// A usage error: its text names the word that was wrong ("--points 4 is not accepted").
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionSpec {
    std::string_view name;  // "--points"
    int values;             // 0 for a flag
};

struct Arguments {
    std::string command;                   // empty: none was given
    std::vector<std::string> positionals;  // the command's own words, in order
    // Every option given, global or the command's, with its values, in the order given.
    std::vector<std::pair<std::string, std::vector<std::string>>> options;

    bool has(std::string_view name) const;
    // The value of a one-value option, or nullopt when it was not given.
    std::optional<std::string> value(std::string_view name) const;
    const std::vector<std::string>* values(std::string_view name) const;
};

// Splits `words` (the program's name left out). `global` options belong to every command;
// `commandOptions(command)` lists a command's own, and null for a word that is no command;
// `anyCommandOption` every command's (an option of one name takes as many values everywhere).
Arguments parseArguments(const std::vector<std::string>& words,
                         const std::vector<OptionSpec>& global,
                         const std::vector<OptionSpec>* (*commandOptions)(std::string_view),
                         const std::vector<OptionSpec>& anyCommandOption);

// "--points 4 is not accepted": the usage error for a value its option refuses.
[[noreturn]] void refuseValue(std::string_view option, std::string_view value);
// The positionals of a command, exactly `n` of them; `names` says what is missing ("ADDR").
void needPositionals(const Arguments& a, std::size_t n, const char* names);

}  // namespace cli
