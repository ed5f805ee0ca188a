/*
 * velmora-sim: control tool of the simulated Velmora bus driver.
 *
 *   velmora-sim install <inf>                 install the bus driver (idempotent)
 *   velmora-sim plug <serial>                 plug a unit in
 *   velmora-sim unplug <serial>               pull a unit out
 *   velmora-sim set <serial> rate <hz>        external clock rate (raises the event flag)
 *   velmora-sim set <serial> latency <1..6>   latency changed on the unit
 *   velmora-sim set <serial> clock <1|2>      clock source in effect: 1 internal, 2 digital
 *   velmora-sim set <serial> digital <hz|0>   digital input signal rate, 0 = none
 *   velmora-sim set <serial> event            raise the event flag
 *   velmora-sim set <serial> reset            the unit loses power and comes back without an unplug:
 *                                             every register at its power-on value, event flag raised
 *   velmora-sim set <serial> meters <byte>|free
 *                                             every meter channel reads <byte> (0..255), or the
 *                                             unit's own moving levels again
 *   velmora-sim fault <serial> <ioctl-code> <command|-1> fail|short <count>
 *   velmora-sim dump [<serial>]               unit state as JSON (all units without a serial)
 *   velmora-sim list                          units known to the bus
 *   velmora-sim wait-present <serial> [ms]    wait until the unit is enumerable (prints its path)
 *   velmora-sim wait-absent <serial> [ms]     wait until the unit is enumerable no more
 *   velmora-sim meter-gaps <serial> <ms>      watch the unit's meter reads for <ms>: prints the
 *                                             longest time without one and how many came
 *
 * Exit status: 0 done, 1 failed (message on stderr), 2 usage.
 */
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim/driver/VelmoraSimBus.h"

static const GUID UnitInterfaceClass =
    { 0xDD35D54E, 0x850E, 0x4E69, { 0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46 } };
static const GUID SystemClass =
    { 0x4d36e97d, 0xe325, 0x11ce, { 0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18 } };

static int fail(const char* what, DWORD error)
{
    fprintf(stderr, "velmora-sim: %s failed: error %lu\n", what, (unsigned long)error);
    return 1;
}

