#pragma once
#include <windows.h>

#include <string>

namespace parlo::e2e {

// Folder of the scenario screenshots: <build>\e2e-shots.
std::string ShotsDir();

// Captures the whole screen (or, with a crop, that part of it in screen coordinates) into
// <build>\e2e-shots\<name>.png and returns the file's path. Throws DriverError on failure.
std::string TakeScreenshot(const std::string& name);
std::string TakeScreenshot(const std::string& name, const RECT& crop);
// The window's outer bounds and a small margin, clipped to the screen.
std::string TakeWindowShot(const std::string& name, HWND window);

// Encodes 24-bit RGB rows (top row first, no padding) as a PNG file's bytes.
std::string EncodePng(const std::string& rgb, int width, int height);

}  // namespace parlo::e2e
