#include "app/UndimmedRecordStore.h"

#include <cstring>

namespace velmora {

bool UndimmedRecordStore::writeBytes(const uint8_t* bytes, uint32_t size) {
    if (size != sizeof(PanelSettings) || !bytes) return store_.writeBytes(bytes, size);
    PanelSettings record;
    std::memcpy(&record, bytes, sizeof record);
    dim_.follow(record);
    const PanelSettings stored = dim_.storedForm(record);
    return store_.writeBytes(reinterpret_cast<const uint8_t*>(&stored), sizeof stored);
}

} // namespace velmora
