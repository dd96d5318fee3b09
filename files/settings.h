// The three per-user values "Rec", "Rep" and "old", kept under the organisation
// "Quorbin" and the application "ZP" (~/.config/Quorbin/ZP.conf here).
#pragma once

#include <QString>

// The capacity every caller reads with: 1023 bytes of UTF-16, terminator included.
inline constexpr int SettingReadCapacity = 1023;

// Reads value name into out. Fails, leaving out empty, when the value is missing or
// it and its terminator need more than capacity bytes as UTF-16.
bool ReadSetting(const QString& name, QString& out, int capacity = SettingReadCapacity);
// Stores value under name, creating the settings on the first write. Returns whether
// it reached the disk.
bool WriteSetting(const QString& name, const QString& value);
