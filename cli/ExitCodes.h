#pragma once
// The exit statuses every command of korvelantis-cli shares (its usage lists them).

namespace cli_exit {
inline constexpr int kOk = 0;
inline constexpr int kUsage = 2;        // nothing was done
inline constexpr int kFailed = 3;       // the devices did not answer or the operation failed
inline constexpr int kNoPort = 4;       // the port did not open
inline constexpr int kUnshownCode = 5;  // read: a code no list can show, marked "(code N)"
}  // namespace cli_exit
