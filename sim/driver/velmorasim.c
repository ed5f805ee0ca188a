/*
 * Simulated Velmora bus driver (WDM, root-enumerated).
 *
 * The root device \velmorasim is the bus: its FDO owns a control device
 * \Device\VelmoraSimBus through which the velmora-sim tool plugs and unplugs
 * units, changes their hardware state, injects faults and dumps their state.
 * Each plugged unit is a child PDO (instance id VELMORA\UNIT\<serial>) with one
 * device model answering its control channel.
 *
 * The panel opens "<interface path>\CONTROL". Wine cannot open a name below a
 * device object, so each unit's control channel is a device object
 * \Device\VelmoraUnitN\CONTROL inside the directory object \Device\VelmoraUnitN,
 * and the interface's symbolic link points at that directory. The link is made
 * here, and only once it exists is the interface marked present (its Linked
 * value), so that a unit that can be enumerated can always be opened. A second,
 * private interface on the unit is switched on and off through the I/O manager
 * after the first one changes: that is what makes the platform broadcast its
 * device-change message to the panel's windows.
 *
 * PnP requests arrive on the platform's PnP thread, control requests on the
 * dispatch thread: the unit table and every model are guarded by one spin lock
 * (a kernel mutex lost wake-ups under stress). Nothing that may wait is called
 * while it is held.
 */
#include <ntddk.h>

#include "sim/driver/VelmoraSimBus.h"

#define VSB_TAG 0x6D6C6556u /* "Velm" */

/* {DD35D54E-850E-4E69-9FA8-431C9E47B446}: the class the panel enumerates. */
static const GUID UnitInterfaceClass =
    { 0xDD35D54E, 0x850E, 0x4E69, { 0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46 } };
/* Private class switched on and off only to announce a change of units. */
static const GUID AnnounceInterfaceClass =
    { 0x6A1E0C3B, 0x5D2F, 0x4B8E, { 0x9C, 0x41, 0x7E, 0x0B, 0x2D, 0x93, 0x58, 0x1F } };

enum ObjectKind { KIND_BUS_FDO = 1, KIND_BUS_CONTROL, KIND_UNIT_PDO, KIND_UNIT_CONTROL };

typedef struct Unit {
    int used;
    char serial[VSB_SERIAL_MAX];
    ULONG index;              /* N of \Device\VelmoraUnitN */
    int plugged;              /* reported to the PnP manager as a child */
    int pdoRemoved;           /* the PnP manager removed the PDO */
    int interfaceOn;          /* link made and Linked set */
    int controlGone;          /* control device deleted */
    LONG openHandles;
    DEVICE_OBJECT* pdo;
    DEVICE_OBJECT* control;
    HANDLE directory;
    UNICODE_STRING link;      /* the panel's interface */
    UNICODE_STRING announce;  /* the private interface */
    VelmoraModel model;
} Unit;

typedef struct Extension {
    int kind;
    Unit* unit;               /* unit objects */
    DEVICE_OBJECT* lower;     /* bus FDO: the device below */
    DEVICE_OBJECT* busPdo;    /* bus FDO: the root PDO */
} Extension;

static KSPIN_LOCK g_lock;
static Unit* g_units[VSB_MAX_UNITS];
static ULONG g_nextIndex;
static DEVICE_OBJECT* g_busFdo;
static DEVICE_OBJECT* g_busControl;

/* ---- small helpers (no C library in a driver) ---- */

static void copy_bytes(void* dst, const void* src, SIZE_T n)
{
    unsigned char* d = dst;
    const unsigned char* s = src;
    while (n--)
        *d++ = *s++;
}

static void zero_bytes(void* dst, SIZE_T n)
{
    unsigned char* d = dst;
    while (n--)
        *d++ = 0;
}

static int serial_equal(const char* a, const char* b)
{
    int i;
    for (i = 0; i < VSB_SERIAL_MAX; ++i) {
        if (a[i] != b[i])
            return 0;
        if (a[i] == 0)
            return 1;
    }
    return 1;
}

/* Wide text builder over a fixed buffer. */
typedef struct WText {
    WCHAR* buf;
    ULONG cap; /* characters, NUL included */
    ULONG len;
} WText;

static void wt_wide(WText* t, const WCHAR* s)
{
    while (*s && t->len + 1 < t->cap)
        t->buf[t->len++] = *s++;
    t->buf[t->len] = 0;
}

static void wt_number(WText* t, ULONG v)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v && n < 11);
    while (n-- && t->len + 1 < t->cap)
        t->buf[t->len++] = (WCHAR)digits[n];
    t->buf[t->len] = 0;
}

