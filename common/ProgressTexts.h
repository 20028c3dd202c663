#pragma once
// Every template a progress line is made of (common/Progress.h). %1, %2, ... stand for the
// arguments given with the template; the window translates the template in the context
// "Progress" and then fills it in, so each is one complete phrase of the operator's.

#include <array>

namespace progress_text {

// The enterprise search (full scan) and the ordinary search.
inline constexpr const char* kScanAddress = "Address %1 of %2, %3 online";
inline constexpr const char* kSearchAddress = "Searching address %1 of %2";
// One device of those a worker addresses in turn (calibration, output calibration).
inline constexpr const char* kDeviceStep = "Address %1, %2 of %3";
// Downloads and their read-back.
inline constexpr const char* kWriteAll = "Writing to every device (address 127)";
inline constexpr const char* kWriteDevice = "Writing to address %1";
inline constexpr const char* kStoreWait = "The devices store what was written";
inline constexpr const char* kReadBack = "Reading back address %1, %2 of %3";
// "Configuration".
inline constexpr const char* kWhoAnswers = "Address %1 of %2, %3 answering";
inline constexpr const char* kConfigure = "Writing address %1 and product code %2";
inline constexpr const char* kConfirm = "Reading address %1";
// Data collection.
inline constexpr const char* kSamplesTaken = "%1 of %2 samples taken";
inline constexpr const char* kWithoutAnswer = ", %1 without answer";
inline constexpr const char* kNotWritten = ", %1 not written";
inline constexpr const char* kLastValue = "\nLast value: %1 %2";
inline constexpr const char* kFirstSample = "\nFirst sample at %1";
inline constexpr const char* kNextSample = "\nNext sample at %1";
// Record files.
inline constexpr const char* kWritingRecords = "Writing the records";
inline constexpr const char* kReadingRecords = "Reading the records";
inline constexpr const char* kReadingFile = "Reading the file";
inline constexpr const char* kMegabytes = ": %1 of %2 MB";

inline constexpr std::array kAll = {
    kScanAddress,  kSearchAddress,  kDeviceStep,     kWriteAll,    kWriteDevice,
    kStoreWait,    kReadBack,       kWhoAnswers,     kConfigure,   kConfirm,
    kSamplesTaken, kWithoutAnswer,  kNotWritten,     kLastValue,   kFirstSample,
    kNextSample,   kWritingRecords, kReadingRecords, kReadingFile, kMegabytes,
};

}  // namespace progress_text
