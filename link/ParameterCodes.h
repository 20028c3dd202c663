#pragma once
// The signal types and output types as values: their texts ("Pressure", "K1+1A") are those of
// the code tables in link/RegisterMap.h, and the enumerators are the registers' codes, so the
// texts are compared here only.

#include <optional>
#include <string_view>

#include "link/RegisterMap.h"

namespace reg {

enum class SignalKind { Pressure = 0, Temperature = 1, Level = 2 };
enum class OutputKind {
    K1 = 0,
    K1K2 = 1,
    K1Current = 2,
    K1Voltage = 3,
    K2Current = 4,
    K2Voltage = 5
};

namespace codes_detail {
template <typename E>
std::optional<E> fromText(std::span<const Code> table, std::string_view text) {
    const Code* c = findText(table, text);
    return c ? std::optional<E>(static_cast<E>(c->code)) : std::nullopt;
}
inline const char* toText(std::span<const Code> table, int code) {
    const Code* c = findCode(table, code);
    return c ? c->text : "";
}
}  // namespace codes_detail

// Exact texts (case included); nullopt for any other text.
inline std::optional<SignalKind> signalTypeOf(std::string_view text) {
    return codes_detail::fromText<SignalKind>(kSignalTypes, text);
}
inline std::optional<SignalKind> signalTypeOfCode(int code) {
    if (!findCode(kSignalTypes, code))
        return std::nullopt;
    return static_cast<SignalKind>(code);
}
inline const char* signalTypeText(SignalKind t) {
    return codes_detail::toText(kSignalTypes, static_cast<int>(t));
}
inline std::optional<OutputKind> outputTypeOf(std::string_view text) {
    return codes_detail::fromText<OutputKind>(kOutputTypes, text);
}
inline const char* outputTypeText(OutputKind t) {
    return codes_detail::toText(kOutputTypes, static_cast<int>(t));
}

// What an output type drives besides K1.
struct OutputParts {
    bool k2 = false;
    bool current = false;
    bool voltage = false;
};
constexpr OutputParts outputParts(OutputKind t) {
    switch (t) {
        case OutputKind::K1:
            return {};
        case OutputKind::K1K2:
            return {true, false, false};
        case OutputKind::K1Current:
            return {false, true, false};
        case OutputKind::K1Voltage:
            return {false, false, true};
        case OutputKind::K2Current:
            return {true, true, false};
        case OutputKind::K2Voltage:
            return {true, false, true};
    }
    return {};
}

}  // namespace reg
