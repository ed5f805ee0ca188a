// The host's sleep and the console session, as they bear on the unit. While
// the host sleeps, or another session has the console (fast user switching,
// a remote session), the panel leaves the unit alone: it sends nothing,
// reads no meters and takes nothing the unit reports into the user's record.
// A unit that lost power during a sleep, or that another user's panel drove
// meanwhile, no longer holds the user's record: once the host is awake and
// the session is at the console again, the record is applied to it again
// before anything follows the unit's own state. While the session is locked
// nobody sees the meters: they are not read.
//
// Platform-free: the window hands over the platform's event codes as they
// come and performs the step each answers.
#pragma once

#include <cstdint>

namespace velmora {

class PowerAndSession {
public:
    // Power broadcast events (the message's wParam).
    static constexpr uint32_t POWER_SUSPEND = 0x0004;
    static constexpr uint32_t POWER_RESUME_CRITICAL = 0x0006; // after a sleep no suspend was told of
    static constexpr uint32_t POWER_RESUME_SUSPEND = 0x0007;
    static constexpr uint32_t POWER_RESUME_AUTOMATIC = 0x0012;
    // Session changes of the panel's own session (the message's wParam).
    static constexpr uint32_t SESSION_CONSOLE_CONNECT = 0x1;
    static constexpr uint32_t SESSION_CONSOLE_DISCONNECT = 0x2;
    static constexpr uint32_t SESSION_REMOTE_CONNECT = 0x3;
    static constexpr uint32_t SESSION_REMOTE_DISCONNECT = 0x4;
    static constexpr uint32_t SESSION_LOCK = 0x7;
    static constexpr uint32_t SESSION_UNLOCK = 0x8;

    // What the panel does about an event.
    enum class Step {
        None,
        LetGo,        // stop the timers: the unit is left alone from now on
        LookForUnit,  // stop the timers and look for the unit again; apply the record once it is found
        ApplyRecord,  // the unit may be touched again: apply the record to it now
        MetersOff,    // stop reading the meters; show them at rest
        MetersOn,     // read the meters again, starting from rest
    };

    Step onPower(uint32_t event);
    Step onSession(uint32_t change);
    // Whether the panel's session has the console when the panel starts.
    void startAtConsole(bool atConsole);

    // The host is awake and the session has the console.
    bool mayTouchUnit() const { return !asleep_ && atConsole_; }
    // The unit holds the user's record: what it reports may go into it.
    bool followsUnit() const { return mayTouchUnit() && !applyDue_; }
    // Meters are read only for somebody who can see them.
    bool metersWanted() const { return followsUnit() && !locked_; }
    bool locked() const { return locked_; }
    bool atConsole() const { return atConsole_; }
    // The record must reach the unit again before anything follows the unit.
    bool applyDue() const { return applyDue_; }
    // The record reached the unit (its arrival, or an apply after a wake or
    // a return to the console).
    void recordApplied() { applyDue_ = false; }

private:
    bool asleep_ = false;
    bool atConsole_ = true;
    bool locked_ = false;
    bool applyDue_ = false;
};

} // namespace velmora
