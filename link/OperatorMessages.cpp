#include "link/OperatorMessages.h"

void OperatorMessages::showWithDetail(const Message& text, MessageIcon icon,
                                      const Message& /*detail*/) {
    show(text, icon);
}

void HeldMessages::show(const Message& text, MessageIcon icon) {
    held_.push_back({false, text, icon, {}});
}

void HeldMessages::showWithDetail(const Message& text, MessageIcon icon, const Message& detail) {
    held_.push_back({false, text, icon, detail});
}

void HeldMessages::status(const Message& text) {
    held_.push_back({true, text, MessageIcon::None, {}});
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
