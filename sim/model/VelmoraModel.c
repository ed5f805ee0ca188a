/*
 * Device model of one Velmora unit. Freestanding: the few byte helpers below
 * stand in for the C library, and nothing here allocates or uses floating
 * point.
 */
#include "sim/model/VelmoraModel.h"

#define VM_NO_ENTRY 0xFFFFFFFFu
#define VM_DEFAULT_RATE 48000u
#define VM_DEFAULT_LATENCY 4u

/* Frames: 3 leading bits, 5 address bits, 8 data bits. */
#define VM_FRAME_BITS 16u
#define VM_LEAD_CODEC 0x5u /* 1,0,1 */
#define VM_LEAD_DIT   0x1u /* 0,0,1 */
#define VM_BIT_CAP    (VM_FRAME_BITS + 1u) /* counts past a frame stay "too long" */

static const char* const kLatencyNames[VM_LATENCY_COUNT] = {
    "highspeed", "rapid", "fast", "normal", "relaxed nomal", "relaxed",
};

/* ---- byte helpers ------------------------------------------------------ */

static void vm_bzero(void* p, uint32_t n)
{
    volatile uint8_t* b = (volatile uint8_t*)p;
    while (n--) *b++ = 0;
}

static void vm_bcopy(void* dst, const void* src, uint32_t n)
{
    uint8_t* d = (uint8_t*)dst;
    const uint8_t* s = (const uint8_t*)src;
    if (d == s || n == 0) return;
    if (d < s || d >= s + n) {
        while (n--) *d++ = *s++;
    } else { /* overlapping, destination above the source */
        d += n;
        s += n;
        while (n--) *--d = *--s;
    }
}

/* Copies a NUL-terminated text into a field of `size` bytes: at most
 * size - 1 characters, the rest of the field zero. */
static void vm_text_to_field(char* field, uint32_t size, const char* text)
{
    uint32_t i = 0;
    if (text) {
        for (; i + 1 < size && text[i] != '\0'; ++i) field[i] = text[i];
    }
    for (; i < size; ++i) field[i] = '\0';
}

static uint32_t vm_get32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static void vm_put32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

/* ---- state --------------------------------------------------------------- */

static void vm_raise(VelmoraModel* m)
{
    m->eventPending = 1;
    ++m->eventsSincePoll;
    ++m->eventsRaised;
}

/* Works out the clock source and the rate in effect from the clock mode, the
 * digital input and the internal rate; raises the event flag when either
 * changes. */
static void vm_update_clock(VelmoraModel* m)
{
    uint32_t status = VM_CLOCK_STATUS_INTERNAL;
    uint32_t rate = m->internalRate;
    if (m->clockMode == VM_CLOCK_MODE_AUTO && vm_rate_valid(m->digitalInputRate)) {
        status = VM_CLOCK_STATUS_DIGITAL;
        rate = m->digitalInputRate;
    }
    if (status != m->clockStatus || (int32_t)rate != m->config[0]) {
        m->clockStatus = status;
        m->config[0] = (int32_t)rate;
        vm_raise(m);
    }
}

static void vm_power_on(VelmoraModel* m)
{
    uint32_t i;
    m->internalRate = VM_DEFAULT_RATE;
    m->config[0] = (int32_t)VM_DEFAULT_RATE;
    m->config[1] = 18; /* input channels */
    m->config[2] = 24; /* input sample bits */
    m->config[3] = 8;  /* output channels */
    m->config[4] = 24; /* output sample bits */
    m->latency = VM_DEFAULT_LATENCY;
    m->latencySelected = VM_NO_ENTRY;
    m->clockMode = VM_CLOCK_MODE_AUTO;
    m->clockStatus = VM_CLOCK_STATUS_INTERNAL;
    m->digitalInputRate = 0;
    m->cpld = (uint8_t)VM_CPLD_POWER_ON;
    m->digitalOutSelector = 0;

    m->eventPending = 0;
    m->eventsSincePoll = 0;

    for (i = 0; i < VM_REGISTERS; ++i) {
        m->codec[i] = 0;
        m->dit[i] = 0;
    }
    m->lines = 0xFF; /* idle: every line high */
    m->decInFrame = 0;
    m->decCodecBits = 0;
    m->decDitBits = 0;
    m->decCodecShift = 0;
    m->decDitShift = 0;

    m->meterPhase = 0;
    m->meterHeld = 0;
    vm_bzero(m->meterHeldBlock, VM_METER_SIZE);
}

