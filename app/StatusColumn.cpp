#include "app/StatusColumn.h"

#include <cstdio>

namespace velmora {

namespace {

const char* clockText(int32_t clock) {
    switch (clock) {
    case 0: return "Auto";
    case 1: return "Internal";
    case 2: return "Digital";
    default: return "";
    }
}

} // namespace

void StatusColumn::update(const Reading& reading) {
    last_ = reading;
    read_ = true;
    if (view_.windowShown()) show();
}

void StatusColumn::show() {
    if (!read_) return;
    char text[64];
    view_.setStatusText(0, "Velmora HS");
    view_.setStatusText(1, clockText(last_.clock));
    std::snprintf(text, sizeof text, "%d Hz", int(last_.rate));
    view_.setStatusText(2, text);
    view_.setStatusText(3, last_.latency ? last_.latency : "");
    std::snprintf(text, sizeof text, "%dCH / 24 Bit", int(last_.inputs));
    view_.setStatusText(4, text);
    std::snprintf(text, sizeof text, "%dCH / 24 Bit", int(last_.outputs));
    view_.setStatusText(5, text);
}

} // namespace velmora