static double now_ms(void)
{
    static LARGE_INTEGER freq;
    LARGE_INTEGER t;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

static int parse_u32(const char* s, unsigned long* out)
{
    char* end;
    unsigned long v;
    if (!s || !*s || *s == '-' || *s == '+' || *s == ' ')
        return 0; /* strtoul would wrap a negative value */
    v = strtoul(s, &end, 0);
    if (*end)
        return 0;
    *out = v;
    return 1;
}

static int serial_arg(const char* s, char serial[VSB_SERIAL_MAX])
{
    memset(serial, 0, VSB_SERIAL_MAX);
    if (strlen(s) >= VSB_SERIAL_MAX)
        return 0;
    strcpy(serial, s);
    return vsb_serial_valid(serial, VSB_SERIAL_MAX);
}

/* ---- the bus channel ---- */

static HANDLE open_bus_once(void)
{
    return CreateFileA(VSB_USER_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       NULL, OPEN_EXISTING, 0, NULL);
}

/* Opens the bus; starts the driver's service first if it is not running (a
 * new wineserver session starts without it). */
static HANDLE open_bus(void)
{
    HANDLE h = open_bus_once();
    SC_HANDLE scm, svc;
    double deadline;
    if (h != INVALID_HANDLE_VALUE)
        return h;
    scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (scm) {
        svc = OpenServiceA(scm, VSB_SERVICE_NAME, SERVICE_START | SERVICE_QUERY_STATUS);
        if (svc) {
            StartServiceA(svc, 0, NULL);
            CloseServiceHandle(svc);
        }
        CloseServiceHandle(scm);
    }
    deadline = now_ms() + 10000.0;
    while ((h = open_bus_once()) == INVALID_HANDLE_VALUE && now_ms() < deadline)
        Sleep(5);
    return h;
}

/* One request on the bus: 0, or the platform's error code. */
static DWORD bus_call(DWORD code, void* in, DWORD inLen, void* out, DWORD outLen, DWORD* returned)
{
    DWORD got = 0, err = 0;
    HANDLE h = open_bus();
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
    if (!DeviceIoControl(h, code, in, inLen, out, outLen, &got, NULL))
        err = GetLastError();
    CloseHandle(h);
    if (!err && returned)
        *returned = got;
    return err;
}

static int bus_request(DWORD code, void* in, DWORD inLen, void* out, DWORD outLen, DWORD* returned, const char* what)
{
    DWORD err = bus_call(code, in, inLen, out, outLen, returned);
    return err ? fail(what, err) : 0;
}

/* ---- install ---- */

/* 1 when both files exist and hold the same bytes. */
static int same_file_content(const char* a, const char* b)
{
    FILE* fa = fopen(a, "rb");
    FILE* fb = fopen(b, "rb");
    int same = fa && fb;
    while (same) {
        char ba[4096], bb[4096];
        size_t na = fread(ba, 1, sizeof(ba), fa), nb = fread(bb, 1, sizeof(bb), fb);
        if (na != nb || memcmp(ba, bb, na))
            same = 0;
        else if (na == 0)
            break;
    }
    if (fa)
        fclose(fa);
    if (fb)
        fclose(fb);
    return same;
}

static int cmd_install(const char* infArg)
{
    char inf[MAX_PATH];
    HDEVINFO set;
    SP_DEVINFO_DATA dev = { sizeof(dev) };
    static const char hardwareId[] = VSB_BUS_HARDWARE_ID "\0";
    BOOL reboot = FALSE;
    double t0 = now_ms();
    HANDLE bus;

    if (!GetFullPathNameA(infArg, sizeof(inf), inf, NULL))
        return fail("resolving the INF path", GetLastError());
    if (GetFileAttributesA(inf) == INVALID_FILE_ATTRIBUTES)
        return fail("finding the INF", GetLastError());

    set = SetupDiCreateDeviceInfoList(&SystemClass, NULL);
    if (set == INVALID_HANDLE_VALUE)
        return fail("SetupDiCreateDeviceInfoList", GetLastError());
    if (SetupDiCreateDeviceInfoA(set, "ROOT\\VELMORASIM\\0000", &SystemClass, NULL, NULL, 0, &dev)) {
        if (!SetupDiSetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, (const BYTE*)hardwareId,
                                               sizeof(hardwareId))) {
            DWORD e = GetLastError();
            SetupDiDestroyDeviceInfoList(set);
            return fail("setting the hardware id", e);
        }
        if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &dev)) {
            DWORD e = GetLastError();
            SetupDiDestroyDeviceInfoList(set);
            return fail("registering the root device", e);
        }
    } else if (GetLastError() != ERROR_DEVINST_ALREADY_EXISTS) {
        DWORD e = GetLastError();
        SetupDiDestroyDeviceInfoList(set);
        return fail("creating the root device", e);
    }
    SetupDiDestroyDeviceInfoList(set);

    /* The INF's copy step keeps a driver file of the same version that is
     * already in place: put the one beside the INF there first, so that an
     * install always leaves the driver that was built. It runs from the next
     * start of the driver's service (a new wineserver session). */
    {
        char sys[MAX_PATH], dest[MAX_PATH];
        char* slash;
        snprintf(sys, sizeof(sys), "%s", inf);
        slash = strrchr(sys, '\\');
        if (slash) {
            snprintf(slash + 1, sizeof(sys) - (size_t)(slash + 1 - sys), "%s.sys", VSB_SERVICE_NAME);
            if (GetSystemDirectoryA(dest, sizeof(dest) - 32)) {
                strcat(dest, "\\drivers\\" VSB_SERVICE_NAME ".sys");
                if (GetFileAttributesA(sys) != INVALID_FILE_ATTRIBUTES && !same_file_content(sys, dest) &&
                    !CopyFileA(sys, dest, FALSE)) {
                    DWORD e = GetLastError();
                    if (e == ERROR_SHARING_VIOLATION)
                        fprintf(stderr, "velmora-sim: the running driver holds %s: end the session "
                                        "(wineserver -k) and install again\n", dest);
                    return fail("copying the driver into the system's driver folder", e);
                }
            }
        }
    }

    if (!UpdateDriverForPlugAndPlayDevicesA(NULL, VSB_BUS_HARDWARE_ID, inf, INSTALLFLAG_FORCE, &reboot))
        return fail("UpdateDriverForPlugAndPlayDevicesA", GetLastError());

    bus = open_bus();
    if (bus == INVALID_HANDLE_VALUE)
        return fail("opening the bus after install", GetLastError());
    CloseHandle(bus);
    printf("installed %s in %.1f ms\n", inf, now_ms() - t0);
    return 0;
}

