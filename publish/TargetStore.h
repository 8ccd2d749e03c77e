// The publish target of each project group, kept in "Publish.ini" in the
// user's data folder (never in the project file, which people share).
// Passwords are not kept here: they live in the desktop's key store
// (platform/KeyStore.h) under keyStoreAccount().
#pragma once

#include "publish/Target.h"

#include <optional>
#include <string>

namespace publish {

// The stored target of `group`; nothing when none was saved.
std::optional<Target> loadTarget(const std::string& group);
// Stores `target` for `group` (its password is left out).
void saveTarget(const std::string& group, const Target& target);

// The key-store account of a target's password: "sftp://user@host:port".
std::string keyStoreAccount(const Target& target);
inline constexpr const char* kKeyStoreService = "Quillmere publish";

} // namespace publish
