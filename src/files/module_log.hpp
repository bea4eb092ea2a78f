#pragma once
// The one writer of the module's log, the text file beside the module
// (speedometer.log for speedometer.asi) where a player finds why the module
// refused to run, skipped a site or ignored a setting. The file is UTF-8, so
// it can name a folder in any language. Nothing creates the file unless there
// is a line to write; the first line after the module is loaded empties it
// and puts the release above it (log_first_line), so it tells about the last
// load that had something to say, and which release that was.

// Writes one line, formatted as printf does, to the log and passes the same
// line to OutputDebugStringA. Lines longer than 511 bytes are cut, before the
// UTF-8 character the cut would split. Each line
// is appended in one write to a file opened for appending only, so two
// writers' lines never interleave. Allocates nothing; not for per-frame use
// (it opens the file each time).
void log_line(const char* format, ...) __attribute__((format(ms_printf, 1, 2)));

// What the log starts with at each load: the module's release.
inline constexpr char log_first_line[] = "speedometer " SPEEDOMETER_VERSION "\r\n";

// Lets the next line start the log afresh, as at a new load.
void restart_log_for_testing();
