#pragma once
// Reading a whole file the operator chose, safely: a FIFO, a directory or a device never blocks
// or floods the program, and a file that reports size 0 (/proc) is still read to its end.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

struct FileRead {
    bool ok = false;
    std::string bytes;  // what the file holds (ok)
    std::string why;    // why it could not be read (not ok), e.g. "not a regular file"
};

// Opens without blocking, refuses what is not a regular file and anything longer than
// `maxBytes`, then reads to the end of the file. `keepGoing(bytesSoFar)`, when given, is asked
// after every chunk; false stops the read (why = "cancelled").
FileRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                         const std::function<bool(std::size_t)>& keepGoing = {});
