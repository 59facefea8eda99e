#pragma once

#include <functional>

/** Waits until the condition holds or the time is up, pumping the message
    loop meanwhile when called on the message thread. Returns the condition. */
bool waitUntil (const std::function<bool()>& condition, int timeoutMs);
