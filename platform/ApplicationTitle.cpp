#include "platform/ApplicationTitle.h"

namespace applicationtitle {

namespace {
QString g_title;
}

QString get()
{
    return g_title;
}

void set(const QString &title)
{
    g_title = title;
}

} // namespace applicationtitle
