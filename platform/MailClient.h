#pragma once
// Hands a mail message to the user's mail program, in place of the old Simple MAPI call: the
// desktop's "xdg-email" opens the mail program's compose window with the message filled in. The
// message travels as an argument list (never through a shell); the text fields go inside one mailto
// URI that this code percent-encodes itself, attachments as "--attach" arguments with absolute paths.
// The outcome comes back as a Simple MAPI result code. Tests replace the process runner.
#include <QString>
#include <QStringList>
#include <functional>

namespace mailclient {

// Simple MAPI result codes the program tells apart.
enum Result : int {
    Success = 0,
    UserAbort = 1,
    Failure = 2, // no mail program, no xdg-email, or the hand-over failed
    AttachmentNotFound = 11,
    AttachmentOpenFailure = 12,
    TextTooLarge = 18, // the message does not fit in an argument
};

struct Message {
    QString subject;
    QString body;
    QStringList to;
    QStringList cc;
    QStringList bcc;
    QStringList attachments; // file paths
};

// The longest mailto URI handed over (the system refuses single arguments of 128 KiB and more).
constexpr int MaxUriLength = 100000;

// "mailto:" + the To addresses joined by "," + "?cc=..&bcc=..&subject=..&body=.." (empty parts left
// out), each piece percent-encoded from UTF-8; one cc or bcc pair per address.
QString mailtoUri(const Message &message);
// The arguments for xdg-email: "--utf8", "--attach <absolute path>" per attachment, the mailto URI.
QStringList xdgEmailArguments(const Message &message);

// What became of a started program.
struct RunOutcome {
    bool started = false;
    bool finished = false; // false: still running when the wait ended (it is left running)
    int exitCode = 0;
};
// Runs the program with the arguments and waits for it (a nested event loop without user input, up to
// the time-out); the default starts a process.
using Runner = std::function<RunOutcome(const QString &program, const QStringList &arguments)>;
// Installs a runner (an empty one restores the default); returns the one before.
Runner setRunner(Runner runner);
// How long the default runner waits for xdg-email before leaving it to run on.
constexpr int WaitMilliseconds = 20000;

// The whole hand-over as one replaceable piece (tests answer for the mail program there, a cancel
// included); the default is the xdg-email hand-over.
using Backend = std::function<int(const Message &message)>;
Backend setBackend(Backend backend);

// Hands the message over; a result code as Simple MAPI gives it. A mail program that is still
// starting when the wait ends counts as having taken the message.
int send(const Message &message);

// Starts a program detached from this one (no shell); false when it could not be started.
using Starter = std::function<bool(const QString &program, const QStringList &arguments)>;
Starter setStarter(Starter starter);
bool start(const QString &program, const QStringList &arguments);

// Installs a replacement of one of the seams above for its lifetime, then restores the one before
// (for tests).
template <typename Seam, Seam (*Install)(Seam)> class Scoped {
public:
    explicit Scoped(Seam seam)
        : m_previous(Install(std::move(seam)))
    {}
    ~Scoped() { Install(std::move(m_previous)); }
    Scoped(const Scoped &) = delete;
    Scoped &operator=(const Scoped &) = delete;

private:
    Seam m_previous;
};
using ScopedRunner = Scoped<Runner, &setRunner>;
using ScopedBackend = Scoped<Backend, &setBackend>;
using ScopedStarter = Scoped<Starter, &setStarter>;

} // namespace mailclient
