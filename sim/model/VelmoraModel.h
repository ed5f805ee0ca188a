/*
 * Device model of one Velmora unit, as seen through the driver's control
 * channel. One implementation serves the native tests (through the transport
 * fake) and the simulated kernel driver (embedded statically), so it is
 * freestanding C11: no libc calls, no allocation, no floating point.
 *
 * The model is not thread-safe: the caller serialises all calls on one model
 * (the simulated driver holds a spin lock around them).
 *
 * Event flag: raised whenever the unit's state changes on the hardware side
 * (vm_hw_* functions) and whenever the rate or the clock source in effect
 * changes, whoever caused it: a sample-rate or clock-mode change made by the
 * panel raises it too, as the real unit resynchronises and tells the driver.
 * Panel writes that change nothing else the unit reports (latency set by the
 * panel, CPLD, S/PDIF selector, serial registers) do not raise it. Reading the
 * event word (0x220038) clears it.
 */
#ifndef VELMORA_MODEL_H
#define VELMORA_MODEL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* I/O-control codes of the control channel. */
#define VM_IOCTL_IDENTITY_1     0x220000u /* out: 64 bytes of text */
#define VM_IOCTL_IDENTITY_2     0x220004u /* out: 64 bytes of text */
#define VM_IOCTL_DRIVER_FLAG    0x22009Cu /* out: 32-bit flag */
#define VM_IOCTL_DRIVER_VERSION 0x2200A4u /* out: 32-bit packed version */
#define VM_IOCTL_RAW_WRITE      0x2200C0u /* in/out: n serial steps */
#define VM_IOCTL_READ_METERS    0x2200CCu /* out: 64-byte meter block */
#define VM_IOCTL_COMMAND        0x2200D0u /* in/out: 260-byte request */
#define VM_IOCTL_EVENT          0x220038u /* out: 8-byte event word */

/* Sizes of the fixed buffers. */
#define VM_REQUEST_SIZE  260u
#define VM_IDENTITY_SIZE 64u
#define VM_METER_SIZE    64u
#define VM_EVENT_SIZE    8u

/* Counter slots: one per known I/O-control code, one for unknown codes. */
enum {
    VM_SLOT_IDENTITY_1 = 0,
    VM_SLOT_IDENTITY_2,
    VM_SLOT_DRIVER_FLAG,
    VM_SLOT_DRIVER_VERSION,
    VM_SLOT_RAW_WRITE,
    VM_SLOT_READ_METERS,
    VM_SLOT_COMMAND,
    VM_SLOT_EVENT,
    VM_SLOT_UNKNOWN,
    VM_CODE_SLOTS
};
/* Commands 0..31 are counted one by one; any other number in the last slot. */
#define VM_COMMAND_SLOTS 33

/* Fault injection. */
#define VM_FAULT_FAIL  1 /* the request fails; nothing changes */
#define VM_FAULT_SHORT 2 /* the request is carried out, one byte fewer is returned */
#define VM_ANY_COMMAND (-1)
#define VM_MAX_FAULTS  8

typedef struct VmFault {
    uint32_t code;    /* I/O-control code */
    int32_t command;  /* command number for 0x2200D0, VM_ANY_COMMAND = any */
    int32_t mode;     /* VM_FAULT_FAIL or VM_FAULT_SHORT; 0 = slot free */
    uint32_t count;   /* matching requests still to be hit */
} VmFault;

/* Latency table. */
#define VM_LATENCY_COUNT 6
#define VM_LATENCY_NAME_MAX 32

/* Clock. */
#define VM_CLOCK_MODE_AUTO     0u
#define VM_CLOCK_MODE_INTERNAL 1u
#define VM_CLOCK_STATUS_INTERNAL 1u
#define VM_CLOCK_STATUS_DIGITAL  2u

/* CPLD bits the panel uses, and the register's power-on value (other bits set,
 * these two clear, so a read-modify-write that loses bits is visible). */
#define VM_CPLD_MIX_OUT_SEL 0x08u
#define VM_CPLD_DIGITAL_MON 0x10u
#define VM_CPLD_POWER_ON    0xA5u

/* Serial port lines of a step byte. */
#define VM_LINE_SELECT     0x80u /* frame select, active low */
#define VM_LINE_CODEC_DATA 0x40u
#define VM_LINE_CODEC_CLK  0x20u
#define VM_LINE_DIT_DATA   0x02u
#define VM_LINE_DIT_CLK    0x01u
#define VM_REGISTERS       32

