#pragma once
// Guards for the seams a test installs (the dialog runner, which answers every dialog and message box,
// store folder, locale override, codecs, the file-size limit): the seam is restored when the guard
// goes out of scope, on every way out of a test, an ASSERT's early return included, so a failing
// test never leaves its seam (and the locals it holds) installed for the next one.
//
//     const auto runner = testsupport::restoringPrevious(dialogrunner::setRunner, [&](QDialog &d) {...});
//     const auto folder = testsupport::restoringDefault(platformstore::setFolder, dir.path());
//
// In a fixture the guards are members declared after what they refer to, so they go first.
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <type_traits>
#include <utility>

namespace testsupport {

// Runs its restore action once, when it goes out of scope.
class SeamGuard {
public:
    explicit SeamGuard(std::function<void()> restore)
        : m_restore(std::move(restore))
    {}
    ~SeamGuard()
    {
        if (m_restore)
            m_restore();
    }
    SeamGuard(const SeamGuard &) = delete;
    SeamGuard &operator=(const SeamGuard &) = delete;

private:
    std::function<void()> m_restore;
};

// Installs value through a setter that answers the value it replaces; that value comes back.
template <typename Value, typename Previous>
[[nodiscard]] SeamGuard restoringPrevious(Previous (*set)(Value), std::decay_t<Value> value)
{
    return SeamGuard([set, previous = set(std::move(value))]() mutable { set(std::move(previous)); });
}

// Installs value through a setter whose empty value is the program's own behaviour; that comes back.
template <typename Value> [[nodiscard]] SeamGuard restoringDefault(void (*set)(Value), std::decay_t<Value> value)
{
    set(std::move(value));
    return SeamGuard([set] { set(std::decay_t<Value>{}); });
}

// Limits the size of the files the process writes to bytes, with SIGXFSZ handled by handler (by
// default ignored, so that a write past the limit fails instead of ending the test program; SIG_DFL
// as a program starts); both come back when the guard goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes, void (*handler)(int) = SIG_IGN);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    // False when the limit could not be set (the test asserts it).
    bool active() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_ERR;
    bool m_active = false;
};

} // namespace testsupport
