#include "platform/ResourceLimits.h"

#include <sys/resource.h>

namespace resourcelimits {

namespace {

int resourceOf(Kind kind)
{
    return kind == Kind::OpenFiles ? RLIMIT_NOFILE : RLIMIT_AS;
}

quint64 fromSystem(rlim_t value)
{
    return value == RLIM_INFINITY ? Unlimited : quint64(value);
}

rlim_t toSystem(quint64 value)
{
    return value == Unlimited ? RLIM_INFINITY : rlim_t(value);
}

} // namespace

Access processAccess()
{
    return {[](Kind kind, Limit &limit) {
                rlimit r{};
                if (getrlimit(resourceOf(kind), &r) != 0)
                    return false;
                limit = {fromSystem(r.rlim_cur), fromSystem(r.rlim_max)};
                return true;
            },
            [](Kind kind, quint64 soft) {
                rlimit r{};
                if (getrlimit(resourceOf(kind), &r) != 0)
                    return false;
                r.rlim_cur = toSystem(soft);
                return setrlimit(resourceOf(kind), &r) == 0;
            }};
}

QList<Shortfall> prepare(const Access &access)
{
    QList<Shortfall> shortfalls;
    for (const auto &[kind, needed] :
         {std::pair{Kind::OpenFiles, NeededOpenFiles}, std::pair{Kind::AddressSpace, NeededAddressSpace}}) {
        Limit limit;
        if (!access.get(kind, limit) || limit.soft >= needed)
            continue;
        // the hard limit may leave room the soft one does not give
        if (limit.hard > limit.soft && access.setSoft(kind, limit.hard))
            limit.soft = limit.hard;
        if (limit.soft < needed)
            shortfalls.append({kind, limit.soft, needed});
    }
    return shortfalls;
}

} // namespace resourcelimits
