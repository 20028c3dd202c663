#include "link/OperatorMessages.h"

void OperatorMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                      std::string_view /*detail*/) {
    show(text, icon);
}
