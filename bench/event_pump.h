#pragma once

#include <functional>

// Runs the window thread's event loop, as the finder's own would, until
// done() holds or timeoutMs passes. False on the timeout.
bool pumpUntil(const std::function<bool()> &done, int timeoutMs);

// Runs the event loop for ms milliseconds.
void pumpFor(int ms);
