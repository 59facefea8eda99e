#pragma once

/** Exit codes of vesperline-host. */
namespace ExitCodes
{
    constexpr int success = 0;
    constexpr int runtimeFailure = 1;
    constexpr int usageError = 2;
}
