#!/usr/bin/python3
"""kill -9 at a random moment after a change: the stored record is always
whole and equal to the state before the change or after it; once the unit
has the change the store has it too; and the restarted panel applies what is
stored to a unit that powered up blank.

KILL_TRIALS sets the number of trials (a few in the test command, 30 and
more from scripts/soak.sh), KILL_SEED the random seed (printed, so that a
failing run can be repeated). The last line sums up: trials and records lost.
"""
import random

from e2elib import *

TRIALS = int(os.environ.get("KILL_TRIALS", "4"))
SEED = int(os.environ.get("KILL_SEED", str(int(time.time()))))
UNIT = "E2EKILLT"
story = Story("kill -9 at random moments")
rng = random.Random(SEED)
tally = {"trials": 0, "lost": 0}


def pick_change(before):
    """A change the user could make: its name, the panelctl request that
    makes it, and the record it leads to."""
    after = before.copy()
    kind = rng.choice(["mute", "fader", "rate", "latency"])
    if kind == "mute":
        k = rng.randrange(8)
        after.out_mute[k] = 1 - before.out_mute[k]
        return "mute %d" % k, ("page-command", ID_MUTE_FIRST + k), after
    if kind == "fader":
        k = rng.randrange(8)
        step = -1 if before.out_volume[k] > 0 else 1
        for output in (k, k ^ 1) if before.out_link[k // 2] == 1 else (k,):
            after.out_volume[output] = before.out_volume[k] + step
        return "fader %d %+d" % (k, step), ("fader", k, step), after
    if kind == "rate":
        rate = rng.choice([r for r in CMD_RATE if r != before.sample_rate])
        after.sample_rate = rate
        return "rate %d" % rate, ("command", CMD_RATE[rate]), after
    latency = rng.choice([n for n in range(1, 7) if n != before.latency])
    after.latency = latency
    return "latency %d" % latency, ("command", CMD_LATENCY_FIRST + latency - 1), after


def unit_has(d, record):
    """The unit runs what the record asks for (the fields a change can touch)."""
    return not unit_matches(d, record)


def trials():
    """each trial: a change, kill -9 at a random moment, the store checked, the panel restarted"""
    print("seed %d, %d trials" % (SEED, TRIALS), flush=True)
    plug(UNIT)
    panel = story.panel()
    for trial in range(TRIALS):
        wait_unit_matches(UNIT, reg_read())
        before = reg_read()
        what, request, after = pick_change(before)
        # The request goes out from another process while the kill comes at a
        # random moment: before it arrives, while it is applied, or after.
        sender = subprocess.Popen(["wine", PANELCTL, *map(str, request)], env=ENV, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.0, 0.3))
        panel.kill()
        sender.wait(30)

        tally["trials"] += 1
        raw = reg_read_raw()
        stored = Record(raw) if raw is not None and len(raw) == RECORD_SIZE else None
        d = dump(UNIT)
        reached = unit_has(d, after)
        problem = None
        if stored is None:
            problem = "no whole record stored"
        elif stored.user_fields() not in (before.user_fields(), after.user_fields()):
            problem = "stored record is neither the old nor the new one"
        elif reached and stored.user_fields() != after.user_fields():
            problem = "the unit has the change but the store does not"
        print("trial %d: %s, %s, unit %s -> %s" % (trial, what, "stored new" if stored and stored.user_fields()
              == after.user_fields() else "stored old", "had it" if reached else "had not",
              problem or "ok"), flush=True)
        if problem:
            tally["lost"] += 1
        # The unit powers up blank; the restarted panel brings it to the stored record.
        unplug(UNIT)
        plug(UNIT)
        panel = story.panel()
        if stored is not None:
            wait_unit_matches(UNIT, stored)
    print("kill trials: %d, records lost: %d" % (tally["trials"], tally["lost"]), flush=True)
    expect_equal(tally["lost"], 0, "records lost")


story.run([trials])
