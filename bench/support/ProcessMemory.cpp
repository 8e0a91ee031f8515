#include "ProcessMemory.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <unistd.h>

namespace bench {

namespace {

qint64 ParentOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // pid (comm) state ppid ...; comm may hold blanks, so read after ')'.
    const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return rest.value(1).toLongLong();
}

} // namespace

long PssKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLong();
    return 0;
}

std::map<qint64, long> ProcessTreePss()
{
    std::map<qint64, qint64> parents;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok)
            parents[pid] = ParentOf(pid);
    }
    std::map<qint64, long> tree;
    const qint64 self = ::getpid();
    for (const auto& [pid, parent] : parents) {
        for (qint64 p = pid; p > 1; p = parents.count(p) ? parents[p] : 0)
            if (p == self) {
                tree[pid] = PssKb(pid);
                break;
            }
    }
    return tree;
}

QByteArray ProcessName(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray cmd = f.readAll();
    cmd.replace('\0', ' ');
    const int type = cmd.indexOf("--type=");
    QByteArray name = cmd.left(cmd.indexOf(' '));
    name = name.mid(name.lastIndexOf('/') + 1);
    if (type >= 0)
        name += " " + cmd.mid(type, cmd.indexOf(' ', type) - type);
    return name;
}

} // namespace bench
