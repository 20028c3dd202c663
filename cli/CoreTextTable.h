#pragma once
// The core's texts with their English and Chinese translations, made at build time from the
// window's translation files (cli/tools/CoreTextTable.cpp), so both front ends say the same.

namespace cli {

struct CoreText {
    const char* source;
    const char* english;  // null: none (the source is shown)
    const char* chinese;
};
// Ends with an entry whose source is null.
extern const CoreText kCoreTexts[];

}  // namespace cli
