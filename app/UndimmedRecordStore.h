// The settings store as the main window writes through it while the monitor
// pair may be dimmed: every record written reaches the store with the user's
// levels in place of the dimmed ones (MonitorDim::storedForm), and a record
// whose pair was changed by anyone ends the dim at its new levels. Reads and
// everything else go to the store unchanged.
#pragma once

#include "app/MonitorDim.h"
#include "settings/SettingsStore.h"

namespace velmora {

class UndimmedRecordStore : public SettingsStore {
public:
    UndimmedRecordStore(SettingsStore& store, MonitorDim& dim) : store_(store), dim_(dim) {}

    bool querySize(uint32_t& size) override { return store_.querySize(size); }
    bool readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) override {
        return store_.readBytes(buffer, capacity, size);
    }
    bool writeBytes(const uint8_t* bytes, uint32_t size) override;
    std::string location() const override { return store_.location(); }

private:
    SettingsStore& store_;
    MonitorDim& dim_;
};

} // namespace velmora
