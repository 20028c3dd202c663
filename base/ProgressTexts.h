#pragma once
// Every template a progress line is made of (base/Progress.h). %1, %2, ... stand for the
// arguments given with the template; the window translates the template in the context
// "Progress" (lupdate reads KORV_TR_NOOP) and then fills it in, so each is one complete phrase
// of the operator's.

#include <array>

#include "base/Texts.h"

namespace progress_text {

// The enterprise search (full scan) and the ordinary search.
inline constexpr const char* kScanAddress = KORV_TR_NOOP("Progress", "Address %1 of %2, %3 online");
inline constexpr const char* kSearchAddress =
    KORV_TR_NOOP("Progress", "Searching address %1 of %2");
// One device of those a worker addresses in turn (calibration, output calibration).
inline constexpr const char* kDeviceStep = KORV_TR_NOOP("Progress", "Address %1, %2 of %3");
// Downloads and their read-back.
inline constexpr const char* kWriteAll =
    KORV_TR_NOOP("Progress", "Writing to every device (address 127)");
inline constexpr const char* kWriteDevice = KORV_TR_NOOP("Progress", "Writing to address %1");
inline constexpr const char* kStoreWait =
    KORV_TR_NOOP("Progress", "The devices store what was written");
inline constexpr const char* kPrepareWait =
    KORV_TR_NOOP("Progress", "The devices prepare for their coefficients");
inline constexpr const char* kReadBack =
    KORV_TR_NOOP("Progress", "Reading back address %1, %2 of %3");
// "Configuration".
inline constexpr const char* kWhoAnswers =
    KORV_TR_NOOP("Progress", "Address %1 of %2, %3 answering");
inline constexpr const char* kConfigure =
    KORV_TR_NOOP("Progress", "Writing address %1 and product code %2");
inline constexpr const char* kConfirm = KORV_TR_NOOP("Progress", "Reading address %1");
// Data collection.
inline constexpr const char* kSamplesTaken = KORV_TR_NOOP("Progress", "%1 of %2 samples taken");
inline constexpr const char* kWithoutAnswer = KORV_TR_NOOP("Progress", ", %1 without answer");
inline constexpr const char* kNotWritten = KORV_TR_NOOP("Progress", ", %1 not written");
inline constexpr const char* kLastValue = KORV_TR_NOOP("Progress", "\nLast value: %1 %2");
inline constexpr const char* kFirstSample = KORV_TR_NOOP("Progress", "\nFirst sample at %1");
inline constexpr const char* kNextSample = KORV_TR_NOOP("Progress", "\nNext sample at %1");
// Record files.
inline constexpr const char* kWritingRecords = KORV_TR_NOOP("Progress", "Writing the records");
inline constexpr const char* kReadingRecords = KORV_TR_NOOP("Progress", "Reading the records");
inline constexpr const char* kReadingFile = KORV_TR_NOOP("Progress", "Reading the file");
inline constexpr const char* kMegabytes = KORV_TR_NOOP("Progress", ": %1 of %2 MB");

inline constexpr std::array kAll = {
    kScanAddress,    kSearchAddress, kDeviceStep, kWriteAll,    kWriteDevice, kStoreWait,
    kPrepareWait,    kReadBack,      kWhoAnswers, kConfigure,   kConfirm,     kSamplesTaken,
    kWithoutAnswer,  kNotWritten,    kLastValue,  kFirstSample, kNextSample,  kWritingRecords,
    kReadingRecords, kReadingFile,   kMegabytes,
};

}  // namespace progress_text
