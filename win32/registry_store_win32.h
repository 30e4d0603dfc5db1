// The settings store of the Windows programs: the current user's registry.
#pragma once

#include "settings/settings_store.h"

// The registry below HKEY_CURRENT_USER\SETTINGS_REGISTRY_ROOT, for use_settings_store.
SettingsStoreKind registry_settings_store();