static void wt_to_unicode(const WText* t, UNICODE_STRING* u)
{
    u->Buffer = t->buf;
    u->Length = (USHORT)(t->len * sizeof(WCHAR));
    u->MaximumLength = (USHORT)(t->cap * sizeof(WCHAR));
}

/* A pool copy of a wide multi-string for IRP_MN_QUERY_ID answers (the PnP
 * manager frees it). */
static WCHAR* pool_id(const char* first, const char* second)
{
    SIZE_T n1 = 0, n2 = 0, i;
    WCHAR* p;
    while (first[n1])
        ++n1;
    if (second)
        while (second[n2])
            ++n2;
    p = ExAllocatePoolWithTag(PagedPool, (n1 + n2 + 3) * sizeof(WCHAR), VSB_TAG);
    if (!p)
        return NULL;
    for (i = 0; i < n1; ++i)
        p[i] = (WCHAR)(unsigned char)first[i];
    p[n1] = 0;
    for (i = 0; i < n2; ++i)
        p[n1 + 1 + i] = (WCHAR)(unsigned char)second[i];
    p[n1 + 1 + n2] = 0;
    p[n1 + 2 + n2] = 0;
    return p;
}

static NTSTATUS complete(IRP* irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* ---- unit table ---- */

static Unit* find_unit_locked(const char* serial, int pluggedOnly)
{
    int i;
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* u = g_units[i];
        if (u && serial_equal(u->serial, serial) && (!pluggedOnly || u->plugged))
            return u;
    }
    return NULL;
}

static void free_unit(Unit* u)
{
    KIRQL irql;
    int i;
    KeAcquireSpinLock(&g_lock, &irql);
    for (i = 0; i < VSB_MAX_UNITS; ++i)
        if (g_units[i] == u)
            g_units[i] = NULL;
    KeReleaseSpinLock(&g_lock, irql);
    RtlFreeUnicodeString(&u->link);
    RtlFreeUnicodeString(&u->announce);
    ExFreePoolWithTag(u, VSB_TAG);
}

/* Deletes the control devices of removed units once no handle is open on
 * them. Runs on the bus control requests, outside any dispatch of the device
 * it deletes. The unit's record (its model) stays for dump until the serial is
 * plugged again or its slot is needed. */
static void reap_units(void)
{
    int i;
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        KIRQL irql;
        Unit* u;
        int deleteControl = 0;
        KeAcquireSpinLock(&g_lock, &irql);
        u = g_units[i];
        if (u && u->pdoRemoved && !u->controlGone && u->openHandles == 0) {
            u->controlGone = 1;
            deleteControl = 1;
        }
        KeReleaseSpinLock(&g_lock, irql);
        if (deleteControl) {
            if (u->control)
                IoDeleteDevice(u->control);
            u->control = NULL;
            if (u->directory)
                ZwClose(u->directory);
            u->directory = NULL;
        }
    }
}

/* Frees the records of units that are entirely gone: those of `serial`, and
 * when the table is full the oldest one. */
static void forget_units(const char* serial)
{
    KIRQL irql;
    int i, freeSlots = 0, oldest = -1;
    KeAcquireSpinLock(&g_lock, &irql);
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* u = g_units[i];
        if (!u)
            ++freeSlots;
        else if (u->pdoRemoved && u->controlGone && (oldest < 0 || u->index < g_units[oldest]->index))
            oldest = i;
    }
    KeReleaseSpinLock(&g_lock, irql);
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* u;
        int take;
        KeAcquireSpinLock(&g_lock, &irql);
        u = g_units[i];
        take = u && u->pdoRemoved && u->controlGone &&
               (serial_equal(u->serial, serial) || (freeSlots == 0 && i == oldest));
        KeReleaseSpinLock(&g_lock, irql);
        if (take)
            free_unit(u);
    }
}

/* ---- interface of a unit ---- */

/* Sets or clears the Linked value of the unit's interface: the enumeration of
 * present interfaces reads it. */