void vm_init(VelmoraModel* m)
{
    if (!m) return;
    vm_bzero(m, (uint32_t)sizeof(*m));
    vm_set_identity(m, "Velmora HS", "QOR-VELMORA-0001");
    m->driverFlag = 1;
    vm_set_driver_version(m, 1, 6, 4, 0); /* 1.06 release */
    vm_set_firmware(m, 0x02010300u, "VELMORA-FW"); /* 2.1.3, tag 0 */
    vm_power_on(m);
    m->plugged = 1;
}

void vm_unplug(VelmoraModel* m)
{
    if (m) m->plugged = 0;
}

void vm_plug(VelmoraModel* m)
{
    if (!m || m->plugged) return;
    vm_power_on(m);
    m->plugged = 1;
}

void vm_hw_power_cycle(VelmoraModel* m)
{
    if (!m || !m->plugged) return;
    vm_power_on(m);
    vm_raise(m);
}

int vm_is_plugged(const VelmoraModel* m)
{
    return m && m->plugged ? 1 : 0;
}

int vm_rate_valid(uint32_t rate)
{
    return rate == 44100u || rate == 48000u || rate == 88200u || rate == 96000u;
}

const char* vm_latency_name(uint32_t index)
{
    return index < VM_LATENCY_COUNT ? kLatencyNames[index] : 0;
}

/* ---- identity ------------------------------------------------------------ */

void vm_set_identity(VelmoraModel* m, const char* text1, const char* text2)
{
    if (!m) return;
    vm_text_to_field(m->identity1, VM_IDENTITY_SIZE, text1);
    vm_text_to_field(m->identity2, VM_IDENTITY_SIZE, text2);
}

void vm_set_driver_version(VelmoraModel* m, uint8_t major, uint8_t minor, uint8_t kind, uint8_t number)
{
    if (!m) return;
    m->driverVersion = ((uint32_t)major << 24) | ((uint32_t)minor << 16) | ((uint32_t)kind << 8) | number;
}

void vm_set_firmware(VelmoraModel* m, uint32_t packed, const char* name)
{
    if (!m) return;
    m->firmwareVersion = packed;
    vm_text_to_field(m->firmwareName, (uint32_t)sizeof(m->firmwareName), name);
}

/* ---- hardware side ------------------------------------------------------- */

int vm_hw_set_sample_rate(VelmoraModel* m, uint32_t rate)
{
    if (!m || !vm_rate_valid(rate)) return 0;
    if (m->clockStatus == VM_CLOCK_STATUS_DIGITAL)
        m->digitalInputRate = rate; /* the clock at the digital input moved */
    else
        m->internalRate = rate;
    vm_update_clock(m);
    return 1;
}

int vm_hw_set_latency(VelmoraModel* m, uint32_t index)
{
    if (!m || index < 1 || index > VM_LATENCY_COUNT) return 0;
    if (m->latency != index) {
        m->latency = index;
        vm_raise(m);
    }
    return 1;
}

int vm_hw_set_digital_input(VelmoraModel* m, uint32_t rate)
{
    if (!m || (rate != 0 && !vm_rate_valid(rate))) return 0;
    m->digitalInputRate = rate;
    vm_update_clock(m);
    return 1;
}

void vm_hw_raise_event(VelmoraModel* m)
{
    if (m) vm_raise(m);
}

int vm_event_pending(const VelmoraModel* m)
{
    return m && m->eventPending ? 1 : 0;
}

/* ---- counters and faults ------------------------------------------------- */

static int vm_slot_of(uint32_t code)
{
    switch (code) {
    case VM_IOCTL_IDENTITY_1: return VM_SLOT_IDENTITY_1;
    case VM_IOCTL_IDENTITY_2: return VM_SLOT_IDENTITY_2;
    case VM_IOCTL_DRIVER_FLAG: return VM_SLOT_DRIVER_FLAG;
    case VM_IOCTL_DRIVER_VERSION: return VM_SLOT_DRIVER_VERSION;
    case VM_IOCTL_RAW_WRITE: return VM_SLOT_RAW_WRITE;
    case VM_IOCTL_READ_METERS: return VM_SLOT_READ_METERS;
    case VM_IOCTL_COMMAND: return VM_SLOT_COMMAND;
    case VM_IOCTL_EVENT: return VM_SLOT_EVENT;
    default: return VM_SLOT_UNKNOWN;
    }
}

