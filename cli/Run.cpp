#include "cli/Run.h"
#include "cli/OutputCheck.h"

#include "base/NumberText.h"

namespace cli {

namespace {

Run& current() {
    static Run r;
    return r;
}

}  // namespace

Run& run() {
    return current();
}

void Messages::write(const std::string& line) {
    said_.push_back(line);
    if (quiet_) {
        quietHeld_.push_back(line);
        return;
    }
    std::fprintf(err_, "%s\n", line.c_str());
    std::fflush(err_);
}

void Messages::sayNow(const std::string& line) {
    said_.push_back(line);
    std::fprintf(err_, "%s\n", line.c_str());
    std::fflush(err_);
}

void Messages::show(const Message& text, MessageIcon) {
    write(spoken(text, language_));
}

void Messages::showWithDetail(const Message& text, MessageIcon icon, const Message& detail) {
    show(text, icon);
    if (!detail.empty())
        show(detail, icon);
}

void Messages::finish(bool failed) {
    if (failed)
        for (const std::string& l : quietHeld_) {
            std::fprintf(err_, "%s\n", l.c_str());
            std::fflush(err_);
        }
    quietHeld_.clear();
}

std::string Messages::said() const {
    std::string s;
    for (const std::string& l : said_) {
        if (!s.empty())
            s += '\n';
        s += l;
    }
    return s;
}

void tell(const Message& text) {
    if (run().messages) {
        run().messages->show(text);
        return;
    }
    std::fprintf(run().io.err, "%s\n", spoken(text, run().language).c_str());
    std::fflush(run().io.err);
}

void printJson(const JsonWriter& w) {
    if (run().documentPrinted)
        return;
    run().documentPrinted = true;
    std::fprintf(run().io.out, "%s\n", w.text().c_str());
    flushOutput();
}

void know(std::string key, std::string jsonText) {
    for (auto& [k, v] : run().known)
        if (k == key) {
            v = std::move(jsonText);
            return;
        }
    run().known.emplace_back(std::move(key), std::move(jsonText));
}

std::string jsonList(const std::vector<int>& values) {
    JsonWriter w;
    w.beginArray();
    for (int v : values) w.value(v);
    w.endArray();
    return w.text();
}

void printFailureDocument(int exitCode) {
    if (run().documentPrinted)
        return;
    std::string doc = "{\"command\":";
    doc += run().command.empty() ? std::string("null") : JsonWriter::quoted(run().command);
    for (const auto& [k, v] : run().known) doc += "," + JsonWriter::quoted(k) + ":" + v;
    const std::string error = run().messages ? run().messages->said() : std::string();
    doc += ",\"exit\":" + num::formatInt(exitCode) +
           ",\"error\":" + (error.empty() ? std::string("null") : JsonWriter::quoted(error)) +
           ",\"ok\":false}";
    run().documentPrinted = true;
    std::fprintf(run().io.out, "%s\n", doc.c_str());
    flushOutput();
}

}  // namespace cli
