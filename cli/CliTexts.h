#pragma once
// The command line's own messages. Marked like the core's, so the window's translation files
// hold them too and `--lang zh` speaks them in Chinese; composed ones are translated as
// templates before they are filled in (say()).

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/Texts.h"

namespace cli::texts {

inline constexpr const char* kNoPort =
    KORV_TR_NOOP("Core", "no port: give --port PATH or set KORVELANTIS_PORT");
inline constexpr const char* kInputEnded = KORV_TR_NOOP("Core", "input ended");
inline constexpr const char* kHookFailed = KORV_TR_NOOP("Core", "The hook command failed: %1");
inline constexpr const char* kHookTimedOut =
    KORV_TR_NOOP("Core", "The hook command ran longer than %1 s and was ended: %2");
inline constexpr const char* kApplyPrompt = KORV_TR_NOOP("Core", "Apply %1 %2 and press Enter");
inline constexpr const char* kMeasuredPrompt = KORV_TR_NOOP("Core", "Measured %1 value (%2): ");
inline constexpr const char* kNotANumber = KORV_TR_NOOP("Core", "Not a number: %1");
inline constexpr const char* kHighNotAboveLow =
    KORV_TR_NOOP("Core", "The high value must be above the low value; nothing was written.");
inline constexpr const char* kNoCurrentOutput =
    KORV_TR_NOOP("Core", "Address %1 (%2) has no current output; nothing was written.");
inline constexpr const char* kNoVoltageOutput =
    KORV_TR_NOOP("Core", "Address %1 (%2) has no voltage output; nothing was written.");
inline constexpr const char* kOutputIsInput =
    KORV_TR_NOOP("Core", "%1 is the record file itself; nothing was written.");
inline constexpr const char* kOutputIsRecord =
    KORV_TR_NOOP("Core", "%1 is a record file (.rec); nothing was written.");

inline constexpr const char* kUnknownPointCode =
    KORV_TR_NOOP("Core", "Device %1 holds point position code %2: its values are left out.");
inline constexpr const char* kMqttNotStarted =
    KORV_TR_NOOP("Core", "The MQTT client did not start: %1");
inline constexpr const char* kMqttDropped =
    KORV_TR_NOOP("Core", "%1 values were dropped while the broker could not be reached.");
inline constexpr const char* kMqttUndelivered =
    KORV_TR_NOOP("Core", "%1 values did not reach the broker %2: %3");

}  // namespace cli::texts

namespace cli {

// `tmpl` in the run's language, filled in.
std::string spokenText(std::string_view tmpl, std::initializer_list<std::string_view> args);
// The same, said as a message.
void say(std::string_view tmpl, std::initializer_list<std::string_view> args);

}  // namespace cli
