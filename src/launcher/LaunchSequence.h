#pragma once

// Runs the application described by pldr's settings through phost: exports, options, class
// path, runtime search, JVM creation, properties, version bounds, callback, main class.
// Returns 0 or the number of the message printed on standard error (1 for an exception out
// of main, with no message of its own).
[[nodiscard]] int RunApplication(int argc, char** argv, void (*callback)());
