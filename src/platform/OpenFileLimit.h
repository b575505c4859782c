#pragma once

// A line of converters served from one process needs a descriptor or three
// per port, more than the soft open-file limit many systems start a program
// with (1024) allows for a few hundred ports.
namespace OpenFileLimit {
// Raises the process's soft limit on open files to its hard limit where the
// system allows it; nothing happens where there is no such limit (Windows) or
// the system refuses. Returns the soft limit in force afterwards, or -1 where
// there is none.
long RaiseToHard() noexcept;
} // namespace OpenFileLimit
