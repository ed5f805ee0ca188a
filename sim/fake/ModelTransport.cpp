#include "sim/fake/ModelTransport.h"

#include <cstring>

namespace velmora {

namespace {
constexpr char kControlSuffix[] = "\\CONTROL";
}

ModelTransport::ModelTransport(VelmoraModel* model) : model_(model) {}

ModelTransport::~ModelTransport() { close(); }

bool ModelTransport::open(const char* path) {
    if (open_) return true; // one handle per transport, kept
    if (!path || !model_) return false;
    size_t len = std::strlen(path);
    size_t suffix = sizeof(kControlSuffix) - 1;
    if (len < suffix || std::strcmp(path + len - suffix, kControlSuffix) != 0) return false;
    if (openFailures_ > 0) {
        --openFailures_;
        return false;
    }
    if (!vm_is_plugged(model_)) return false;
    open_ = true;
    path_ = path;
    ++opens_;
    return true;
}

bool ModelTransport::isOpen() const { return open_; }

bool ModelTransport::exchange(uint32_t code, const void* in, uint32_t inSize,
                              void* out, uint32_t outSize, uint32_t* bytesReturned) {
    if (!open_) return false;
    ++exchanges_;
    uint32_t returned = 0;
    if (!vm_ioctl(model_, code, in, inSize, out, outSize, &returned)) return false;
    if (bytesReturned) *bytesReturned = returned;
    return true;
}

void ModelTransport::close() {
    if (!open_) return;
    open_ = false;
    ++closes_;
}

} // namespace velmora