static int vm_command_slot(int32_t command)
{
    return command >= 0 && command < VM_COMMAND_SLOTS - 1 ? command : VM_COMMAND_SLOTS - 1;
}

uint32_t vm_ioctl_count(const VelmoraModel* m, uint32_t code)
{
    return m ? m->ioctlCount[vm_slot_of(code)] : 0;
}

uint32_t vm_command_count(const VelmoraModel* m, int32_t command)
{
    return m ? m->commandCount[vm_command_slot(command)] : 0;
}

uint32_t vm_total_exchanges(const VelmoraModel* m)
{
    uint32_t total = 0;
    int i;
    if (!m) return 0;
    for (i = 0; i < VM_CODE_SLOTS; ++i) total += m->ioctlCount[i];
    return total;
}

void vm_reset_counters(VelmoraModel* m)
{
    int i;
    if (!m) return;
    for (i = 0; i < VM_CODE_SLOTS; ++i) m->ioctlCount[i] = 0;
    for (i = 0; i < VM_COMMAND_SLOTS; ++i) m->commandCount[i] = 0;
    m->failedCount = 0;
}

int vm_inject_fault(VelmoraModel* m, uint32_t code, int32_t command, int32_t mode, uint32_t count)
{
    int i;
    if (!m || count == 0 || (mode != VM_FAULT_FAIL && mode != VM_FAULT_SHORT)) return 0;
    if (command < VM_ANY_COMMAND) return 0;
    for (i = 0; i < VM_MAX_FAULTS; ++i) {
        VmFault* f = &m->faults[i];
        if (f->mode == 0) {
            f->code = code;
            f->command = code == VM_IOCTL_COMMAND ? command : VM_ANY_COMMAND;
            f->mode = mode;
            f->count = count;
            return 1;
        }
    }
    return 0;
}

void vm_clear_faults(VelmoraModel* m)
{
    if (m) vm_bzero(m->faults, (uint32_t)sizeof(m->faults));
}

/* Takes one hit from the first fault that matches the request; answers its
 * mode, or 0 when none matches. `command` is -1 when the request carries none. */
static int32_t vm_take_fault(VelmoraModel* m, uint32_t code, int32_t command)
{
    int i;
    for (i = 0; i < VM_MAX_FAULTS; ++i) {
        VmFault* f = &m->faults[i];
        int32_t mode;
        if (f->mode == 0 || f->count == 0 || f->code != code) continue;
        if (f->command != VM_ANY_COMMAND && f->command != command) continue;
        mode = f->mode;
        if (--f->count == 0) vm_bzero(f, (uint32_t)sizeof(*f));
        return mode;
    }
    return 0;
}

/* ---- serial decoder ------------------------------------------------------ */

static void vm_end_frame(VelmoraModel* m)
{
    uint32_t codec = m->decCodecShift;
    uint32_t dit = m->decDitShift;
    if (m->decCodecBits != 0 && m->decDitBits != 0) {
        ++m->malformedFrames; /* both chips clocked in one frame */
    } else if (m->decCodecBits == VM_FRAME_BITS && (codec >> 13) == VM_LEAD_CODEC) {
        m->codec[(codec >> 8) & 0x1Fu] = (uint8_t)codec;
        ++m->codecFrames;
    } else if (m->decDitBits == VM_FRAME_BITS && (dit >> 13) == VM_LEAD_DIT) {
        m->dit[(dit >> 8) & 0x1Fu] = (uint8_t)dit;
        ++m->ditFrames;
    } else {
        ++m->malformedFrames; /* wrong length, another chip's address, or no bits */
    }
}

static void vm_clock_bit(uint8_t* bits, uint32_t* shift, int bit)
{
    if (*bits < VM_BIT_CAP) ++*bits;
    *shift = ((*shift << 1) | (bit ? 1u : 0u)) & 0xFFFFu;
}

static void vm_step(VelmoraModel* m, uint8_t now)
{
    uint8_t before = m->lines;
    m->lines = now;
    ++m->stepsDecoded;

    if (!(now & VM_LINE_SELECT)) {
        if (before & VM_LINE_SELECT) { /* select falls: a frame begins */
            m->decInFrame = 1;
            m->decCodecBits = 0;
            m->decDitBits = 0;
            m->decCodecShift = 0;
            m->decDitShift = 0;
        }
        /* Each chip samples its data line on the rising edge of its clock. */
        if ((now & VM_LINE_CODEC_CLK) && !(before & VM_LINE_CODEC_CLK))
            vm_clock_bit(&m->decCodecBits, &m->decCodecShift, now & VM_LINE_CODEC_DATA);
        if ((now & VM_LINE_DIT_CLK) && !(before & VM_LINE_DIT_CLK))
            vm_clock_bit(&m->decDitBits, &m->decDitShift, now & VM_LINE_DIT_DATA);
    } else if (m->decInFrame) { /* select rises: the frame ends */
        m->decInFrame = 0;
        vm_end_frame(m);
    }
}