static NTSTATUS set_linked(Unit* u, ULONG linked)
{
    static const WCHAR classes[] = L"\\Registry\\Machine\\System\\CurrentControlSet\\Control\\DeviceClasses\\";
    WCHAR pathBuf[512];
    WText path = { pathBuf, 512, 0 };
    UNICODE_STRING name, valueName;
    OBJECT_ATTRIBUTES oa;
    HANDLE ifaceKey, hashKey, controlKey;
    NTSTATUS status;
    ULONG n = u->link.Length / sizeof(WCHAR), i;

    if (n < 4 + 38)
        return STATUS_INVALID_PARAMETER;
    wt_wide(&path, classes);
    for (i = n - 38; i < n; ++i) {
        WCHAR c[2] = { u->link.Buffer[i], 0 };
        wt_wide(&path, c);
    }
    wt_wide(&path, L"\\##?#");
    for (i = 4; i < n; ++i) {
        WCHAR c[2] = { u->link.Buffer[i], 0 };
        wt_wide(&path, c);
    }
    wt_to_unicode(&path, &name);

    InitializeObjectAttributes(&oa, &name, OBJ_KERNEL_HANDLE | OBJ_CASE_INSENSITIVE, NULL, NULL);
    status = ZwOpenKey(&ifaceKey, KEY_ALL_ACCESS, &oa);
    if (!NT_SUCCESS(status))
        return status;

    RtlInitUnicodeString(&name, L"#");
    InitializeObjectAttributes(&oa, &name, OBJ_KERNEL_HANDLE | OBJ_CASE_INSENSITIVE, ifaceKey, NULL);
    status = ZwCreateKey(&hashKey, KEY_ALL_ACCESS, &oa, 0, NULL, 0, NULL);
    ZwClose(ifaceKey);
    if (!NT_SUCCESS(status))
        return status;

    RtlInitUnicodeString(&name, L"Control");
    InitializeObjectAttributes(&oa, &name, OBJ_KERNEL_HANDLE | OBJ_CASE_INSENSITIVE, hashKey, NULL);
    status = ZwCreateKey(&controlKey, KEY_ALL_ACCESS, &oa, 0, NULL, REG_OPTION_VOLATILE, NULL);
    ZwClose(hashKey);
    if (!NT_SUCCESS(status))
        return status;

    RtlInitUnicodeString(&valueName, L"Linked");
    status = ZwSetValueKey(controlKey, &valueName, 0, REG_DWORD, &linked, sizeof(linked));
    ZwClose(controlKey);
    return status;
}

/* The interface flag is written on the PnP thread and read by the control
 * channel's open on the dispatch thread. */
static void set_interface_flag(Unit* u, int on)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_lock, &irql);
    u->interfaceOn = on;
    KeReleaseSpinLock(&g_lock, irql);
}

/* Makes the unit's control channel and switches its interface on. */
static NTSTATUS unit_interface_on(DEVICE_OBJECT* driverDevice, Unit* u)
{
    WCHAR dirBuf[64], ctlBuf[80];
    WText dirText = { dirBuf, 64, 0 }, ctlText = { ctlBuf, 80, 0 };
    UNICODE_STRING dirName, ctlName;
    OBJECT_ATTRIBUTES oa;
    DEVICE_OBJECT* control = NULL;
    Extension* ext;
    NTSTATUS status;

    if (u->interfaceOn)
        return STATUS_SUCCESS;

    wt_wide(&dirText, L"\\Device\\VelmoraUnit");
    wt_number(&dirText, u->index);
    wt_to_unicode(&dirText, &dirName);

    if (!u->link.Buffer) {
        status = IoRegisterDeviceInterface(u->pdo, &UnitInterfaceClass, NULL, &u->link);
        if (!NT_SUCCESS(status))
            return status;
    }
    if (!u->announce.Buffer) {
        status = IoRegisterDeviceInterface(u->pdo, &AnnounceInterfaceClass, NULL, &u->announce);
        if (!NT_SUCCESS(status))
            return status;
    }

    if (!u->control) {
        InitializeObjectAttributes(&oa, &dirName, OBJ_KERNEL_HANDLE | OBJ_CASE_INSENSITIVE, NULL, NULL);
        status = ZwCreateDirectoryObject(&u->directory, DIRECTORY_ALL_ACCESS, &oa);
        if (!NT_SUCCESS(status))
            return status;

        wt_wide(&ctlText, dirBuf);
        wt_wide(&ctlText, L"\\CONTROL");
        wt_to_unicode(&ctlText, &ctlName);
        status = IoCreateDevice(driverDevice->DriverObject, sizeof(Extension), &ctlName,
                                FILE_DEVICE_UNKNOWN, 0, FALSE, &control);
        if (!NT_SUCCESS(status)) {
            ZwClose(u->directory);
            u->directory = NULL;
            return status;
        }
        ext = control->DeviceExtension;
        zero_bytes(ext, sizeof(*ext));
        ext->kind = KIND_UNIT_CONTROL;
        ext->unit = u;
        control->Flags |= DO_BUFFERED_IO;
        control->Flags &= ~DO_DEVICE_INITIALIZING;
        u->control = control;
    }

    status = IoCreateSymbolicLink(&u->link, &dirName);
    if (!NT_SUCCESS(status) && status != STATUS_OBJECT_NAME_COLLISION)
        return status;

    status = set_linked(u, 1);
    if (!NT_SUCCESS(status)) {
        IoDeleteSymbolicLink(&u->link);
        return status;
    }
    set_interface_flag(u, 1);

    /* Announce: the platform broadcasts the change to every window. */
    IoSetDeviceInterfaceState(&u->announce, TRUE);
    return STATUS_SUCCESS;
}

