#include "link/OperatorMessages.h"

void OperatorMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                      std::string_view /*detail*/) {
    show(text, icon);
}

void HeldMessages::show(std::string_view text, MessageIcon icon) {
    held_.push_back({false, std::string(text), icon, {}});
}

void HeldMessages::showWithDetail(std::string_view text, MessageIcon icon,
                                  std::string_view detail) {
    held_.push_back({false, std::string(text), icon, std::string(detail)});
}

void HeldMessages::status(std::string_view text) {
    held_.push_back({true, std::string(text), MessageIcon::None, {}});
}

HeldMessages HeldMessages::take() {
    HeldMessages out;
    out.held_.swap(held_);
    return out;
}

void HeldMessages::deliverTo(OperatorMessages& target) const {
    for (const Held& h : held_) {
        if (h.isStatus)
            target.status(h.text);
        else if (h.detail.empty())
            target.show(h.text, h.icon);
        else
            target.showWithDetail(h.text, h.icon, h.detail);
    }
}
