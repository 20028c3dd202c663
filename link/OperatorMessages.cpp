#include "link/OperatorMessages.h"

void OperatorMessages::showWithDetail(const Message& text, MessageIcon icon,
                                      const Message& /*detail*/) {
    show(text, icon);
}
