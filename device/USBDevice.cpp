#include "device/USBDevice.h"

#include "device/DeviceCodecs.h"

#include <cstring>
#include <new>
#include <string>

namespace velmora {

namespace {

constexpr const char* CONTROL_SUFFIX = "\\CONTROL";
constexpr const char* FW_UPDATE_SUFFIX = "\\FW_UPDATE";

DeviceRequest makeRequest(int32_t command) {
    DeviceRequest request;
    std::memset(&request, 0, sizeof request);
    request.command = command;
    return request;
}

int32_t replyWord(const DeviceRequest& request, size_t offset = 0) {
    return int32_t(readLe32(request.data + offset));
}

} // namespace

USBDevice::USBDevice(const char* interfacePath, const char* instanceId, uint32_t deviceInstance,
                     std::unique_ptr<DeviceTransport> transport)
    : instanceId_(instanceId ? instanceId : ""), deviceInstance_(deviceInstance),
      transport_(std::move(transport)) {
    if (interfacePath) {
        const size_t length = std::strlen(interfacePath);
        pathTooLong_ = length > INTERFACE_PATH_MAX;
        std::memcpy(path_, interfacePath, pathTooLong_ ? INTERFACE_PATH_MAX : length);
    }
}

USBDevice::~USBDevice() {
    close();
}

bool USBDevice::isOpen() const {
    return transport_ && transport_->isOpen();
}

bool USBDevice::open(bool firmwareUpdateMode) {
    if (isOpen()) return true;
    if (!transport_ || pathTooLong_ || path_[0] == '\0') return false;

    std::string channel(path_);
    channel += firmwareUpdateMode ? FW_UPDATE_SUFFIX : CONTROL_SUFFIX;
    if (!transport_->open(channel.c_str())) return false;

    // The identity texts and the flag are kept as read; their results are
    // not checked.
    std::memset(identity1_, 0, sizeof identity1_);
    std::memset(identity2_, 0, sizeof identity2_);
    readControl(IOCTL_IDENTITY_1, identity1_, IDENTITY_TEXT_SIZE);
    readControl(IOCTL_IDENTITY_2, identity2_, IDENTITY_TEXT_SIZE);
    uint8_t flag[4] = {0, 0, 0, 0};
    readControl(IOCTL_DRIVER_FLAG, flag, sizeof flag);
    driverFlag_ = readLe32(flag) != 0;
    return true;
}

void USBDevice::close() {
    if (transport_) transport_->close();
}

void USBDevice::addRef() {
    ++refs_;
}

void USBDevice::release() {
    if (--refs_ == 0) delete this;
}

bool USBDevice::exchange(uint32_t code, int32_t command, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize, uint32_t* returned) {
    if (transport_->exchange(code, in, inSize, out, outSize, returned)) return true;
    lastFailure_ = Failure{code, command, transport_->lastError()};
    return false;
}

void USBDevice::noteShortReply(uint32_t code, int32_t command) { lastFailure_ = Failure{code, command, 0}; }

bool USBDevice::sendCommand(DeviceRequest& request, bool fullReplyCheck) {
    if (!isOpen()) return false;
    uint32_t returned = 0;
    const int32_t command = request.command;
    if (!exchange(IOCTL_COMMAND, command, &request, DEVICE_REQUEST_SIZE, &request, DEVICE_REQUEST_SIZE, &returned))
        return false;
    if (fullReplyCheck && returned != DEVICE_REQUEST_SIZE) {
        noteShortReply(IOCTL_COMMAND, command);
        return false;
    }
    return true;
}

bool USBDevice::readControl(uint32_t code, void* out, uint32_t outSize) {
    if (!isOpen()) return false;
    uint32_t returned = 0;
    return exchange(code, -1, nullptr, 0, out, outSize, &returned);
}

bool USBDevice::writeRaw(uint32_t length, const uint8_t* bytes) {
    if (!isOpen()) return false;
    if (length == 0 || bytes == nullptr) return true;
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[length]);
    if (!scratch) return false;
    std::memcpy(scratch.get(), bytes, length);
    uint32_t returned = 0;
    return exchange(IOCTL_RAW_WRITE, -1, scratch.get(), length, scratch.get(), length, &returned);
}

bool USBDevice::readMeters(uint8_t block[METER_BLOCK_SIZE]) {
    if (!isOpen()) return false;
    uint32_t returned = 0;
    if (!exchange(IOCTL_READ_METERS, -1, block, METER_BLOCK_SIZE, block, METER_BLOCK_SIZE, &returned) ||
        returned != METER_BLOCK_SIZE) {
        std::memset(block, 0, METER_BLOCK_SIZE);
        return false;
    }
    convertMeterLevels(block, METER_BLOCK_SIZE);
    return true;
}

void USBDevice::pollEvent() {
    uint8_t word[EVENT_WORD_SIZE] = {};
    if (!readControl(IOCTL_EVENT, word, sizeof word)) return;
    if ((readLe32(word) & 1u) && eventCallback_) eventCallback_(eventContext_, this, DEVICE_STATE_CHANGED);
}

void USBDevice::setEventCallback(DeviceCallback callback, void* context) {
    eventCallback_ = callback;
    eventContext_ = context;
}

