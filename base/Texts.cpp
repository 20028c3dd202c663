#include "base/Texts.h"

namespace texts {

const std::vector<const char*>& composedTexts() {
    static const std::vector<const char*> all{
        kReadFailedCode,
        kWriteFailedCode,
        kPortOpened,
        kPortClosedBecause,
        kThreadStartFailed,
        kWriteVerifyFailed,
        kFlatReadings,
        kMissingReadings,
        kPointsNotAcquired,
        kDownloadCompleteMarked,
        kDeviceSilent,
        kSamplesWritten,
        kRecordFileHeld,
        kImportError,
        kValueOutOfRange,
        kSeveralAnswerAsk,
        kSeveralAnswerRefused,
        kConfigConfirmed,
        kConfigWrittenNotRead,
        kConfigNoAnswer,
        kConfigHeldAddress,
        kConfigHeldCode,
        kLineNotParameter,
        kLineRepeats,
        kLineMissing,
        kDevicesVerified,
        kRegisterHolds,
        kDeviceVerified,
        kDeviceNoAnswer,
        kDeviceNotReadBack,
        kDeviceNotReached,
        kPortPermission,
        kPortMissing,
        kPortBusy,
        kPortNotSerial,
        kPortNoRs485,
        kDeviceRefused,
        kCrcFailures,
        kOneCrcFailure,
        kCutAnswers,
        kOneCutAnswer,
        kDeviceRefusedShort,
        kTcpBadName,
        kTcpUnknownHost,
        kTcpNoConnection,
        kTcpTimeout,
        kReportSaved,
        kReportFailed,
        kWrittenConfirmed,
        kWrittenNotConfirmed,
        kNotWrittenDevices,
        kLargerThan,
        kAddressed,
    };
    return all;
}

}  // namespace texts

namespace {

template <typename Args>
std::string fill(std::string_view tmpl, const Args& args) {
    std::string out;
    out.reserve(tmpl.size() + 16);
    for (std::size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '1' && tmpl[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(tmpl[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += tmpl[i];
    }
    return out;
}

}  // namespace

std::string fillText(std::string_view tmpl, std::initializer_list<std::string_view> args) {
    return fill(tmpl, args);
}

std::string fillText(std::string_view tmpl, const std::vector<std::string>& args) {
    return fill(tmpl, args);
}
