#include "browser/IEBrowserFlags.h"

#include <array>

namespace {

constexpr std::array<quint32, 19> DownloadMembers = {DLCTL_DLIMAGES,
                                                     DLCTL_VIDEOS,
                                                     DLCTL_BGSOUNDS,
                                                     DLCTL_NO_SCRIPTS,
                                                     DLCTL_NO_JAVA,
                                                     DLCTL_NO_RUNACTIVEXCTLS,
                                                     DLCTL_NO_DLACTIVEXCTLS,
                                                     DLCTL_DOWNLOADONLY,
                                                     DLCTL_NO_FRAMEDOWNLOAD,
                                                     DLCTL_RESYNCHRONIZE,
                                                     DLCTL_PRAGMA_NO_CACHE,
                                                     DLCTL_NO_BEHAVIORS,
                                                     DLCTL_NO_METACHARSET,
                                                     DLCTL_URL_ENCODING_DISABLE_UTF8,
                                                     DLCTL_URL_ENCODING_ENABLE_UTF8,
                                                     DLCTL_FORCEOFFLINE,
                                                     DLCTL_NO_CLIENTPULL,
                                                     DLCTL_SILENT,
                                                     DLCTL_OFFLINE};
constexpr std::array<quint32, 17> UserInterfaceMembers = {DIALOG,
                                                          DISABLE_HELP_MENU,
                                                          NO3DBORDER,
                                                          SCROLL_NO,
                                                          DISABLE_SCRIPT_INACTIVE,
                                                          OPENNEWWIN,
                                                          DISABLE_OFFSCREEN,
                                                          FLAT_SCROLLBAR,
                                                          DIV_BLOCKDEFAULT,
                                                          ACTIVATE_CLIENTHIT_ONLY,
                                                          OVERRIDEBEHAVIORFACTORY,
                                                          CODEPAGELINKEDFONTS,
                                                          URL_ENCODING_DISABLE_UTF8,
                                                          URL_ENCODING_ENABLE_UTF8,
                                                          ENABLE_FORMS_AUTOCOMPLETE,
                                                          ENABLE_INPLACE_NAVIGATION,
                                                          IME_ENABLE_RECONVERSION};

template <std::size_t N> quint32 sumOfMembers(quint32 set, const std::array<quint32, N> &members)
{
    quint32 word = 0;
    for (quint32 m : members)
        if (set & m)
            word += m;
    return word;
}
} // namespace

quint32 downloadFlagWord(TDownloadControlOptions options)
{
    return sumOfMembers(options.toInt(), DownloadMembers);
}

quint32 userInterfaceFlagWord(TUserInterfaceOptions options)
{
    return sumOfMembers(options.toInt(), UserInterfaceMembers);
}