/* ---- units ---- */

static int cmd_unit(DWORD code, const char* serialArg, const char* what)
{
    VsbUnitRequest req;
    if (!serial_arg(serialArg, req.serial)) {
        fprintf(stderr, "velmora-sim: bad serial \"%s\" (1..31 of A-Z a-z 0-9 _ -)\n", serialArg);
        return 2;
    }
    if (code == VSB_IOCTL_PLUG) {
        /* The same serial pulled out a moment ago may still be on its way
         * out: the bus answers busy until it is gone. */
        double deadline = now_ms() + 5000.0;
        DWORD err;
        while ((err = bus_call(code, &req, sizeof(req), NULL, 0, NULL)) == ERROR_BUSY && now_ms() < deadline)
            Sleep(2);
        return err ? fail(what, err) : 0;
    }
    return bus_request(code, &req, sizeof(req), NULL, 0, NULL, what);
}

static int cmd_set(int argc, char** argv)
{
    VsbSetRequest req;
    unsigned long v = 0;
    memset(&req, 0, sizeof(req));
    if (argc < 2 || !serial_arg(argv[0], req.serial))
        return 2;
    if (!strcmp(argv[1], "event")) {
        req.what = VSB_SET_EVENT;
    } else if (!strcmp(argv[1], "reset")) {
        req.what = VSB_SET_POWER_CYCLE;
    } else if (!strcmp(argv[1], "meters") && argc >= 3 && !strcmp(argv[2], "free")) {
        req.what = VSB_SET_METERS;
        v = VSB_METERS_FREE;
    } else {
        if (argc < 3 || !parse_u32(argv[2], &v))
            return 2;
        if (!strcmp(argv[1], "rate"))
            req.what = VSB_SET_RATE;
        else if (!strcmp(argv[1], "latency"))
            req.what = VSB_SET_LATENCY;
        else if (!strcmp(argv[1], "clock"))
            req.what = VSB_SET_CLOCK;
        else if (!strcmp(argv[1], "digital"))
            req.what = VSB_SET_DIGITAL;
        else if (!strcmp(argv[1], "meters") && v <= 0xFFu)
            req.what = VSB_SET_METERS;
        else
            return 2;
    }
    req.value = (uint32_t)v;
    return bus_request(VSB_IOCTL_SET, &req, sizeof(req), NULL, 0, NULL, "set");
}

static int cmd_fault(int argc, char** argv)
{
    VsbFaultRequest req;
    unsigned long code, count;
    long command;
    char* end;
    memset(&req, 0, sizeof(req));
    if (argc < 5 || !serial_arg(argv[0], req.serial) || !parse_u32(argv[1], &code) || !parse_u32(argv[4], &count))
        return 2;
    command = strtol(argv[2], &end, 0);
    if (*end || !*argv[2])
        return 2;
    if (!strcmp(argv[3], "fail"))
        req.mode = VM_FAULT_FAIL;
    else if (!strcmp(argv[3], "short"))
        req.mode = VM_FAULT_SHORT;
    else
        return 2;
    req.code = (uint32_t)code;
    req.command = (int32_t)command;
    req.count = (uint32_t)count;
    return bus_request(VSB_IOCTL_FAULT, &req, sizeof(req), NULL, 0, NULL, "fault");
}

