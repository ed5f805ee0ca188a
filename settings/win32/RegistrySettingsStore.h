// The settings record in the per-user registry:
// HKEY_CURRENT_USER\Software\<company>\<application>\velpanel, binary value
// "VelConfig". Every key level is opened on each access: for reading only
// when reading, created where missing when writing. A value of any type but
// REG_BINARY counts as unreadable.
#pragma once

#include "settings/PreferenceStore.h"
#include "settings/SettingsStore.h"

#include <string>

namespace velmora {

// The on/off preferences live beside the record, as REG_DWORD values of the
// same section.
class RegistrySettingsStore : public SettingsStore, public PreferenceStore {
public:
    // `application` null: the executable's base name without its extension.
    explicit RegistrySettingsStore(const char* company = "Qor", const char* application = nullptr);

    bool querySize(uint32_t& size) override;
    bool readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) override;
    bool writeBytes(const uint8_t* bytes, uint32_t size) override;
    // "HKEY_CURRENT_USER\Software\<company>\<application>\velpanel".
    std::string location() const override;

    bool readFlag(const char* name, bool& value) override;
    bool writeFlag(const char* name, bool value) override;
    bool readText(const char* name, std::string& value) override;
    bool writeText(const char* name, const std::string& value) override;
    bool erase(const char* name) override;

    const std::string& company() const { return company_; }
    const std::string& application() const { return application_; }
    // "Software\<company>\<application>\velpanel", below HKEY_CURRENT_USER.
    std::string sectionPath() const;

    static constexpr const char* SECTION = "velpanel";
    static constexpr const char* VALUE_NAME = "VelConfig";

    // The running executable's file name without folder and extension.
    static std::string executableBaseName();

private:
    std::string company_;
    std::string application_;
};

} // namespace velmora