/* Switches the unit's interface off: not enumerable, not openable. Handles
 * already open stay open; their requests fail once the unit is unplugged. */
static void unit_interface_off(Unit* u)
{
    if (!u->interfaceOn)
        return;
    set_linked(u, 0);
    set_interface_flag(u, 0);
    IoDeleteSymbolicLink(&u->link);
    IoSetDeviceInterfaceState(&u->announce, FALSE);
}

/* ---- unit PDO: PnP ---- */

static NTSTATUS unit_pnp(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* sp = IoGetCurrentIrpStackLocation(irp);
    Extension* ext = device->DeviceExtension;
    Unit* u = ext->unit;
    NTSTATUS status = irp->IoStatus.Status;
    ULONG_PTR info = irp->IoStatus.Information;

    switch (sp->MinorFunction) {
    case IRP_MN_QUERY_ID: {
        WCHAR* id = NULL;
        switch (sp->Parameters.QueryId.IdType) {
        case BusQueryDeviceID:
            id = pool_id(VSB_UNIT_HARDWARE_ID, NULL);
            break;
        case BusQueryInstanceID:
            id = pool_id(u->serial, NULL);
            break;
        case BusQueryHardwareIDs:
            id = pool_id(VSB_UNIT_HARDWARE_ID, ""); /* one id, then the list's end */
            break;
        case BusQueryCompatibleIDs:
            id = pool_id("", NULL);
            break;
        default:
            goto done;
        }
        if (!id) {
            status = STATUS_INSUFFICIENT_RESOURCES;
            info = 0;
        } else {
            status = STATUS_SUCCESS;
            info = (ULONG_PTR)id;
        }
        break;
    }
    case IRP_MN_QUERY_CAPABILITIES: {
        DEVICE_CAPABILITIES* caps = sp->Parameters.DeviceCapabilities.Capabilities;
        caps->RawDeviceOK = 1;     /* runs without a function driver */
        caps->Removable = 1;
        caps->SurpriseRemovalOK = 1;
        caps->UniqueID = 1;
        caps->Address = u->index;
        caps->UINumber = u->index;
        status = STATUS_SUCCESS;
        break;
    }
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (sp->Parameters.QueryDeviceRelations.Type == TargetDeviceRelation) {
            DEVICE_RELATIONS* rel = ExAllocatePoolWithTag(PagedPool, sizeof(DEVICE_RELATIONS), VSB_TAG);
            if (!rel) {
                status = STATUS_INSUFFICIENT_RESOURCES;
                break;
            }
            rel->Count = 1;
            rel->Objects[0] = device;
            ObReferenceObject(device);
            status = STATUS_SUCCESS;
            info = (ULONG_PTR)rel;
        }
        break;
    case IRP_MN_START_DEVICE: {
        KIRQL irql;
        int plugged;
        KeAcquireSpinLock(&g_lock, &irql);
        plugged = u->plugged;
        KeReleaseSpinLock(&g_lock, irql);
        /* Pulled out before it started: its removal follows. */
        status = plugged ? unit_interface_on(device, u) : STATUS_NO_SUCH_DEVICE;
        break;
    }
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
        unit_interface_off(u);
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE: {
        KIRQL irql;
        int gone;
        unit_interface_off(u);
        KeAcquireSpinLock(&g_lock, &irql);
        gone = !u->plugged;
        KeReleaseSpinLock(&g_lock, irql);
        irp->IoStatus.Status = STATUS_SUCCESS;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        if (gone) {
            /* Reported missing: the PDO goes; the control channel goes once
             * its last handle is closed. */
            KeAcquireSpinLock(&g_lock, &irql);
            u->pdoRemoved = 1;
            u->pdo = NULL;
            KeReleaseSpinLock(&g_lock, irql);
            IoDeleteDevice(device);
        }
        return STATUS_SUCCESS;
    }
    default:
        break;
    }
done:
    return complete(irp, status, info);
}

/* ---- unit control channel ---- */