typedef struct VelmoraModel {
    /* Identity and versions (fixed by the unit; settable for tests). */
    char identity1[VM_IDENTITY_SIZE];
    char identity2[VM_IDENTITY_SIZE];
    uint32_t driverFlag;
    uint32_t driverVersion;      /* packed: major, minor, kind, number from the top */
    uint32_t firmwareVersion;    /* packed: major, minor, patch, tag from the top */
    char firmwareName[16];       /* at most 15 characters and NUL */

    /* Configuration in effect: rate, input channels, input bits, output
     * channels, output bits. */
    int32_t config[5];
    uint32_t internalRate;       /* rate of the internal clock, used when it is in effect */
    uint32_t latency;            /* 1..6 */
    uint32_t latencySelected;    /* zero-based entry chosen by command 11, or UINT32_MAX */
    uint32_t clockMode;          /* VM_CLOCK_MODE_* */
    uint32_t clockStatus;        /* VM_CLOCK_STATUS_* */
    uint32_t digitalInputRate;   /* rate of the signal at the digital input, 0 = none */
    uint8_t cpld;
    uint32_t digitalOutSelector; /* 0..3 */

    /* Plug state and event flag. */
    int plugged;
    uint32_t eventPending;       /* bit 0 of the event word */
    uint32_t eventsSincePoll;    /* changes coalesced into the pending flag */
    uint32_t eventsRaised;       /* all changes since power-on */

    /* Serial decoder: register files of the two chips and its own state. */
    uint8_t codec[VM_REGISTERS]; /* output converter */
    uint8_t dit[VM_REGISTERS];   /* digital-output interface */
    uint32_t codecFrames;        /* well-formed frames per chip */
    uint32_t ditFrames;
    uint32_t malformedFrames;
    uint32_t stepsDecoded;
    uint8_t lines;               /* port lines as the last step left them */
    uint8_t decInFrame;          /* select is low */
    uint8_t decCodecBits;        /* bits clocked into each chip this frame */
    uint8_t decDitBits;
    uint32_t decCodecShift;
    uint32_t decDitShift;

    /* Meter generator. */
    uint32_t meterPhase;         /* advanced by every meter read and by vm_meter_tick */
    int meterHeld;               /* answer meterHeldBlock instead of the generator */
    uint8_t meterHeldBlock[VM_METER_SIZE];

    /* Counters: every request that reaches vm_ioctl, failed ones included. */
    uint32_t ioctlCount[VM_CODE_SLOTS];
    uint32_t commandCount[VM_COMMAND_SLOTS];
    uint32_t failedCount;

    VmFault faults[VM_MAX_FAULTS];
} VelmoraModel;

/* Power-on state, plugged in, counters zero, no faults. */
void vm_init(VelmoraModel* m);

/* One exchange of the control channel. Answers 1 on success and writes
 * *bytesReturned; answers 0 on failure and leaves *bytesReturned alone.
 * `in` and `out` may be the same buffer (answered in place). */
int vm_ioctl(VelmoraModel* m, uint32_t code, const void* in, uint32_t inLen,
             void* out, uint32_t outLen, uint32_t* bytesReturned);

/* Plugging. A request on an unplugged unit fails. Plugging in again powers the
 * unit up: configuration, CPLD, selector, registers, decoder and meters return
 * to their power-on state; identity, versions, counters and faults stay. */
void vm_unplug(VelmoraModel* m);
void vm_plug(VelmoraModel* m);
int vm_is_plugged(const VelmoraModel* m);

/* The next `count` requests of `code` (and, for 0x2200D0, of `command`, or any
 * with VM_ANY_COMMAND) fail or answer short. Answers 0 when the table is full
 * or the arguments are invalid. */
int vm_inject_fault(VelmoraModel* m, uint32_t code, int32_t command, int32_t mode, uint32_t count);
void vm_clear_faults(VelmoraModel* m);

/* Counters. */
uint32_t vm_ioctl_count(const VelmoraModel* m, uint32_t code);
uint32_t vm_command_count(const VelmoraModel* m, int32_t command);
uint32_t vm_total_exchanges(const VelmoraModel* m);
void vm_reset_counters(VelmoraModel* m);

/* Hardware-side changes; each raises the event flag when it changes state.
 * Answer 1 when accepted, 0 for an invalid value (nothing changes). */
int vm_hw_set_sample_rate(VelmoraModel* m, uint32_t rate);      /* the unit follows an external clock */
int vm_hw_set_latency(VelmoraModel* m, uint32_t index);         /* 1..6 */
int vm_hw_set_digital_input(VelmoraModel* m, uint32_t rate);    /* 0 = signal lost */
void vm_hw_raise_event(VelmoraModel* m);
/* The unit lost power without leaving the bus (a host's sleep): everything
 * plugging in resets returns to its power-on state, and the event flag is
 * raised as the unit comes back at its power-on rate. */
void vm_hw_power_cycle(VelmoraModel* m);
int vm_event_pending(const VelmoraModel* m);

/* Identity and versions. */
void vm_set_identity(VelmoraModel* m, const char* text1, const char* text2);
void vm_set_driver_version(VelmoraModel* m, uint8_t major, uint8_t minor, uint8_t kind, uint8_t number);
void vm_set_firmware(VelmoraModel* m, uint32_t packed, const char* name);

/* Latency entry names by zero-based index; NULL past the table. */
const char* vm_latency_name(uint32_t index);
/* 1 when the rate is one the unit runs at (44100, 48000, 88200, 96000). */
int vm_rate_valid(uint32_t rate);

/* Meters: advance the generator one step; hold a fixed block (signed peaks as
 * the unit sends them) until released. */
void vm_meter_tick(VelmoraModel* m);
void vm_hold_meters(VelmoraModel* m, const uint8_t block[VM_METER_SIZE]);
void vm_release_meters(VelmoraModel* m);

/* Feed serial steps to the decoder as the raw write does (without counting an
 * exchange). */
void vm_feed_steps(VelmoraModel* m, const uint8_t* steps, uint32_t count);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_MODEL_H */