/* ---- dump ---- */

static void json_text(const char* s, size_t cap)
{
    size_t i;
    putchar('"');
    for (i = 0; i < cap && s[i]; ++i) {
        unsigned char c = (unsigned char)s[i];
        if (c == '"' || c == '\\')
            printf("\\%c", c);
        else if (c < 0x20 || c >= 0x7f)
            printf("\\u%04x", c);
        else
            putchar(c);
    }
    putchar('"');
}

static void json_bytes(const uint8_t* b, int n)
{
    int i;
    putchar('[');
    for (i = 0; i < n; ++i)
        printf(i ? ",%u" : "%u", b[i]);
    putchar(']');
}

static const uint32_t SlotCodes[VM_CODE_SLOTS - 1] = {
    VM_IOCTL_IDENTITY_1, VM_IOCTL_IDENTITY_2, VM_IOCTL_DRIVER_FLAG, VM_IOCTL_DRIVER_VERSION,
    VM_IOCTL_RAW_WRITE, VM_IOCTL_READ_METERS, VM_IOCTL_COMMAND, VM_IOCTL_EVENT,
};

static void print_dump(const VsbDump* d)
{
    const VelmoraModel* m = &d->model;
    int i, first;
    printf("{\"serial\":");
    json_text(d->serial, VSB_SERIAL_MAX);
    printf(",\"plugged\":%s,\"interface\":%s,\"openHandles\":%u", d->plugged ? "true" : "false",
           d->interfaceOn ? "true" : "false", d->openHandles);
    printf(",\n \"codec\":");
    json_bytes(m->codec, VM_REGISTERS);
    printf(",\n \"dit\":");
    json_bytes(m->dit, VM_REGISTERS);
    printf(",\n \"cpld\":%u,\"selector\":%u", m->cpld, m->digitalOutSelector);
    printf(",\"configuration\":[%d,%d,%d,%d,%d]", m->config[0], m->config[1], m->config[2], m->config[3],
           m->config[4]);
    printf(",\"latency\":%u,\"clockMode\":%u,\"clockStatus\":%u,\"digitalInputRate\":%u", m->latency,
           m->clockMode, m->clockStatus, m->digitalInputRate);
    printf(",\n \"eventPending\":%u,\"eventsRaised\":%u,\"meterPhase\":%u", m->eventPending, m->eventsRaised,
           m->meterPhase);
    printf(",\n \"frames\":{\"codec\":%u,\"dit\":%u,\"malformed\":%u,\"steps\":%u}", m->codecFrames, m->ditFrames,
           m->malformedFrames, m->stepsDecoded);
    printf(",\n \"counters\":{");
    for (i = 0; i < VM_CODE_SLOTS - 1; ++i)
        printf(i ? ",\"0x%06X\":%u" : "\"0x%06X\":%u", SlotCodes[i], m->ioctlCount[i]);
    printf(",\"unknown\":%u,\"failed\":%u}", m->ioctlCount[VM_SLOT_UNKNOWN], m->failedCount);
    printf(",\n \"commands\":{");
    first = 1;
    for (i = 0; i < VM_COMMAND_SLOTS; ++i) {
        if (!m->commandCount[i])
            continue;
        if (i == VM_COMMAND_SLOTS - 1)
            printf(first ? "\"other\":%u" : ",\"other\":%u", m->commandCount[i]);
        else
            printf(first ? "\"%d\":%u" : ",\"%d\":%u", i, m->commandCount[i]);
        first = 0;
    }
    printf("},\n \"faults\":[");
    first = 1;
    for (i = 0; i < VM_MAX_FAULTS; ++i) {
        const VmFault* f = &m->faults[i];
        if (!f->mode)
            continue;
        printf("%s{\"code\":\"0x%06X\",\"command\":%d,\"mode\":\"%s\",\"count\":%u}", first ? "" : ",", f->code,
               f->command, f->mode == VM_FAULT_FAIL ? "fail" : "short", f->count);
        first = 0;
    }
    printf("]}");
}