static NTSTATUS unit_control_dispatch(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* sp = IoGetCurrentIrpStackLocation(irp);
    Extension* ext = device->DeviceExtension;
    Unit* u = ext->unit;
    KIRQL irql;

    switch (sp->MajorFunction) {
    case IRP_MJ_CREATE: {
        int ok;
        KeAcquireSpinLock(&g_lock, &irql);
        ok = u->plugged && u->interfaceOn;
        if (ok)
            ++u->openHandles;
        KeReleaseSpinLock(&g_lock, irql);
        return complete(irp, ok ? STATUS_SUCCESS : STATUS_NO_SUCH_DEVICE, 0);
    }
    case IRP_MJ_CLOSE:
        KeAcquireSpinLock(&g_lock, &irql);
        if (u->openHandles > 0)
            --u->openHandles;
        KeReleaseSpinLock(&g_lock, irql);
        return complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_CLEANUP:
        return complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_DEVICE_CONTROL: {
        ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
        ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
        ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
        void* buffer = irp->AssociatedIrp.SystemBuffer;
        void* input = NULL;
        uint32_t returned = 0;
        int ok;

        if ((code & 3) != METHOD_BUFFERED)
            return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
        if ((inLen || outLen) && !buffer)
            return complete(irp, STATUS_INVALID_PARAMETER, 0);
        /* The model reads its input apart from the buffer it answers in. */
        if (inLen) {
            input = ExAllocatePoolWithTag(NonPagedPool, inLen, VSB_TAG);
            if (!input)
                return complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
            copy_bytes(input, buffer, inLen);
        }
        KeAcquireSpinLock(&g_lock, &irql);
        if (!u->plugged) {
            KeReleaseSpinLock(&g_lock, irql);
            if (input)
                ExFreePoolWithTag(input, VSB_TAG);
            /* The unit is gone: the handle stays, its requests are refused. */
            return complete(irp, STATUS_ACCESS_DENIED, 0);
        }
        ok = vm_ioctl(&u->model, code, input, inLen, buffer, outLen, &returned);
        KeReleaseSpinLock(&g_lock, irql);
        if (input)
            ExFreePoolWithTag(input, VSB_TAG);
        if (!ok)
            return complete(irp, STATUS_UNSUCCESSFUL, 0);
        if (returned > outLen)
            returned = outLen;
        return complete(irp, STATUS_SUCCESS, returned);
    }
    default:
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

/* ---- bus control channel ---- */

/* 1 while a unit of that serial is unplugged but its PDO not yet removed. */
static int unit_leaving(const char* serial)
{
    KIRQL irql;
    int i, leaving = 0;
    KeAcquireSpinLock(&g_lock, &irql);
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* u = g_units[i];
        if (u && serial_equal(u->serial, serial) && !u->plugged && !u->pdoRemoved)
            leaving = 1;
    }
    KeReleaseSpinLock(&g_lock, irql);
    return leaving;
}

static NTSTATUS bus_plug(const VsbUnitRequest* req)
{
    WCHAR nameBuf[64];
    WText nameText = { nameBuf, 64, 0 };
    UNICODE_STRING name;
    DEVICE_OBJECT* pdo = NULL;
    Extension* ext;
    Unit* u;
    KIRQL irql;
    ULONG index;
    int slot = -1, i;
    NTSTATUS status;

    if (!vsb_serial_valid(req->serial, VSB_SERIAL_MAX))
        return STATUS_INVALID_PARAMETER;
    if (!g_busFdo)
        return STATUS_DEVICE_NOT_READY;

    u = ExAllocatePoolWithTag(NonPagedPool, sizeof(Unit), VSB_TAG);
    if (!u)
        return STATUS_INSUFFICIENT_RESOURCES;
    zero_bytes(u, sizeof(*u));

    /* The same serial pulled out a moment ago may still be on its way out
     * (its removal runs on the PnP thread): give it a few seconds. */
    for (i = 0; i < 5000 && unit_leaving(req->serial); ++i) {
        LARGE_INTEGER ms;
        ms.QuadPart = -10000; /* 1 ms, relative */
        KeDelayExecutionThread(KernelMode, FALSE, &ms);
    }
    /* Its PDO may have gone only during that wait, after this request's own
     * reap: delete its control device now so that its record can be freed
     * rather than left beside the new one. */
    reap_units();
    forget_units(req->serial);
    KeAcquireSpinLock(&g_lock, &irql);
    /* A serial is on the bus at most once; a unit still being removed (its
     * PDO not yet gone) answers busy: the caller tries again shortly. */
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* o = g_units[i];
        if (o && serial_equal(o->serial, req->serial) && !o->pdoRemoved) {
            NTSTATUS busy = o->plugged ? STATUS_OBJECT_NAME_COLLISION : STATUS_DEVICE_BUSY;
            KeReleaseSpinLock(&g_lock, irql);
            ExFreePoolWithTag(u, VSB_TAG);
            return busy;
        }
        if (!o && slot < 0)
            slot = i;
    }
    if (slot < 0) {
        KeReleaseSpinLock(&g_lock, irql);
        ExFreePoolWithTag(u, VSB_TAG);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    index = ++g_nextIndex;
    g_units[slot] = u;
    u->used = 1;
    u->index = index;
    copy_bytes(u->serial, req->serial, VSB_SERIAL_MAX);
    KeReleaseSpinLock(&g_lock, irql);

    vm_init(&u->model);

    wt_wide(&nameText, L"\\Device\\VelmoraSimUnit");
    wt_number(&nameText, index);
    wt_to_unicode(&nameText, &name);
    status = IoCreateDevice(g_busFdo->DriverObject, sizeof(Extension), &name, FILE_DEVICE_UNKNOWN,
                            0, FALSE, &pdo);
    if (!NT_SUCCESS(status)) {
        free_unit(u);
        return status;
    }
    ext = pdo->DeviceExtension;
    zero_bytes(ext, sizeof(*ext));
    ext->kind = KIND_UNIT_PDO;
    ext->unit = u;
    pdo->Flags &= ~DO_DEVICE_INITIALIZING;

    KeAcquireSpinLock(&g_lock, &irql);
    u->pdo = pdo;
    u->plugged = 1;
    KeReleaseSpinLock(&g_lock, irql);

    IoInvalidateDeviceRelations(((Extension*)g_busFdo->DeviceExtension)->busPdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS bus_unplug(const VsbUnitRequest* req)
{
    Unit* u;
    KIRQL irql;

    if (!vsb_serial_valid(req->serial, VSB_SERIAL_MAX))
        return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_lock, &irql);
    u = find_unit_locked(req->serial, 1);
    if (u) {
        u->plugged = 0;
        vm_unplug(&u->model);
    }
    KeReleaseSpinLock(&g_lock, irql);
    if (!u)
        return STATUS_NOT_FOUND;
    if (g_busFdo)
        IoInvalidateDeviceRelations(((Extension*)g_busFdo->DeviceExtension)->busPdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS bus_set(const VsbSetRequest* req)
{
    Unit* u;
    KIRQL irql;
    int ok = 0;

    if (!vsb_serial_valid(req->serial, VSB_SERIAL_MAX))
        return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_lock, &irql);
    u = find_unit_locked(req->serial, 1);
    if (u) {
        VelmoraModel* m = &u->model;
        switch (req->what) {
        case VSB_SET_RATE:
            ok = vm_hw_set_sample_rate(m, req->value);
            break;
        case VSB_SET_LATENCY:
            ok = vm_hw_set_latency(m, req->value);
            break;
        case VSB_SET_CLOCK:
            /* Digital: a signal at the digital input at the current rate;
             * internal: the signal is lost. */
            if (req->value == VM_CLOCK_STATUS_DIGITAL)
                ok = vm_hw_set_digital_input(m, (uint32_t)m->config[0]);
            else if (req->value == VM_CLOCK_STATUS_INTERNAL)
                ok = vm_hw_set_digital_input(m, 0);
            break;
        case VSB_SET_DIGITAL:
            ok = vm_hw_set_digital_input(m, req->value);
            break;
        case VSB_SET_EVENT:
            vm_hw_raise_event(m);
            ok = 1;
            break;
        case VSB_SET_POWER_CYCLE:
            vm_hw_power_cycle(m);
            ok = 1;
            break;
        case VSB_SET_METERS:
            if (req->value == VSB_METERS_FREE) {
                vm_release_meters(m);
                ok = 1;
            } else if (req->value <= 0xFFu) {
                uint8_t block[VM_METER_SIZE];
                uint32_t i;
                for (i = 0; i < VM_METER_SIZE; ++i)
                    block[i] = (i < 18u || (i >= 32u && i < 40u)) ? (uint8_t)req->value : 0u;
                vm_hold_meters(m, block);
                ok = 1;
            }
            break;
        default:
            break;
        }
    }
    KeReleaseSpinLock(&g_lock, irql);
    if (!u)
        return STATUS_NOT_FOUND;
    return ok ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

static NTSTATUS bus_fault(const VsbFaultRequest* req)
{
    Unit* u;
    KIRQL irql;
    int ok = 0;

    if (!vsb_serial_valid(req->serial, VSB_SERIAL_MAX))
        return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_lock, &irql);
    u = find_unit_locked(req->serial, 1);
    if (u)
        ok = vm_inject_fault(&u->model, req->code, req->command, req->mode, req->count);
    KeReleaseSpinLock(&g_lock, irql);
    if (!u)
        return STATUS_NOT_FOUND;
    return ok ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

static NTSTATUS bus_dump(const VsbUnitRequest* req, VsbDump* out)
{
    Unit* u;
    KIRQL irql;
    int i;

    if (!vsb_serial_valid(req->serial, VSB_SERIAL_MAX))
        return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_lock, &irql);
    /* The plugged unit of that serial, else the most recent one removed. */
    u = find_unit_locked(req->serial, 1);
    if (!u) {
        ULONG best = 0;
        for (i = 0; i < VSB_MAX_UNITS; ++i) {
            Unit* o = g_units[i];
            if (o && serial_equal(o->serial, req->serial) && o->index > best) {
                best = o->index;
                u = o;
            }
        }
    }
    if (u) {
        copy_bytes(out->serial, u->serial, VSB_SERIAL_MAX);
        out->plugged = (uint32_t)u->plugged;
        out->openHandles = (uint32_t)u->openHandles;
        out->interfaceOn = (uint32_t)u->interfaceOn;
        out->modelSize = sizeof(VelmoraModel);
        copy_bytes(&out->model, &u->model, sizeof(VelmoraModel));
    }
    KeReleaseSpinLock(&g_lock, irql);
    return u ? STATUS_SUCCESS : STATUS_NOT_FOUND;
}

static void bus_list(VsbList* out)
{
    KIRQL irql;
    int i;
    zero_bytes(out, sizeof(*out));
    KeAcquireSpinLock(&g_lock, &irql);
    for (i = 0; i < VSB_MAX_UNITS; ++i) {
        Unit* u = g_units[i];
        VsbListEntry* e;
        if (!u)
            continue;
        e = &out->units[out->count++];
        copy_bytes(e->serial, u->serial, VSB_SERIAL_MAX);
        e->plugged = (uint32_t)u->plugged;
        e->openHandles = (uint32_t)u->openHandles;
        e->interfaceOn = (uint32_t)u->interfaceOn;
        e->index = u->index;
    }
    KeReleaseSpinLock(&g_lock, irql);
}

static NTSTATUS bus_control_dispatch(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* sp = IoGetCurrentIrpStackLocation(irp);
    ULONG code, inLen, outLen;
    void* buffer;
    NTSTATUS status;
    ULONG_PTR info = 0;

    if (sp->MajorFunction != IRP_MJ_DEVICE_CONTROL)
        return complete(irp, STATUS_SUCCESS, 0); /* create, cleanup, close */

    code = sp->Parameters.DeviceIoControl.IoControlCode;
    inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    buffer = irp->AssociatedIrp.SystemBuffer;

    reap_units();
    switch (code) {
    case VSB_IOCTL_PLUG:
        status = inLen == sizeof(VsbUnitRequest) ? bus_plug(buffer) : STATUS_INVALID_PARAMETER;
        break;
    case VSB_IOCTL_UNPLUG:
        status = inLen == sizeof(VsbUnitRequest) ? bus_unplug(buffer) : STATUS_INVALID_PARAMETER;
        break;
    case VSB_IOCTL_SET:
        status = inLen == sizeof(VsbSetRequest) ? bus_set(buffer) : STATUS_INVALID_PARAMETER;
        break;
    case VSB_IOCTL_FAULT:
        status = inLen == sizeof(VsbFaultRequest) ? bus_fault(buffer) : STATUS_INVALID_PARAMETER;
        break;
    case VSB_IOCTL_DUMP: {
        VsbUnitRequest req;
        if (inLen != sizeof(VsbUnitRequest) || outLen < sizeof(VsbDump)) {
            status = STATUS_INVALID_PARAMETER;
            break;
        }
        copy_bytes(&req, buffer, sizeof(req)); /* input and output share the buffer */
        status = bus_dump(&req, buffer);
        if (NT_SUCCESS(status))
            info = sizeof(VsbDump);
        break;
    }
    case VSB_IOCTL_LIST:
        if (outLen < sizeof(VsbList)) {
            status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        bus_list(buffer);
        status = STATUS_SUCCESS;
        info = sizeof(VsbList);
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    return complete(irp, status, info);
}

/* ---- bus FDO ---- */

static NTSTATUS bus_pnp(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* sp = IoGetCurrentIrpStackLocation(irp);
    Extension* ext = device->DeviceExtension;

    switch (sp->MinorFunction) {
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (sp->Parameters.QueryDeviceRelations.Type == BusRelations) {
            DEVICE_RELATIONS* rel;
            KIRQL irql;
            ULONG count = 0;
            int i;
            rel = ExAllocatePoolWithTag(PagedPool,
                                        FIELD_OFFSET(DEVICE_RELATIONS, Objects) + VSB_MAX_UNITS * sizeof(DEVICE_OBJECT*),
                                        VSB_TAG);
            if (!rel)
                return complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
            KeAcquireSpinLock(&g_lock, &irql);
            for (i = 0; i < VSB_MAX_UNITS; ++i) {
                Unit* u = g_units[i];
                if (u && u->plugged && u->pdo) {
                    rel->Objects[count++] = u->pdo;
                    ObReferenceObject(u->pdo);
                }
            }
            KeReleaseSpinLock(&g_lock, irql);
            rel->Count = count;
            irp->IoStatus.Status = STATUS_SUCCESS;
            irp->IoStatus.Information = (ULONG_PTR)rel;
        }
        break;
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE: {
        DEVICE_OBJECT* lower = ext->lower;
        NTSTATUS status;
        int i;
        irp->IoStatus.Status = STATUS_SUCCESS;
        IoSkipCurrentIrpStackLocation(irp);
        status = IoCallDriver(lower, irp);
        /* The bus goes: its children go with it. Their remove requests came
         * first and kept the PDOs of units still plugged. */
        for (i = 0; i < VSB_MAX_UNITS; ++i) {
            Unit* u = g_units[i];
            if (!u || u->pdoRemoved)
                continue;
            u->plugged = 0;
            vm_unplug(&u->model);
            unit_interface_off(u);
            u->pdoRemoved = 1;
            if (u->pdo)
                IoDeleteDevice(u->pdo);
            u->pdo = NULL;
        }
        reap_units();
        if (g_busControl) {
            UNICODE_STRING dos;
            RtlInitUnicodeString(&dos, VSB_DOS_NAME);
            IoDeleteSymbolicLink(&dos);
            IoDeleteDevice(g_busControl);
            g_busControl = NULL;
        }
        g_busFdo = NULL;
        IoDetachDevice(lower);
        IoDeleteDevice(device);
        return status;
    }
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->lower, irp);
}

/* ---- dispatch by object ---- */

static NTSTATUS dispatch_pnp(DEVICE_OBJECT* device, IRP* irp)
{
    Extension* ext = device->DeviceExtension;
    if (ext->kind == KIND_BUS_FDO)
        return bus_pnp(device, irp);
    if (ext->kind == KIND_UNIT_PDO)
        return unit_pnp(device, irp);
    return complete(irp, STATUS_NOT_SUPPORTED, 0);
}

static NTSTATUS dispatch_io(DEVICE_OBJECT* device, IRP* irp)
{
    Extension* ext = device->DeviceExtension;
    switch (ext->kind) {
    case KIND_UNIT_CONTROL:
        return unit_control_dispatch(device, irp);
    case KIND_BUS_CONTROL:
        return bus_control_dispatch(device, irp);
    case KIND_BUS_FDO:
        IoSkipCurrentIrpStackLocation(irp);
        return IoCallDriver(ext->lower, irp);
    default:
        /* A unit PDO has no channel of its own. */
        return complete(irp, IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_DEVICE_CONTROL
                                 ? STATUS_INVALID_DEVICE_REQUEST : STATUS_SUCCESS, 0);
    }
}

static NTSTATUS add_device(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo)
{
    UNICODE_STRING name, dos;
    DEVICE_OBJECT* fdo = NULL;
    DEVICE_OBJECT* control = NULL;
    Extension* ext;
    NTSTATUS status;

    if (g_busFdo)
        return STATUS_DEVICE_ALREADY_ATTACHED; /* one bus per system */

    status = IoCreateDevice(driver, sizeof(Extension), NULL, FILE_DEVICE_BUS_EXTENDER, 0, FALSE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    ext = fdo->DeviceExtension;
    zero_bytes(ext, sizeof(*ext));
    ext->kind = KIND_BUS_FDO;
    ext->busPdo = pdo;
    ext->lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    if (!ext->lower) {
        IoDeleteDevice(fdo);
        return STATUS_NO_SUCH_DEVICE;
    }

    RtlInitUnicodeString(&name, VSB_DEVICE_NAME);
    status = IoCreateDevice(driver, sizeof(Extension), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &control);
    if (!NT_SUCCESS(status)) {
        IoDetachDevice(ext->lower);
        IoDeleteDevice(fdo);
        return status;
    }
    zero_bytes(control->DeviceExtension, sizeof(Extension));
    ((Extension*)control->DeviceExtension)->kind = KIND_BUS_CONTROL;
    control->Flags |= DO_BUFFERED_IO;
    control->Flags &= ~DO_DEVICE_INITIALIZING;
    RtlInitUnicodeString(&dos, VSB_DOS_NAME);
    IoCreateSymbolicLink(&dos, &name);

    g_busControl = control;
    g_busFdo = fdo;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static void driver_unload(DRIVER_OBJECT* driver)
{
    (void)driver;
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry)
{
    (void)registry;
    KeInitializeSpinLock(&g_lock);
    driver->DriverExtension->AddDevice = add_device;
    driver->DriverUnload = driver_unload;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_io;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_io;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_io;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_io;
    return STATUS_SUCCESS;
}
