#include "state/AppContext.h"

#include "base/Paths.h"
#include "state/ReportStatus.h"

AppContext::AppContext(OperatorMessages& m, Timing timing, std::shared_ptr<Clock> c)
    : messages(m),
      bus(timing),
      clock(c ? std::move(c) : std::make_shared<SystemClock>()),
      dataDir(GetDataDir()),
      presetIniPath(defaultPresetIniPath()) {
    clearOnlineTable();
    bus.setStatusListener([this](const Status& s) { reportStatus(messages, s); });
}

Status AppContext::openPort(const SerialSettings& settings) {
    Status s = bus.Open(settings);
    reportStatus(messages, s);
    return s;
}

Status AppContext::closePort() {
    Status s = bus.Close();
    reportStatus(messages, s);
    return s;
}

BasicSettings AppContext::basicSettings() const {
    std::lock_guard lock(mutex_);
    return basic_;
}

void AppContext::setBasicSettings(const BasicSettings& s) {
    std::lock_guard lock(mutex_);
    basic_ = s;
}

std::string AppContext::outputTypeText() const {
    std::lock_guard lock(mutex_);
    return outputType_;
}

std::string AppContext::pointPositionText() const {
    std::lock_guard lock(mutex_);
    return pointPosition_;
}

void AppContext::setLiveSelections(const std::string& outputType,
                                   const std::string& pointPosition) {
    std::lock_guard lock(mutex_);
    outputType_ = outputType;
    pointPosition_ = pointPosition;
}

void AppContext::clearOnlineTable() {
    for (auto& e : OnlineTable) e = 0;
}

std::vector<int> AppContext::onlineAddresses() const {
    std::vector<int> out;
    for (int a = 1; a <= kAddressCount; ++a)
        if (OnlineTable[a - 1].load() == 1)
            out.push_back(a);
    return out;
}
