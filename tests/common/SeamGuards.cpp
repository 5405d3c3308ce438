#include "common/SeamGuards.h"

#include <csignal>

namespace testsupport {

FileSizeLimit::FileSizeLimit(rlim_t bytes, void (*handler)(int))
{
    if (::getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
        return;
    m_previousHandler = std::signal(SIGXFSZ, handler);
    rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_active)
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
    if (m_previousHandler != SIG_ERR)
        std::signal(SIGXFSZ, m_previousHandler);
}

} // namespace testsupport
