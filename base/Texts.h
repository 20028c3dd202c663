#pragma once
// Texts the window translates. The core keeps and uses them exactly as written (UTF-8); the
// window looks them up in its translation (context "Core") where they reach the screen.
// lupdate reads KORV_TR_NOOP as QT_TRANSLATE_NOOP (translations/CMakeLists.txt).
//
// A message composed with numbers or names is made from a template whose %1..%9 are filled in;
// it travels as the template and its arguments (base/Message.h), so whoever shows it translates
// the template and never reads an argument back as text. No Qt here.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#define KORV_TR_NOOP(context, text) text

namespace texts {

inline constexpr const char* kReadFailedCode =
    KORV_TR_NOOP("Core", "Error Code%1read serial operation failed!");
inline constexpr const char* kWriteFailedCode =
    KORV_TR_NOOP("Core", "Error Code%1,Write serial operation failed!");
inline constexpr const char* kPortOpened =
    KORV_TR_NOOP("Core", "System initialization, open the serial port %1 Success!");
inline constexpr const char* kPortClosedBecause =
    KORV_TR_NOOP("Core", "The serial port %1 is closed: %2");
inline constexpr const char* kThreadStartFailed = KORV_TR_NOOP("Core", "采集线程%1启动失败！");
inline constexpr const char* kWriteVerifyFailed =
    KORV_TR_NOOP("Core", "地址%1：K和B值下载校验失败！");
inline constexpr const char* kFlatReadings =
    KORV_TR_NOOP("Core", "以下地址的各点采集值全部相同，无法计算K和B值，未下载：%1");
inline constexpr const char* kMissingReadings =
    KORV_TR_NOOP("Core", "以下地址缺少标定点的采集值，未下载K和B值：%1");
inline constexpr const char* kPointsNotAcquired =
    KORV_TR_NOOP("Core", "标定点%1尚未采集，无法计算K和B值，未下载！");
inline constexpr const char* kDownloadCompleteMarked =
    KORV_TR_NOOP("Core", "K和B值下载完成！以下地址的拟合残差超过量程的0.5%，请检查：%1");
inline constexpr const char* kDeviceSilent =
    KORV_TR_NOOP("Core", "Device did not answer %1 times in a row, acquisition ended!");
inline constexpr const char* kSamplesWritten = KORV_TR_NOOP("Core", "%1 of %2 samples written");
inline constexpr const char* kRecordFileHeld =
    KORV_TR_NOOP("Core", "%1 is held by another acquisition: this one writes %2");
inline constexpr const char* kImportError = KORV_TR_NOOP("Core", "错误信息  %1");
inline constexpr const char* kValueOutOfRange =
    KORV_TR_NOOP("Core", "%1 enter a value from %2 to %3");
inline constexpr const char* kSeveralAnswerAsk = KORV_TR_NOOP(
    "Core", "More than one device answers: %1. Every one of them takes address %2. Send anyway?");
inline constexpr const char* kSeveralAnswerRefused =
    KORV_TR_NOOP("Core", "More than one device answers: %1. Nothing was sent.");
inline constexpr const char* kConfigConfirmed =
    KORV_TR_NOOP("Core", "Configuration confirmed: address %1, product code %2");
inline constexpr const char* kConfigWrittenNotRead = KORV_TR_NOOP(
    "Core", "Configuration sent, not confirmed: the devices now hold address %1, product code %2");
inline constexpr const char* kConfigNoAnswer =
    KORV_TR_NOOP("Core", "Configuration not confirmed: address %1 gives no answer!");
inline constexpr const char* kConfigHeldAddress =
    KORV_TR_NOOP("Core", "Configuration not confirmed: address %1 holds address %2!");
inline constexpr const char* kConfigHeldCode =
    KORV_TR_NOOP("Core", "Configuration not confirmed: address %1 holds product code %2, sent %3!");
inline constexpr const char* kLineNotParameter =
    KORV_TR_NOOP("Core", "Line %1 (%2) is not a parameter!");
inline constexpr const char* kLineRepeats = KORV_TR_NOOP("Core", "Line %1 (%2) repeats line %3!");
inline constexpr const char* kLineMissing = KORV_TR_NOOP("Core", "Line %1 (%2) is missing!");
inline constexpr const char* kDevicesVerified = KORV_TR_NOOP("Core", "%1 of %2 devices verified%3");
inline constexpr const char* kRegisterHolds = KORV_TR_NOOP("Core", "%1 holds %2, sent %3");
inline constexpr const char* kDeviceVerified = KORV_TR_NOOP("Core", "%1: verified");
inline constexpr const char* kDeviceNoAnswer = KORV_TR_NOOP("Core", "%1: no answer");
inline constexpr const char* kDeviceNotReadBack =
    KORV_TR_NOOP("Core", "%1: written, not read back");
inline constexpr const char* kDeviceNotReached = KORV_TR_NOOP("Core", "%1: not reached");
inline constexpr const char* kPortPermission = KORV_TR_NOOP(
    "Core",
    "Permission denied on %1: add your user to the dialout group (sudo usermod -aG dialout $USER) "
    "and log in again.");
inline constexpr const char* kPortMissing =
    KORV_TR_NOOP("Core", "No such device: %1. Is the adapter plugged in?");
inline constexpr const char* kPortBusy =
    KORV_TR_NOOP("Core", "%1 is busy: another program is using this port.");
inline constexpr const char* kPortNotSerial = KORV_TR_NOOP("Core", "%1 is not a serial port.");
inline constexpr const char* kDeviceRefused =
    KORV_TR_NOOP("Core", "Device %1 refused the request: exception %2, %3");
// The parts of a search's line-fault summary, joined by "; ".
inline constexpr const char* kCrcFailures =
    KORV_TR_NOOP("Core", "%1 answers failed their CRC check");
inline constexpr const char* kOneCrcFailure =
    KORV_TR_NOOP("Core", "%1 answer failed its CRC check");
inline constexpr const char* kCutAnswers = KORV_TR_NOOP("Core", "%1 answers came cut");
inline constexpr const char* kOneCutAnswer = KORV_TR_NOOP("Core", "%1 answer came cut");
inline constexpr const char* kDeviceRefusedShort = KORV_TR_NOOP("Core", "device %1 refused");
inline constexpr const char* kPortNoRs485 =
    KORV_TR_NOOP("Core", "%1 has no RS-485 mode (%2): use the adapter's own direction control.");
inline constexpr const char* kTcpBadName = KORV_TR_NOOP(
    "Core", "%1 is not a TCP port name: write tcp:HOST:PORT with a port from 1 to 65535.");
inline constexpr const char* kTcpUnknownHost = KORV_TR_NOOP("Core", "Unknown host %1: %2");
inline constexpr const char* kTcpNoConnection = KORV_TR_NOOP("Core", "No connection to %1: %2");
inline constexpr const char* kTcpTimeout =
    KORV_TR_NOOP("Core", "%1 did not accept the connection within %2 s.");
// Why a file was not read.
inline constexpr const char* kLargerThan = KORV_TR_NOOP("Core", "larger than %1 bytes");
inline constexpr const char* kReportSaved = KORV_TR_NOOP("Core", "标定报告已保存：%1");
inline constexpr const char* kReportFailed = KORV_TR_NOOP("Core", "标定报告保存失败：%1（%2）");
// A download cut short by a failed line: what each device holds, one line a kind under the first.
inline constexpr const char* kDownloadInterrupted = KORV_TR_NOOP("Core", "下载中断！");
inline constexpr const char* kWrittenConfirmed = KORV_TR_NOOP("Core", "已写入并确认：%1");
inline constexpr const char* kWrittenNotConfirmed = KORV_TR_NOOP("Core", "已写入，未确认：%1");
inline constexpr const char* kNotWrittenDevices = KORV_TR_NOOP("Core", "未写入：%1");
// A device's address before what is said of it ("12: K1 action holds 100, sent 125").
inline constexpr const char* kAddressed = KORV_TR_NOOP("Core", "%1: %2");

}  // namespace texts

// `tmpl` with %1..%9 replaced by args[0..8]; a % not followed by a used digit stays.
std::string fillText(std::string_view tmpl, std::initializer_list<std::string_view> args);
std::string fillText(std::string_view tmpl, const std::vector<std::string>& args);