void vm_feed_steps(VelmoraModel* m, const uint8_t* steps, uint32_t count)
{
    uint32_t i;
    if (!m || !steps) return;
    for (i = 0; i < count; ++i) vm_step(m, steps[i]);
}

/* ---- meters -------------------------------------------------------------- */

/* Signed peak of meter channel `c` (inputs 0..17, outputs 18..25) at `phase`:
 * a triangle of its own period and height, with the sign changing every few
 * reads. Magnitudes stay within 0..127. */
static uint8_t vm_meter_value(uint32_t phase, uint32_t c)
{
    uint32_t period = 24u + 6u * c;
    uint32_t height = 40u + (c * 23u) % 88u;
    uint32_t t = (phase + 7u * c) % period;
    uint32_t half = period / 2u;
    uint32_t level = t < half ? (t * height) / half : ((period - t) * height) / half;
    if (level > 127u) level = 127u;
    if (((phase / 3u) + c) & 1u) return (uint8_t)(256u - level); /* 0 stays 0 */
    return (uint8_t)level;
}

static void vm_fill_meters(const VelmoraModel* m, uint8_t* block)
{
    uint32_t i;
    if (m->meterHeld) {
        vm_bcopy(block, m->meterHeldBlock, VM_METER_SIZE);
        return;
    }
    vm_bzero(block, VM_METER_SIZE);
    for (i = 0; i < 18u; ++i) block[i] = vm_meter_value(m->meterPhase, i);
    for (i = 0; i < 8u; ++i) block[32u + i] = vm_meter_value(m->meterPhase, 18u + i);
}

void vm_meter_tick(VelmoraModel* m)
{
    if (m) ++m->meterPhase;
}

void vm_hold_meters(VelmoraModel* m, const uint8_t block[VM_METER_SIZE])
{
    if (!m || !block) return;
    vm_bcopy(m->meterHeldBlock, block, VM_METER_SIZE);
    m->meterHeld = 1;
}

void vm_release_meters(VelmoraModel* m)
{
    if (m) m->meterHeld = 0;
}

/* ---- commands of the 260-byte request ------------------------------------ */

static void vm_put_config(const VelmoraModel* m, uint8_t* req)
{
    int i;
    for (i = 0; i < 5; ++i) vm_put32(req + 4 + 4 * i, (uint32_t)m->config[i]);
}

/* Carries out the command in `req` (a private copy of the request) and writes
 * its reply into it. Answers 0 for an unknown command or a refused parameter;
 * nothing changes then. */
static int vm_command(VelmoraModel* m, uint8_t* req)
{
    int32_t command = (int32_t)vm_get32(req);
    uint32_t arg = vm_get32(req + 4);
    uint32_t i;

    switch (command) {
    case 3: /* S/PDIF output selector */
        if (arg > 3u) return 0;
        m->digitalOutSelector = arg;
        return 1;
    case 4: /* read the CPLD register */
        req[4] = m->cpld;
        return 1;
    case 5: /* write the CPLD register */
        m->cpld = req[4];
        return 1;
    case 8: /* configuration in effect */
        vm_put_config(m, req);
        return 1;
    case 9: /* set configuration: only the rate can be chosen */
        if (!vm_rate_valid(arg)) return 0;
        m->internalRate = arg;
        vm_update_clock(m);
        vm_put_config(m, req);
        return 1;
    case 11: /* select a latency entry (zero-based) */
        if (arg < VM_LATENCY_COUNT) {
            m->latencySelected = arg;
            vm_put32(req + 4, arg + 1u);
        } else {
            m->latencySelected = VM_NO_ENTRY;
            vm_put32(req + 4, 0);
        }
        return 1;
    case 12: { /* text of the selected latency entry */
        const char* name;
        if (m->latencySelected >= VM_LATENCY_COUNT) return 0;
        name = kLatencyNames[m->latencySelected];
        for (i = 0; i < 256u && name[i] != '\0'; ++i) req[4 + i] = (uint8_t)name[i];
        for (; i < 256u; ++i) req[4 + i] = 0;
        return 1;
    }
    case 13:
        vm_put32(req + 4, m->latency);
        return 1;
    case 14:
        if (arg < 1u || arg > VM_LATENCY_COUNT) return 0;
        m->latency = arg;
        vm_put32(req + 4, m->latency);
        return 1;
    case 16:
        vm_put32(req + 4, m->clockMode);
        return 1;
    case 17:
        if (arg != VM_CLOCK_MODE_AUTO && arg != VM_CLOCK_MODE_INTERNAL) return 0;
        m->clockMode = arg;
        vm_update_clock(m);
        vm_put32(req + 4, m->clockMode);
        return 1;
    case 18:
        vm_put32(req + 4, m->clockStatus);
        vm_put32(req + 8, m->digitalInputRate);
        return 1;
    case 24:
        vm_put32(req + 4, m->firmwareVersion);
        return 1;
    case 25:
        for (i = 0; i < 16u; ++i) req[4 + i] = (uint8_t)m->firmwareName[i];
        req[4 + 15] = 0;
        return 1;
    default:
        return 0;
    }
}

