#include "sim/model/VelmoraModel.h"

void vm_init(VelmoraModel* m) { (void)m; }
int vm_ioctl(VelmoraModel* m, uint32_t code, const void* in, uint32_t inLen,
             void* out, uint32_t outLen, uint32_t* bytesReturned)
{ (void)m; (void)code; (void)in; (void)inLen; (void)out; (void)outLen; (void)bytesReturned; return 0; }
void vm_unplug(VelmoraModel* m) { m->plugged = 0; }
void vm_plug(VelmoraModel* m) { m->plugged = 1; }
int vm_is_plugged(const VelmoraModel* m) { return m->plugged; }
int vm_inject_fault(VelmoraModel* m, uint32_t code, int32_t command, int32_t mode, uint32_t count)
{ (void)m; (void)code; (void)command; (void)mode; (void)count; return 0; }
void vm_clear_faults(VelmoraModel* m) { (void)m; }
uint32_t vm_ioctl_count(const VelmoraModel* m, uint32_t code) { (void)m; (void)code; return 0; }
uint32_t vm_command_count(const VelmoraModel* m, int32_t command) { (void)m; (void)command; return 0; }
uint32_t vm_total_exchanges(const VelmoraModel* m) { (void)m; return 0; }
void vm_reset_counters(VelmoraModel* m) { (void)m; }
int vm_hw_set_sample_rate(VelmoraModel* m, uint32_t rate) { (void)m; (void)rate; return 0; }
int vm_hw_set_latency(VelmoraModel* m, uint32_t index) { (void)m; (void)index; return 0; }
int vm_hw_set_digital_input(VelmoraModel* m, uint32_t rate) { (void)m; (void)rate; return 0; }
void vm_hw_raise_event(VelmoraModel* m) { (void)m; }
int vm_event_pending(const VelmoraModel* m) { (void)m; return 0; }
void vm_set_identity(VelmoraModel* m, const char* a, const char* b) { (void)m; (void)a; (void)b; }
void vm_set_driver_version(VelmoraModel* m, uint8_t a, uint8_t b, uint8_t c, uint8_t d) { (void)m; (void)a; (void)b; (void)c; (void)d; }
void vm_set_firmware(VelmoraModel* m, uint32_t p, const char* n) { (void)m; (void)p; (void)n; }
const char* vm_latency_name(uint32_t index) { (void)index; return 0; }
int vm_rate_valid(uint32_t rate) { (void)rate; return 0; }
void vm_meter_tick(VelmoraModel* m) { (void)m; }
void vm_hold_meters(VelmoraModel* m, const uint8_t b[VM_METER_SIZE]) { (void)m; (void)b; }
void vm_release_meters(VelmoraModel* m) { (void)m; }
void vm_feed_steps(VelmoraModel* m, const uint8_t* s, uint32_t c) { (void)m; (void)s; (void)c; }
