#pragma once
// Tells the operator what a status of the port or the bus has to say, as the port always said
// it: a line that clears the status bar comes before the message (the old reason is gone when
// the port opens or closes), a line with a reason after it. A silent status shows nothing.

#include "link/OperatorMessages.h"
#include "link/Status.h"

void reportStatus(OperatorMessages& messages, const Status& status);
