#pragma once
// The process limits the web engine needs room in, checked before it starts: a limit it cannot work
// under ends its processes by a failed check (open files) or leaves them without memory to reserve
// (address space), and the program with them.
#include <QList>
#include <QtGlobal>
#include <functional>

namespace resourcelimits {

enum class Kind { OpenFiles, AddressSpace };

// A limit's soft and hard values; Unlimited for none.
struct Limit {
    quint64 soft = 0;
    quint64 hard = 0;
};
constexpr quint64 Unlimited = ~quint64(0);

// Open files the program needs: the engine takes about 60 for its first page and a few more for each
// page window (20 windows: about 110).
constexpr quint64 NeededOpenFiles = 128;
// Address space each of the engine's processes needs: it reserves about 41 GiB for its script engine
// and its memory pools at start.
constexpr quint64 NeededAddressSpace = quint64(48) << 30;

struct Shortfall {
    Kind kind;
    quint64 limit;  // the soft limit in force (bytes for the address space)
    quint64 needed; // what the engine needs
    bool operator==(const Shortfall &) const = default;
};

// How limits are read and a soft limit set: the process's own (getrlimit, setrlimit), or a test's.
struct Access {
    std::function<bool(Kind, Limit &)> get;
    std::function<bool(Kind, quint64 soft)> setSoft;
};
Access processAccess();

// Raises each soft limit that is below what the engine needs to its hard limit, where that is
// allowed, then answers what is still short (nothing for a limit that cannot be read).
QList<Shortfall> prepare(const Access &access = processAccess());

} // namespace resourcelimits
