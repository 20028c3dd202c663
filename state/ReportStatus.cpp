#include "state/ReportStatus.h"

void reportStatus(OperatorMessages& messages, const Status& status) {
    const auto& line = status.statusLine();
    const bool clearsFirst = line && line->empty();
    if (clearsFirst)
        messages.status({});
    if (!status.message().empty()) {
        if (status.detail().empty())
            messages.show(status.message(), status.icon());
        else
            messages.showWithDetail(status.message(), status.icon(), status.detail());
    }
    if (line && !clearsFirst)
        messages.status(*line);
}