static int dump_one(const char* serial, VsbDump* d)
{
    VsbUnitRequest req;
    DWORD got = 0;
    int rc;
    if (!serial_arg(serial, req.serial))
        return 2;
    rc = bus_request(VSB_IOCTL_DUMP, &req, sizeof(req), d, sizeof(*d), &got, "dump");
    if (rc)
        return rc;
    if (got != sizeof(*d) || d->modelSize != sizeof(VelmoraModel)) {
        fprintf(stderr, "velmora-sim: the driver and this tool were built from different models\n");
        return 1;
    }
    return 0;
}

static int fetch_list(VsbList* list)
{
    DWORD got = 0;
    return bus_request(VSB_IOCTL_LIST, NULL, 0, list, sizeof(*list), &got, "list");
}

static int cmd_dump(const char* serial)
{
    static VsbDump d;
    static VsbList list;
    uint32_t i;
    int rc;
    if (serial) {
        if ((rc = dump_one(serial, &d)))
            return rc;
        print_dump(&d);
        putchar('\n');
        return 0;
    }
    if ((rc = fetch_list(&list)))
        return rc;
    putchar('[');
    for (i = 0; i < list.count; ++i) {
        if ((rc = dump_one(list.units[i].serial, &d)))
            return rc;
        if (i)
            printf(",\n");
        print_dump(&d);
    }
    printf("]\n");
    return 0;
}

static int cmd_list(void)
{
    static VsbList list;
    uint32_t i;
    int rc = fetch_list(&list);
    if (rc)
        return rc;
    for (i = 0; i < list.count; ++i)
        printf("%s %s unit%lu handles=%lu%s\n", list.units[i].serial,
               list.units[i].plugged ? "plugged" : "unplugged", (unsigned long)list.units[i].index,
               (unsigned long)list.units[i].openHandles, list.units[i].interfaceOn ? " interface" : "");
    return 0;
}

/* ---- enumeration ---- */

/* 1 when the unit's interface is among the present interfaces of the class;
 * its path goes to `path`. */
