#pragma once
// What the line did wrong during a search, and how a refusing device is named.
//
// A device that answers with an exception (function | 0x80) is present and refuses: its code
// has a standard name, and every operation that meets one says so with refusalText().

#include <cstdint>
#include <string>
#include <vector>

#include "base/Message.h"
#include "link/Bus.h"

// "illegal data address" for 2; "unknown exception" for a code without a standard name.
const char* exceptionName(std::uint8_t code);
// "Device 7 refused the request: exception 2, illegal data address"
Message refusalText(int address, std::uint8_t code);

struct Refusal {
    int address = 0;
    std::uint8_t code = 0;
};

// Answers of a search that failed their CRC, came cut, or were refused.
struct LineFaults {
    int crcFailures = 0;
    int cut = 0;
    std::vector<Refusal> refusals;

    // Counts what one exchange with `address` brought; true when its answer failed its CRC or
    // came cut, so it is worth asking once more.
    bool note(int address, const ExchangeResult& r);
    bool empty() const { return crcFailures == 0 && cut == 0 && refusals.empty(); }
    // "2 answers failed their CRC check; 1 answer came cut; device 7 refused"; empty when there
    // was nothing.
    Message summary() const;
};
