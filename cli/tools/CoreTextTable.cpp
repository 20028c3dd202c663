// Build step of korvelantis-cli: the core's texts (context "Core") of the window's translation
// files as a C++ table, so the command line speaks the very translations the window shows.
//   korv-core-text-table EN.ts ZH.ts OUT.cpp
// A message without a finished translation has none in the table (the source is shown).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "base/FileWrite.h"

namespace {

std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const auto end = s.find(';', i);
        if (end == std::string::npos) {
            out += s[i];
            continue;
        }
        const std::string e = s.substr(i + 1, end - i - 1);
        unsigned long cp = 0;
        if (e == "amp")
            out += '&';
        else if (e == "lt")
            out += '<';
        else if (e == "gt")
            out += '>';
        else if (e == "quot")
            out += '"';
        else if (e == "apos")
            out += '\'';
        else if (!e.empty() && e[0] == '#') {
            cp = e.size() > 1 && (e[1] == 'x' || e[1] == 'X') ? std::stoul(e.substr(2), nullptr, 16)
                                                              : std::stoul(e.substr(1));
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (cp >> 18));
                out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        } else {
            out += s.substr(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

// The text between <tag ...> and </tag> at or after `from`; `attrs` gets the opening tag's
// attributes. npos when there is none before `limit`.
std::size_t element(const std::string& doc, const std::string& tag, std::size_t from,
                    std::size_t limit, std::string& body, std::string& attrs) {
    std::size_t at = from;
    for (;;) {
        at = doc.find("<" + tag, at);
        if (at == std::string::npos || at >= limit)
            return std::string::npos;
        const char next = doc[at + tag.size() + 1];
        if (next == '>' || next == ' ' || next == '/')
            break;
        ++at;
    }
    const auto close = doc.find('>', at);
    attrs = doc.substr(at + tag.size() + 1, close - at - tag.size() - 1);
    if (doc[close - 1] == '/') {
        body.clear();
        return close + 1;
    }
    const auto end = doc.find("</" + tag + ">", close);
    body = doc.substr(close + 1, end - close - 1);
    return end + tag.size() + 3;
}

// Source text -> finished translation of context "Core".
std::map<std::string, std::string> coreTranslations(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string doc = ss.str();
    std::map<std::string, std::string> out;
    std::string body, attrs;
    for (std::size_t at = 0;;) {
        std::string context;
        const std::size_t next = element(doc, "context", at, doc.size(), context, attrs);
        if (next == std::string::npos)
            break;
        at = next;
        std::string name;
        element(context, "name", 0, context.size(), name, attrs);
        if (unescape(name) != "Core")
            continue;
        for (std::size_t m = 0;;) {
            std::string message;
            const std::size_t after =
                element(context, "message", m, context.size(), message, attrs);
            if (after == std::string::npos)
                break;
            m = after;
            std::string source, translation, tattrs;
            element(message, "source", 0, message.size(), source, attrs);
            if (element(message, "translation", 0, message.size(), translation, tattrs) ==
                std::string::npos)
                continue;
            if (tattrs.find("type=") != std::string::npos || translation.empty() ||
                translation.find("<numerusform") != std::string::npos)
                continue;
            out[unescape(source)] = unescape(translation);
        }
    }
    return out;
}

std::string literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F || c == '?') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: korv-core-text-table EN.ts ZH.ts OUT.cpp\n";
        return 2;
    }
    const auto en = coreTranslations(argv[1]);
    const auto zh = coreTranslations(argv[2]);
    std::map<std::string, std::pair<std::string, std::string>> all;
    for (const auto& [s, t] : en) all[s].first = t;
    for (const auto& [s, t] : zh) all[s].second = t;
    std::ostringstream out;
    out << "// Made by cli/tools/CoreTextTable.cpp from translations/*.ts; do not edit.\n"
           "#include \"cli/CoreTextTable.h\"\n\n"
           "namespace cli {\n\nconst CoreText kCoreTexts[] = {\n";
    for (const auto& [s, t] : all)
        out << "    {" << literal(s) << ", " << (t.first.empty() ? "nullptr" : literal(t.first))
            << ", " << (t.second.empty() ? "nullptr" : literal(t.second)) << "},\n";
    out << "    {nullptr, nullptr, nullptr}};\n\n}  // namespace cli\n";
    // A build stopped half-way must not leave half a table that still looks made.
    const FileWritten w = replaceFileAtomically(argv[3], out.str());
    if (!w.ok) {
        std::cerr << argv[3] << ": cannot be written (" << w.why << ")\n";
        return 1;
    }
    return 0;
}
