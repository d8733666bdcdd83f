// The runtime error report and the debug stop, shared by the platforms'
// fault files. Everything here may run inside a fault handler, so output
// goes through the platform's raw reads and writes, never through stdio.
#pragma once

#include <cstddef>
#include <string_view>

namespace fault_report {

// The platform's raw standard streams (posix_faults.cpp, win32_faults.cpp):
// the byte count moved, or 0 or less on failure.
long RawWrite(int fd, const char* data, std::size_t size);
long RawRead(int fd, char* data, std::size_t size);

// Ends the process after an exception nothing caught, once it has been
// reported: the runtime's abort where that says nothing more (SIGABRT on
// Linux, with its core dump); on Windows, whose C runtime would pop a box of
// its own, the same status 3 without it.
[[noreturn]] void EndAfterUncaught();

// The words every fatal report starts with.
inline constexpr std::string_view kReportPrefix = "Quarry Runtime Error : ";

// The report as a player without a console sees it (a message box on
// Windows, nothing where there is a console): the prefix, the message, and
// what to do next.
void ShowReport(const char* message, std::size_t size);

// Prints "Quarry Runtime Error : " and the message, then holds in the debug
// stop until its commands end the process. `fromFault` ends it without
// running exit handlers, which are not safe inside a fault handler.
[[noreturn]] void ReportForever(const char* message, std::size_t size, bool fromFault);

// Makes an exception that nothing catches (outside the guarded calls into
// the game, or on a worker thread) say what it was, on standard error and,
// without a console, in the platform's message box, before the process
// ends as an abort does (EndAfterUncaught).
void InstallTerminateReport();

}  // namespace fault_report
