// The launch trace for people whose executable does not start: with LAUNCHER_TRACE set to a
// non-empty value other than "0", every decision of the launch is written to standard error
// as one line beginning with "launcher: ". Without it nothing is written.
#pragma once

// Whether the trace is on; the environment is read once.
[[nodiscard]] bool IsTraceOn();
// Writes one trace line (a newline is added) when the trace is on.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