/* ---- the exchange -------------------------------------------------------- */

int vm_ioctl(VelmoraModel* m, uint32_t code, const void* in, uint32_t inLen,
             void* out, uint32_t outLen, uint32_t* bytesReturned)
{
    uint8_t reply[VM_REQUEST_SIZE];
    uint32_t size = 0;      /* bytes of `reply` the request answers */
    int32_t command = VM_ANY_COMMAND;
    int32_t fault;
    const uint8_t* inBytes = (const uint8_t*)in;

    if (!m) return 0;
    ++m->ioctlCount[vm_slot_of(code)];
    if (code == VM_IOCTL_COMMAND && inBytes && inLen >= 4) {
        command = (int32_t)vm_get32(inBytes);
        ++m->commandCount[vm_command_slot(command)];
    }

    if (!m->plugged) goto failed;
    fault = vm_take_fault(m, code, command);
    if (fault == VM_FAULT_FAIL) goto failed;

    switch (code) {
    case VM_IOCTL_IDENTITY_1:
    case VM_IOCTL_IDENTITY_2:
        size = VM_IDENTITY_SIZE;
        if (!out || outLen < size) goto failed;
        vm_bcopy(reply, code == VM_IOCTL_IDENTITY_1 ? m->identity1 : m->identity2, size);
        break;
    case VM_IOCTL_DRIVER_FLAG:
    case VM_IOCTL_DRIVER_VERSION:
        size = 4;
        if (!out || outLen < size) goto failed;
        vm_put32(reply, code == VM_IOCTL_DRIVER_FLAG ? m->driverFlag : m->driverVersion);
        break;
    case VM_IOCTL_EVENT:
        size = VM_EVENT_SIZE;
        if (!out || outLen < size) goto failed;
        vm_put32(reply, m->eventPending ? 1u : 0u);
        vm_put32(reply + 4, m->eventsSincePoll);
        m->eventPending = 0;
        m->eventsSincePoll = 0;
        break;
    case VM_IOCTL_READ_METERS:
        size = VM_METER_SIZE;
        if (!out || outLen < size) goto failed;
        vm_fill_meters(m, reply);
        ++m->meterPhase;
        break;
    case VM_IOCTL_COMMAND:
        size = VM_REQUEST_SIZE;
        if (!inBytes || inLen < size || !out || outLen < size) goto failed;
        vm_bcopy(reply, inBytes, size);
        if (!vm_command(m, reply)) goto failed;
        break;
    case VM_IOCTL_RAW_WRITE: {
        /* The steps are played out in full; the same bytes are answered. */
        uint32_t answer = inLen < outLen ? inLen : outLen;
        if (inLen != 0 && !inBytes) goto failed;
        if (answer != 0 && !out) goto failed;
        vm_feed_steps(m, inBytes, inLen);
        if (fault == VM_FAULT_SHORT && answer > 0) --answer;
        vm_bcopy(out, inBytes, answer);
        if (bytesReturned) *bytesReturned = answer;
        return 1;
    }
    default:
        goto failed;
    }

    if (fault == VM_FAULT_SHORT) --size; /* the last byte is not handed back */
    vm_bcopy(out, reply, size);
    if (bytesReturned) *bytesReturned = size;
    return 1;

failed:
    ++m->failedCount;
    return 0;
}
