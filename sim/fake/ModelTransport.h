// DeviceTransport over the device model: the native tests' stand-in for the
// driver. Every exchange goes to vm_ioctl of the model given at construction.
#pragma once

#include "device/DeviceTransport.h"
#include "sim/model/VelmoraModel.h"

#include <cstdint>
#include <string>

namespace velmora {

class ModelTransport : public DeviceTransport {
public:
    explicit ModelTransport(VelmoraModel* model);
    ~ModelTransport() override;

    // Succeeds when the path ends in "\CONTROL", the unit is plugged in and no
    // open failure is pending.
    bool open(const char* path) override;
    bool isOpen() const override;
    // Fails while closed; otherwise the model's answer.
    bool exchange(uint32_t code, const void* in, uint32_t inSize,
                  void* out, uint32_t outSize, uint32_t* bytesReturned) override;
    void close() override;

    // The next `count` calls of open fail.
    void failNextOpens(uint32_t count) { openFailures_ = count; }

    const std::string& openedPath() const { return path_; }
    uint32_t openCount() const { return opens_; }
    uint32_t closeCount() const { return closes_; }
    uint32_t exchangeCount() const { return exchanges_; }

private:
    VelmoraModel* model_;
    bool open_ = false;
    std::string path_;
    uint32_t openFailures_ = 0;
    uint32_t opens_ = 0;
    uint32_t closes_ = 0;
    uint32_t exchanges_ = 0;
};

} // namespace velmora
