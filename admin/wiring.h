#pragma once

namespace kvo::admin {
class TFmain;
// Binds every menu item and toolbar button to its window.
void wireWindows(TFmain &main);
} // namespace kvo::admin
