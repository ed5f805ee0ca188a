/*
 * Private control channel of the simulated Velmora bus driver, shared by the
 * driver, the velmora-sim tool and the tests.
 *
 * The bus answers on \\.\VelmoraSimBus (\Device\VelmoraSimBus). Every request
 * is buffered; a unit is named by its serial, 1..31 characters of [A-Za-z0-9_-]
 * (the serial becomes the last part of the unit's instance id
 * VELMORA\UNIT\<serial>, so nothing else is accepted).
 *
 * Plain C, no platform header: the same layouts on both sides of the channel.
 */
#ifndef VELMORA_SIM_BUS_H
#define VELMORA_SIM_BUS_H

#include <stdint.h>

#include "sim/model/VelmoraModel.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VSB_DEVICE_NAME   L"\\Device\\VelmoraSimBus"
#define VSB_DOS_NAME      L"\\DosDevices\\VelmoraSimBus"
#define VSB_USER_PATH     "\\\\.\\VelmoraSimBus"

/* The device-interface class the panel enumerates. */
#define VSB_INTERFACE_CLASS_TEXT "{DD35D54E-850E-4E69-9FA8-431C9E47B446}"
/* Hardware id of each unit and of the root bus device. */
#define VSB_UNIT_HARDWARE_ID "VELMORA\\UNIT"
#define VSB_BUS_HARDWARE_ID  "root\\velmorasim"
#define VSB_SERVICE_NAME     "velmorasim"

/* Private I/O controls: device type 0x8000, buffered, any access. */
#define VSB_CODE(fn) ((0x8000u << 16) | ((uint32_t)(fn) << 2))
#define VSB_IOCTL_PLUG    VSB_CODE(0x801) /* in: VsbUnitRequest */
#define VSB_IOCTL_UNPLUG  VSB_CODE(0x802) /* in: VsbUnitRequest */
#define VSB_IOCTL_SET     VSB_CODE(0x803) /* in: VsbSetRequest */
#define VSB_IOCTL_FAULT   VSB_CODE(0x804) /* in: VsbFaultRequest */
#define VSB_IOCTL_DUMP    VSB_CODE(0x805) /* in: VsbUnitRequest; out: VsbDump */
#define VSB_IOCTL_LIST    VSB_CODE(0x806) /* out: VsbList */

#define VSB_SERIAL_MAX 32 /* bytes, NUL included */
#define VSB_MAX_UNITS  64 /* units known to the bus at once, plugged or not */

typedef struct VsbUnitRequest {
    char serial[VSB_SERIAL_MAX];
} VsbUnitRequest;

/* What VSB_IOCTL_SET changes on the unit's hardware side. */
enum {
    VSB_SET_RATE = 1,    /* value: sample rate from the external clock, Hz */
    VSB_SET_LATENCY = 2, /* value: latency index 1..6 */
    VSB_SET_CLOCK = 3,   /* value: clock source in effect, 1 internal, 2 digital */
    VSB_SET_DIGITAL = 4, /* value: rate of the digital input signal, 0 = none */
    VSB_SET_EVENT = 5,   /* value ignored: raise the event flag */
    VSB_SET_METERS = 6,  /* value 0..255: every meter channel reads that byte; VSB_METERS_FREE: the generator */
    VSB_SET_POWER_CYCLE = 7 /* value ignored: the unit loses power and comes back, still plugged */
};

#define VSB_METERS_FREE 0xFFFFFFFFu

typedef struct VsbSetRequest {
    char serial[VSB_SERIAL_MAX];
    uint32_t what;
    uint32_t value;
} VsbSetRequest;

typedef struct VsbFaultRequest {
    char serial[VSB_SERIAL_MAX];
    uint32_t code;    /* I/O-control code of the control channel */
    int32_t command;  /* command number, or VM_ANY_COMMAND */
    int32_t mode;     /* VM_FAULT_FAIL or VM_FAULT_SHORT */
    uint32_t count;
} VsbFaultRequest;

/* One unit's state: the bus's view and the model itself. */
typedef struct VsbDump {
    char serial[VSB_SERIAL_MAX];
    uint32_t plugged;     /* 1 while the unit is on the bus */
    uint32_t openHandles; /* control-channel handles open on the unit */
    uint32_t interfaceOn; /* 1 while the unit's interface can be opened */
    uint32_t modelSize;   /* sizeof(VelmoraModel) as the driver was built */
    VelmoraModel model;
} VsbDump;

typedef struct VsbListEntry {
    char serial[VSB_SERIAL_MAX];
    uint32_t plugged;
    uint32_t openHandles;
    uint32_t interfaceOn;
    uint32_t index; /* N of \Device\VelmoraUnitN */
} VsbListEntry;

typedef struct VsbList {
    uint32_t count;
    VsbListEntry units[VSB_MAX_UNITS];
} VsbList;

/* 1 when the text is a serial the bus accepts. */
static inline int vsb_serial_valid(const char* s, uint32_t capacity)
{
    uint32_t i;
    for (i = 0; i < capacity; ++i) {
        char c = s[i];
        if (c == 0)
            return i > 0;
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return 0;
    }
    return 0; /* no NUL inside the field */
}

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_SIM_BUS_H */