bool USBDevice::getDriverVersion(VersionInfo& out) {
    std::memset(&out, 0, sizeof out);
    if (!isOpen()) return false;
    uint8_t packed[4] = {0, 0, 0, 0};
    if (!readControl(IOCTL_DRIVER_VERSION, packed, sizeof packed)) return false;
    decodeDriverVersion(readLe32(packed), out);
    return true;
}

bool USBDevice::getFirmwareVersion(VersionInfo& out) {
    std::memset(&out, 0, sizeof out);
    if (!isOpen()) return false;
    DeviceRequest version = makeRequest(CMD_FIRMWARE_VERSION);
    if (!sendCommand(version, true)) return false;
    decodeFirmwareVersion(readLe32(version.data), out);
    DeviceRequest name = makeRequest(CMD_FIRMWARE_NAME);
    if (sendCommand(name, true)) setFirmwareName(out, name.data);
    return true;
}

bool USBDevice::setDigitalOutSelector(uint8_t selector) {
    DeviceRequest request = makeRequest(CMD_SET_DIGITAL_OUT_SELECTOR);
    writeLe32(request.data, selector);
    return sendCommand(request, false);
}

bool USBDevice::readCpldBit(uint8_t bit) {
    DeviceRequest request = makeRequest(CMD_READ_CPLD);
    if (!sendCommand(request, false)) return false;
    return (request.data[0] & bit) != 0;
}

bool USBDevice::setCpldBit(uint8_t bit, bool on) {
    DeviceRequest request = makeRequest(CMD_READ_CPLD);
    if (!sendCommand(request, false)) return false;
    // Read-modify-write in the same buffer: only the one bit changes.
    request.command = CMD_WRITE_CPLD;
    if (on)
        request.data[0] = uint8_t(request.data[0] | bit);
    else
        request.data[0] = uint8_t(request.data[0] & ~bit);
    return sendCommand(request, false);
}

bool USBDevice::getCpldMixOutSel() { return readCpldBit(CPLD_MIX_OUT_SEL); }
bool USBDevice::getCpldDigitalMon() { return readCpldBit(CPLD_DIGITAL_MON); }
bool USBDevice::setVelCpldMixOutSel(bool on) { return setCpldBit(CPLD_MIX_OUT_SEL, on); }
bool USBDevice::setVelCpldDigitalMon(bool on) { return setCpldBit(CPLD_DIGITAL_MON, on); }

bool USBDevice::getConfiguration(int32_t config[5]) {
    DeviceRequest request = makeRequest(CMD_GET_CONFIGURATION);
    if (!sendCommand(request, true)) return false;
    for (int i = 0; i < 5; ++i) config[i] = replyWord(request, size_t(i) * 4);
    return true;
}

bool USBDevice::setConfiguration(const int32_t config[5], int32_t answer[5]) {
    DeviceRequest request = makeRequest(CMD_SET_CONFIGURATION);
    for (int i = 0; i < 5; ++i) writeLe32(request.data + i * 4, uint32_t(config[i]));
    if (!sendCommand(request, true)) return false;
    for (int i = 0; i < 5; ++i) answer[i] = replyWord(request, size_t(i) * 4);
    return true;
}

int32_t USBDevice::getLatencyName(int32_t index, char* text256) {
    DeviceRequest request = makeRequest(CMD_SELECT_LATENCY_ENTRY);
    writeLe32(request.data, uint32_t(index));
    if (!sendCommand(request, true)) return 0;
    const int32_t entry = replyWord(request);
    if (entry == 0) return 0;
    // Command 12 goes out in the same buffer: offset 4 still holds the reply.
    request.command = CMD_LATENCY_ENTRY_TEXT;
    if (!sendCommand(request, true)) return 0;
    if (text256) copyLatencyText(request, text256);
    return entry;
}

int32_t USBDevice::getLatency() {
    DeviceRequest request = makeRequest(CMD_GET_LATENCY);
    return sendCommand(request, true) ? replyWord(request) : 0;
}

int32_t USBDevice::setLatency(int32_t index) {
    DeviceRequest request = makeRequest(CMD_SET_LATENCY);
    writeLe32(request.data, uint32_t(index));
    return sendCommand(request, true) ? replyWord(request) : 0;
}

int32_t USBDevice::getClockMode() {
    DeviceRequest request = makeRequest(CMD_GET_CLOCK_MODE);
    return sendCommand(request, true) ? replyWord(request) : -1;
}

int32_t USBDevice::setClockMode(int32_t mode) {
    DeviceRequest request = makeRequest(CMD_SET_CLOCK_MODE);
    writeLe32(request.data, uint32_t(mode));
    return sendCommand(request, true) ? replyWord(request) : -1;
}

bool USBDevice::getClockStatus(int32_t& status, int32_t& second) {
    DeviceRequest request = makeRequest(CMD_GET_CLOCK_STATUS);
    if (!sendCommand(request, true)) return false;
    status = replyWord(request, 0);
    second = replyWord(request, 4);
    return true;
}

bool sendStepsToDevice(void* context, const uint8_t* steps, uint32_t length) {
    if (!context) return false;
    return static_cast<USBDevice*>(context)->writeRaw(length, steps);
}

} // namespace velmora
