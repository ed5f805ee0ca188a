#include "app/PowerAndSession.h"

namespace velmora {

PowerAndSession::Step PowerAndSession::onPower(uint32_t event) {
    switch (event) {
    case POWER_SUSPEND:
        asleep_ = true;
        applyDue_ = true;
        return Step::LetGo;
    case POWER_RESUME_CRITICAL:
    case POWER_RESUME_SUSPEND:
    case POWER_RESUME_AUTOMATIC:
        // Either or both come, in any order; a resume whose suspend was
        // never seen (a sleep the panel was not told of) counts the same:
        // the unit may have lost power, so the record goes to it again.
        asleep_ = false;
        applyDue_ = true;
        return Step::LookForUnit;
    default:
        return Step::None;
    }
}

PowerAndSession::Step PowerAndSession::onSession(uint32_t change) {
    switch (change) {
    case SESSION_CONSOLE_DISCONNECT:
    case SESSION_REMOTE_CONNECT:
        if (!atConsole_) return Step::None;
        atConsole_ = false;
        applyDue_ = true;
        return Step::LetGo;
    case SESSION_CONSOLE_CONNECT:
        if (atConsole_) return Step::None;
        atConsole_ = true;
        return asleep_ ? Step::None : Step::ApplyRecord;
    case SESSION_LOCK:
        if (locked_) return Step::None;
        locked_ = true;
        return Step::MetersOff;
    case SESSION_UNLOCK:
        if (!locked_) return Step::None;
        locked_ = false;
        return Step::MetersOn;
    default:
        return Step::None; // a remote disconnect leaves the session away
    }
}

void PowerAndSession::startAtConsole(bool atConsole) {
    atConsole_ = atConsole;
    if (!atConsole) applyDue_ = true;
}

} // namespace velmora
