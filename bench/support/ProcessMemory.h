#pragma once
// Memory of this process and the processes it started (the browser engine's
// helpers), read from /proc: proportional set size, so pages shared between
// them are counted once in the sum.

#include <QByteArray>
#include <QtGlobal>
#include <map>

namespace bench {

// PSS of one process in kB (0 when it cannot be read).
long PssKb(qint64 pid);
// PSS in kB of this process and each of its descendants, by pid.
std::map<qint64, long> ProcessTreePss();
// A short name for a process: its program and its "--type=" argument.
QByteArray ProcessName(qint64 pid);

} // namespace bench
