// The limits the web engine needs: a soft limit below the need raised to the hard one, what the hard
// limits leave short answered, and the process's own open-files limit raised for real.
#include "platform/ResourceLimits.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>

using namespace resourcelimits;

namespace {

// Limits kept in a table; a set that the table refuses (refuse) fails as setrlimit does.
struct FakeLimits {
    std::map<Kind, Limit> limits;
    bool refuse = false;
    QList<std::pair<Kind, quint64>> sets;
    Access access()
    {
        return {[this](Kind kind, Limit &limit) {
                    const auto it = limits.find(kind);
                    if (it == limits.end())
                        return false;
                    limit = it->second;
                    return true;
                },
                [this](Kind kind, quint64 soft) {
                    sets.append({kind, soft});
                    if (refuse || soft > limits[kind].hard)
                        return false;
                    limits[kind].soft = soft;
                    return true;
                }};
    }
};

constexpr quint64 GiB = quint64(1) << 30;

} // namespace

TEST(ResourceLimits, ASoftLimitBelowTheNeedIsRaisedToTheHardOne)
{
    FakeLimits fake;
    fake.limits = {{Kind::OpenFiles, {40, 4096}}, {Kind::AddressSpace, {GiB, Unlimited}}};
    EXPECT_TRUE(prepare(fake.access()).isEmpty());
    EXPECT_EQ(fake.limits[Kind::OpenFiles].soft, 4096u);
    EXPECT_EQ(fake.limits[Kind::AddressSpace].soft, Unlimited);

    // limits that leave room are left as they are
    fake.sets.clear();
    fake.limits = {{Kind::OpenFiles, {1024, 524288}}, {Kind::AddressSpace, {Unlimited, Unlimited}}};
    EXPECT_TRUE(prepare(fake.access()).isEmpty());
    EXPECT_TRUE(fake.sets.isEmpty());
    EXPECT_EQ(fake.limits[Kind::OpenFiles].soft, 1024u);
}

TEST(ResourceLimits, WhatTheHardLimitsLeaveShortIsAnswered)
{
    FakeLimits fake;
    // as "ulimit -n 40" and "ulimit -v 1500000" leave them: soft and hard alike
    fake.limits = {{Kind::OpenFiles, {40, 40}},
                   {Kind::AddressSpace, {1500000 * quint64(1024), 1500000 * quint64(1024)}}};
    EXPECT_EQ(prepare(fake.access()),
              QList<Shortfall>({{Kind::OpenFiles, 40, NeededOpenFiles},
                                {Kind::AddressSpace, 1500000 * quint64(1024), NeededAddressSpace}}));
    EXPECT_TRUE(fake.sets.isEmpty()) << "nothing to raise to";

    // a hard limit above the soft one but still below the need: raised, and still short
    fake.limits = {{Kind::OpenFiles, {40, 100}}, {Kind::AddressSpace, {16 * GiB, 32 * GiB}}};
    EXPECT_EQ(prepare(fake.access()), QList<Shortfall>({{Kind::OpenFiles, 100, NeededOpenFiles},
                                                        {Kind::AddressSpace, 32 * GiB, NeededAddressSpace}}));

    // a raise the system refuses leaves the soft limit
    fake.refuse = true;
    fake.limits = {{Kind::OpenFiles, {40, 4096}}};
    EXPECT_EQ(prepare(fake.access()), QList<Shortfall>({{Kind::OpenFiles, 40, NeededOpenFiles}}));

    // a limit that cannot be read is not reported
    fake.limits.clear();
    EXPECT_TRUE(prepare(fake.access()).isEmpty());
}

TEST(ResourceLimits, TheProcessesOwnOpenFilesLimitIsRaised)
{
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    if (before.rlim_max == RLIM_INFINITY || before.rlim_max < NeededOpenFiles)
        GTEST_SKIP() << "the hard limit on open files (" << before.rlim_max << ") cannot be given as a soft one";
    rlimit lowered = before;
    lowered.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const QList<Shortfall> shortfalls = prepare();
    rlimit after{};
    getrlimit(RLIMIT_NOFILE, &after);
    setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(after.rlim_cur, before.rlim_max);
    for (const Shortfall &s : shortfalls)
        EXPECT_NE(s.kind, Kind::OpenFiles);
}
