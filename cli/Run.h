#pragma once
// The run under way: its streams, its language, its messages and its one JSON document. One run
// at a time (runCli sets it up and takes it down); the commands reach it through run().

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/JsonWriter.h"
#include "link/OperatorMessages.h"

namespace cli {

enum class Language { English, Chinese };

struct Streams {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// `text` in the run's language: the core's texts through the window's translations.
std::string spoken(const Message& text, Language language);

// Every message of the run, in its language, on the error stream; with --quiet held back until
// the run has failed.
class Messages : public OperatorMessages {
public:
    Messages(std::FILE* err, Language language, bool quiet)
        : err_(err), language_(language), quiet_(quiet) {}
    void show(const Message& text, MessageIcon icon = MessageIcon::None) override;
    void showWithDetail(const Message& text, MessageIcon icon, const Message& detail) override;
    // A line said at once, even with --quiet (a usage error), and kept with the others.
    void sayNow(const std::string& line);
    // The end of the run: with --quiet, what a failed run said.
    void finish(bool failed);
    // Everything said so far, in the run's language, one line each.
    std::string said() const;

private:
    void write(const std::string& line);

    std::FILE* err_;
    Language language_;
    bool quiet_;
    std::vector<std::string> quietHeld_;
    std::vector<std::string> said_;
};

struct Run {
    Streams io;
    Language language = Language::English;
    bool json = false;
    std::string command;
    Messages* messages = nullptr;
    bool documentPrinted = false;
    // What a failed run knew before it failed (key, JSON text), for its document.
    std::vector<std::pair<std::string, std::string>> known;
};

// The run under way.
Run& run();
inline std::FILE* out() {
    return run().io.out;
}
inline std::FILE* in() {
    return run().io.in;
}
// A message of the command line itself (not of an operation of the core).
void tell(const Message& text);
// The run's JSON document on standard output; a run prints one at most.
void printJson(const JsonWriter& w);
// A fact a failed run's document carries ("devices": [3, 7]).
void know(std::string key, std::string jsonText);
// [3,7]
std::string jsonList(const std::vector<int>& values);
// The document of a run that failed before its command printed one: "ok": false, the error
// and what was known.
void printFailureDocument(int exitCode);

}  // namespace cli
