#pragma once
// Numbers to text and back, the same on every desktop.
//
// Qt sets the C library's locale from the desktop, so printf("%.1f") writes "124,1" and strtod
// stops at "0.2" under a German one. Every number the program shows, writes to a file or reads
// from an edit, a file or a command line goes through these functions instead: they are built on
// std::to_chars/std::from_chars, which never look at the locale, and give exactly what the C
// runtime gives in the "C" locale. Only plain decimal text is read: no "inf", "nan" or
// hexadecimal forms.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace num {

// "%d".
std::string formatInt(long long v);
// "%.*f" ("%0.3f" is the same as "%.3f").
std::string formatFixed(double v, int decimals);
// "%e": one digit, six decimals, exponent of at least two digits ("1.000000e+00").
std::string formatExponent(double v);
// "%.*g" (precision 6 is the edits' "general number format with 6 significant digits").
std::string formatGeneral(double v, int precision = 6);
// The shortest text that reads back as exactly `v` ("0.1", "1e+20", "-2.5").
std::string formatShortest(double v);
// ... and as a 32-bit value (4.1f gives "4.1", not its double's 4.099999904632568).
std::string formatShortest(float v);

// The whole text as a number (blanks around it and a leading '+' allowed). A number beyond a
// float, or a text that is not entirely a number, gives nullopt.
std::optional<float> parseFloat(std::string_view text);
std::optional<double> parseDouble(std::string_view text);
// The whole text as a decimal integer within [min, max] (blanks around it and '+' allowed).
std::optional<long long> parseInteger(std::string_view text, long long min, long long max);
std::optional<std::int32_t> parseInt32(std::string_view text);

// The C runtime's reading of leading decimal text (atof, strtof): optional blanks and sign,
// digits, a fraction, an exponent; the rest of the text is ignored; no number gives 0. Magnitudes
// beyond a float saturate at the largest float, tiny ones read as 0.
float leadingFloat(std::string_view text);
// atoi's reading: optional blanks and sign, then decimal digits (none gives 0); the rest is
// ignored. Saturates at INT_MAX in magnitude. An empty text gives nullopt.
std::optional<long long> leadingInteger(std::string_view text);

}  // namespace num
