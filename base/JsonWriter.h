#pragma once
// One JSON document built in order, for the command line's --json. Strings are escaped as
// RFC 8259 asks (quote, backslash, control characters); bytes that are not valid UTF-8 become
// U+FFFD, so the output always parses. Numbers go through common/NumberText, never the locale;
// a number that is not finite is written as null.
//
// Use: w.beginObject().key("address").value(7).key("verified").value(true).endObject();
// Commas are placed by the writer; a key is only valid inside an object, before its value.

#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(const std::string& s) { return value(std::string_view(s)); }
    JsonWriter& value(long long v);
    JsonWriter& value(int v) { return value(static_cast<long long>(v)); }
    JsonWriter& value(double v);
    // A 32-bit value as its shortest text (4.1, not 4.099999904632568).
    JsonWriter& value(float v);
    JsonWriter& value(bool v);
    JsonWriter& null();

    // The document so far.
    const std::string& text() const { return out_; }

    // `s` as a JSON string, quotes included.
    static std::string quoted(std::string_view s);

private:
    void beforeValue();

    std::string out_;
    // Per open container: whether it already holds an element.
    std::vector<bool> hasElement_;
    bool afterKey_ = false;
};
