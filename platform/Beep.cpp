#include "platform/Beep.h"

#include <QApplication>

namespace {
std::function<void()> &hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void beep::message()
{
    if (hook())
        hook()();
    else
        QApplication::beep();
}

std::function<void()> beep::setHook(std::function<void()> value)
{
    std::function<void()> previous = std::move(hook());
    hook() = std::move(value);
    return previous;
}