static int unit_enumerable(const char* serial, char* path, DWORD pathSize)
{
    char wanted[64];
    HDEVINFO set;
    DWORD i;
    int found = 0;
    snprintf(wanted, sizeof(wanted), "%s\\%s", VSB_UNIT_HARDWARE_ID, serial);
    set = SetupDiGetClassDevsA(&UnitInterfaceClass, NULL, NULL, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return 0;
    for (i = 0; !found; ++i) {
        SP_DEVICE_INTERFACE_DATA iface = { sizeof(iface) };
        SP_DEVINFO_DATA dev = { sizeof(dev) };
        char detailBuf[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) + 512];
        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail = (SP_DEVICE_INTERFACE_DETAIL_DATA_A*)detailBuf;
        char instance[256];
        if (!SetupDiEnumDeviceInterfaces(set, NULL, &UnitInterfaceClass, i, &iface))
            break;
        detail->cbSize = sizeof(*detail);
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, sizeof(detailBuf), NULL, &dev))
            continue;
        if (!SetupDiGetDeviceInstanceIdA(set, &dev, instance, sizeof(instance), NULL))
            continue;
        if (!_stricmp(instance, wanted)) {
            found = 1;
            if (path)
                snprintf(path, pathSize, "%s", detail->DevicePath);
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

static int cmd_wait(const char* serialArg, const char* msArg, int present)
{
    char serial[VSB_SERIAL_MAX], path[512] = "";
    unsigned long timeout = 10000;
    double t0 = now_ms();
    if (!serial_arg(serialArg, serial) || (msArg && !parse_u32(msArg, &timeout)))
        return 2;
    for (;;) {
        int found = unit_enumerable(serial, path, sizeof(path));
        if (found == present) {
            if (present)
                printf("%s\n", path);
            fprintf(stderr, "%s after %.1f ms\n", present ? "present" : "absent", now_ms() - t0);
            return 0;
        }
        if (now_ms() - t0 > (double)timeout) {
            fprintf(stderr, "velmora-sim: %s is still %s after %lu ms\n", serial, present ? "absent" : "present",
                    timeout);
            return 1;
        }
        Sleep(1);
    }
}

/* How steadily a client reads the unit's meters: the unit's meter-read
 * counter is sampled every millisecond or so for the given time. */
static int cmd_meter_gaps(const char* serialArg, const char* msArg)
{
    static VsbDump d;
    unsigned long duration = 0;
    uint32_t first = 0, last = 0;
    double t0, lastRead, longest = 0;
    int rc;
    if (!parse_u32(msArg, &duration))
        return 2;
    if ((rc = dump_one(serialArg, &d)))
        return rc;
    first = last = d.model.ioctlCount[VM_SLOT_READ_METERS];
    t0 = lastRead = now_ms();
    while (now_ms() - t0 < (double)duration) {
        double t;
        uint32_t reads;
        Sleep(1);
        if ((rc = dump_one(serialArg, &d)))
            return rc;
        t = now_ms();
        reads = d.model.ioctlCount[VM_SLOT_READ_METERS];
        if (reads != last) {
            if (t - lastRead > longest)
                longest = t - lastRead;
            lastRead = t;
            last = reads;
        }
    }
    if (now_ms() - lastRead > longest)
        longest = now_ms() - lastRead;
    printf("{\"longestGapMs\":%.1f,\"reads\":%u,\"durationMs\":%lu}\n", longest, last - first, duration);
    return 0;
}

static int usage(void)
{
    fprintf(stderr,
            "usage: velmora-sim install <inf> | plug <serial> | unplug <serial>\n"
            "       | set <serial> rate <hz> | latency <1..6> | clock <1|2> | digital <hz> | event | reset\n"
            "         | meters <byte>|free\n"
            "       | fault <serial> <ioctl-code> <command|-1> fail|short <count>\n"
            "       | dump [<serial>] | list | wait-present <serial> [ms] | wait-absent <serial> [ms]\n"
            "       | meter-gaps <serial> <ms>\n");
    return 2;
}

int main(int argc, char** argv)
{
    const char* cmd;
    int rc;
    if (argc < 2)
        return usage();
    cmd = argv[1];
    if (!strcmp(cmd, "install") && argc == 3)
        rc = cmd_install(argv[2]);
    else if (!strcmp(cmd, "plug") && argc == 3)
        rc = cmd_unit(VSB_IOCTL_PLUG, argv[2], "plug");
    else if (!strcmp(cmd, "unplug") && argc == 3)
        rc = cmd_unit(VSB_IOCTL_UNPLUG, argv[2], "unplug");
    else if (!strcmp(cmd, "set"))
        rc = cmd_set(argc - 2, argv + 2);
    else if (!strcmp(cmd, "fault"))
        rc = cmd_fault(argc - 2, argv + 2);
    else if (!strcmp(cmd, "dump") && argc <= 3)
        rc = cmd_dump(argc == 3 ? argv[2] : NULL);
    else if (!strcmp(cmd, "list") && argc == 2)
        rc = cmd_list();
    else if (!strcmp(cmd, "wait-present") && (argc == 3 || argc == 4))
        rc = cmd_wait(argv[2], argc == 4 ? argv[3] : NULL, 1);
    else if (!strcmp(cmd, "wait-absent") && (argc == 3 || argc == 4))
        rc = cmd_wait(argv[2], argc == 4 ? argv[3] : NULL, 0);
    else if (!strcmp(cmd, "meter-gaps") && argc == 4)
        rc = cmd_meter_gaps(argv[2], argv[3]);
    else
        rc = 2;
    if (rc == 2)
        return usage();
    return rc;
}
