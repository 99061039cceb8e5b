#pragma once

// How the command-line modes end, as the manual page lists it. Here, not
// in finder/cli, so the help text can say them too.
namespace ExitStatus {
// --help or --version printed what was asked.
inline constexpr int Printed = 0;
// --list found devices; --watch was stopped by SIGINT or SIGTERM.
inline constexpr int Found = 0;
inline constexpr int Stopped = Found;
inline constexpr int NoneFound = 1;
// The command line, the plan, the socket or the request failed.
inline constexpr int Failed = 2;
// With --expect: a planned device did not answer.
inline constexpr int Missing = 3;
inline constexpr int WriteFailed = 4;
// A signal's run ends with 128 + its number, as a shell reports it.
inline constexpr int SignalBase = 128;
} // namespace ExitStatus
