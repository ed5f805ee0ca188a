// One unit's control channel to the Velmora driver. Shared by reference count
// between the device listener (which creates it) and the main window.
#pragma once

#include "device/DeviceEvent.h"
#include "device/DeviceTransport.h"
#include "device/DeviceWire.h"

#include <cstdint>
#include <memory>
#include <string>

namespace velmora {

class USBDevice {
public:
    // `instanceId` is the stable identity of the unit's device node (the
    // platform's device instance id text); `deviceInstance` the platform's
    // numeric handle of the node, kept for reference only.
    USBDevice(const char* interfacePath, const char* instanceId, uint32_t deviceInstance,
              std::unique_ptr<DeviceTransport> transport);
    virtual ~USBDevice();

    USBDevice(const USBDevice&) = delete;
    USBDevice& operator=(const USBDevice&) = delete;

    bool open(bool firmwareUpdateMode = false);
    void close();
    bool isOpen() const;

    void addRef();
    void release();
    int32_t refCount() const { return refs_; }

    bool sendCommand(DeviceRequest& request, bool fullReplyCheck);
    bool readControl(uint32_t code, void* out, uint32_t outSize);
    bool writeRaw(uint32_t length, const uint8_t* bytes);
    bool readMeters(uint8_t block[METER_BLOCK_SIZE]);
    void pollEvent();

    bool getDriverVersion(VersionInfo& out);
    bool getFirmwareVersion(VersionInfo& out);

    bool setDigitalOutSelector(uint8_t selector);
    bool getCpldMixOutSel();
    bool getCpldDigitalMon();
    bool setVelCpldMixOutSel(bool on);
    bool setVelCpldDigitalMon(bool on);

    bool getConfiguration(int32_t config[5]);
    bool setConfiguration(const int32_t config[5], int32_t answer[5]);
    int32_t getLatencyName(int32_t index, char* text256);
    int32_t getLatency();
    int32_t setLatency(int32_t index);
    int32_t getClockMode();
    int32_t setClockMode(int32_t mode);
    bool getClockStatus(int32_t& status, int32_t& second);

    // The last request that failed, for diagnostics: its I/O-control code,
    // its command number (-1 when it was not a command), the platform's error
    // code (0 when the driver answered, but too short).
    struct Failure {
        uint32_t code = 0;
        int32_t command = -1;
        uint32_t systemError = 0;
    };
    const Failure& lastFailure() const { return lastFailure_; }

    // Where pollEvent raises event 3; set by the listener that owns the unit.
    void setEventCallback(DeviceCallback callback, void* context);

    // True when the interface path given at creation did not fit in 259
    // characters; such a channel is never opened (a cut path could name
    // another object).
    bool pathTooLong() const { return pathTooLong_; }

    const char* interfacePath() const { return path_; }
    const std::string& instanceId() const { return instanceId_; }
    uint32_t deviceInstance() const { return deviceInstance_; }
    const char* identityText1() const { return identity1_; }
    const char* identityText2() const { return identity2_; }
    bool driverFlag() const { return driverFlag_; }

private:
    bool setCpldBit(uint8_t bit, bool on);
    bool exchange(uint32_t code, int32_t command, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* returned);
    void noteShortReply(uint32_t code, int32_t command);
    bool readCpldBit(uint8_t bit);

    char path_[INTERFACE_PATH_MAX + 1] = {};
    bool pathTooLong_ = false;
    std::string instanceId_;
    uint32_t deviceInstance_ = 0;
    std::unique_ptr<DeviceTransport> transport_;
    char identity1_[IDENTITY_TEXT_SIZE + 1] = {};
    char identity2_[IDENTITY_TEXT_SIZE + 1] = {};
    bool driverFlag_ = false;
    int32_t refs_ = 0;
    Failure lastFailure_;
    DeviceCallback eventCallback_ = nullptr;
    void* eventContext_ = nullptr;
};

// The serial link's sender: context is the USBDevice (or none).
bool sendStepsToDevice(void* context, const uint8_t* steps, uint32_t length);

} // namespace velmora
