// The per-user settings: the paths of the client's verdata.mul, tiledata.mul
// and radarcol.mul, under application "Quarrow", section "Palindra".
#pragma once

#include <QSettings>
#include <memory>

// The settings store, opened at the "Palindra" section.
std::unique_ptr<QSettings> OpenSettingsStore();

// Reads the three paths into the application-wide values and, when the
// radarcol path names a file, the radar colours.
void LoadSettings();
