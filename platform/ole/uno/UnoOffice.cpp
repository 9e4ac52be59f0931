// The connection to the office: start, pipe, watchdog, documents shown.
#include "platform/ole/uno/UnoOffice.h"
#include "platform/core/ScopeGuard.h"

#include <QElapsedTimer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory2.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

extern char** environ;

namespace unooffice {

using namespace css;
using namespace css::uno;

namespace {

class TBridgeListener : public cppu::WeakImplHelper1<lang::XEventListener> {
public:
    explicit TBridgeListener(std::shared_ptr<std::atomic<bool>> flag) : FFlag(std::move(flag)) {}
    void SAL_CALL disposing(const lang::EventObject&) override { FFlag->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> FFlag;   // of this connection only
};

struct TState {
    std::mutex Lock;           // guards what the watchdog reads
    TOfficeOptions Options;
    Reference<XComponentContext> Local;
    Reference<lang::XComponent> Bridge;
    Reference<XComponentContext> Remote;
    Reference<frame::XDesktop2> Desk;
    // Set when the current connection has gone; each connection has its own
    // flag, so a late notice from an old one never marks a new one.
    std::shared_ptr<std::atomic<bool>> Dead = std::make_shared<std::atomic<bool>>(true);
    bool Disposed() const { return Dead->load(); }
    // The office's launcher this program started, which heads the office's
    // process group (0: none). A thread waits for it and collects it as it
    // ends (WatchChild), so no finished launcher stays in the process table;
    // Child is cleared, under Lock, before the process is reaped, so a kill
    // of the group made under Lock never reaches a process that took the id
    // later.
    std::atomic<pid_t> Child{0};
    int ChildStatus = 0;   // how the last launcher ended (wait status)
    std::condition_variable ChildGone;
    bool ChildHeadless = false;
    bool EventsEnabled = true;
    std::vector<Reference<lang::XComponent>> Hidden;
    QStringList Shown;
    int ShownCount = 0;
    qint64 LastStoreMs = 0;   // storing the documents at the last Visible, headless

    // watchdog
    std::condition_variable Wake;
    bool WatchdogStarted = false;
    int GuardDepth = 0;
    bool Armed = false;
    bool TimedOut = false;
    int TimeoutMs = 0;
    std::chrono::steady_clock::time_point Deadline;
};

// Never destroyed: remote references must not be released while the
// process tears down its statics.
TState& S()
{
    static TState* s = new TState;
    return *s;
}

bool HeadlessByOptions(const TOfficeOptions& o)
{
    if (o.Headless == TOfficeOptions::hlAlways) return true;
    if (o.Headless == TOfficeOptions::hlNever) return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString PipeName(const TOfficeOptions& o)
{
    return o.PipeName.isEmpty() ? QStringLiteral("qorvane-office-%1").arg(getuid()) : o.PipeName;
}

QString ProfileDir(const TOfficeOptions& o)
{
    if (!o.ProfileDir.isEmpty()) return o.ProfileDir;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/qorvane/office-profile");
}

QString OutputDir(const TOfficeOptions& o)
{
    if (!o.OutputDir.isEmpty()) return o.OutputDir;
    QString d = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return d.isEmpty() ? QDir::homePath() : d;
}

void WatchdogLoop()
{
    TState& s = S();
    std::unique_lock<std::mutex> l(s.Lock);
    for (;;) {
        if (!s.Armed) {
            s.Wake.wait(l);
            continue;
        }
        const auto deadline = s.Deadline;
        if (s.Wake.wait_until(l, deadline) != std::cv_status::timeout) continue;
        if (!s.Armed || s.Deadline != deadline) continue;
        // The office did not answer in time: break the connection so the
        // waiting call returns, and end an office nobody can see.
        s.Armed = false;
        s.TimedOut = true;
        s.Dead->store(true);
        Reference<lang::XComponent> bridge = s.Bridge;
        // The office first: its pipe closing lets the bridge wind down.
        if (s.ChildHeadless && s.Child > 0) ::kill(-s.Child, SIGKILL);
        l.unlock();
        try {
            if (bridge.is()) bridge->dispose();
        } catch (...) {
        }
        l.lock();
    }
}

void DropConnection()
{
    TState& s = S();
    Reference<lang::XComponent> bridge;
    {
        std::lock_guard<std::mutex> l(s.Lock);
        bridge = s.Bridge;
        s.Bridge.clear();
        s.Dead->store(true);
    }
    s.Desk.clear();
    s.Remote.clear();
    s.Hidden.clear();
    try {
        if (bridge.is()) bridge->dispose();
    } catch (...) {
    }
}

// Ends a launcher no thread watches (none could be started) and collects it.
void KillChildUnwatched(pid_t pid)
{
    TState& s = S();
    std::lock_guard<std::mutex> l(s.Lock);
    ::kill(-pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    s.Child = 0;
}

// Waits in a thread of its own for the launcher to end, then notes the end
// and collects the process (see TState::Child).
void WatchChild(pid_t pid)
{
    std::thread([pid] {
        TState& s = S();
        siginfo_t info{};
        while (::waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
        }
        {
            std::lock_guard<std::mutex> l(s.Lock);
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (s.Child == pid) {
                s.Child = 0;
                s.ChildStatus = status;
            }
        }
        s.ChildGone.notify_all();
    }).detach();
}

// Whether the started office's launcher has ended (always, when there is
// none), and how.
bool ChildEnded(int* status = nullptr)
{
    TState& s = S();
    std::lock_guard<std::mutex> l(s.Lock);
    if (s.Child > 0) return false;
    if (status) *status = s.ChildStatus;
    return true;
}

// Waits up to Ms for the launcher to end; true when it has.
bool WaitChildEnd(int Ms)
{
    TState& s = S();
    std::unique_lock<std::mutex> l(s.Lock);
    return s.ChildGone.wait_for(l, std::chrono::milliseconds(Ms), [&] { return s.Child <= 0; });
}

// Ends the started office, its whole process group, and waits until its
// launcher is collected.
void KillChild()
{
    TState& s = S();
    std::unique_lock<std::mutex> l(s.Lock);
    const pid_t pid = s.Child;
    if (pid <= 0) return;
    ::kill(-pid, SIGKILL);
    s.ChildGone.wait(l, [&] { return s.Child != pid; });
}

bool TryPipe(const QString& pipe)
{
    TState& s = S();
    Reference<connection::XConnector> connector = connection::Connector::create(s.Local);
    Reference<connection::XConnection> conn;
    try {
        conn = connector->connect(OU(QStringLiteral("pipe,name=") + pipe));
    } catch (const connection::NoConnectException&) {
        return false;
    }
    Reference<bridge::XBridgeFactory2> factory = bridge::BridgeFactory::create(s.Local);
    Reference<bridge::XBridge> br = factory->createBridge(rtl::OUString(), "urp", conn, Reference<bridge::XInstanceProvider>());
    Reference<lang::XComponent> comp(br, UNO_QUERY_THROW);
    auto dead = std::make_shared<std::atomic<bool>>(false);
    {
        std::lock_guard<std::mutex> l(s.Lock);
        s.Bridge = comp;
        s.Dead = dead;
    }
    comp->addEventListener(new TBridgeListener(dead));
    try {
        TCallGuard guard(15000);
        s.Remote.set(br->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
        s.Desk = frame::Desktop::create(s.Remote);
    } catch (const lang::DisposedException&) {
        // An office that is going away (ended after it stopped answering)
        // still took the connection: nobody answers.
        DropConnection();
        return false;
    } catch (...) {
        DropConnection();
        throw;
    }
    return true;
}

void StartOffice(const TOfficeOptions& o, const QString& pipe)
{
    TState& s = S();
    // An earlier office of ours that stopped answering is done with.
    KillChild();
    const QString profile = ProfileDir(o);
    QDir().mkpath(profile);
    const bool headless = HeadlessByOptions(o);
    std::vector<std::string> args{o.Program.toStdString()};
    if (headless) args.push_back("--headless");
    for (const char* a : {"--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck", "--nofirststartwizard"})
        args.push_back(a);
    args.push_back("-env:UserInstallation=" + QUrl::fromLocalFile(QFileInfo(profile).absoluteFilePath()).toString(QUrl::FullyEncoded).toStdString());
    args.push_back("--accept=pipe,name=" + pipe.toStdString() + ";urp;StarOffice.ComponentContext");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    // Its own session and process group: the office outlives this program
    // (its documents are the user's) and can be ended as a whole.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &fa, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw EOleError(QStringLiteral("The office could not be started (%1): %2").arg(o.Program, QString::fromLocal8Bit(strerror(rc))));
    {
        std::lock_guard<std::mutex> l(s.Lock);
        s.Child = pid;
        s.ChildHeadless = headless;
    }
    try {
        WatchChild(pid);
    } catch (const std::system_error& e) {
        KillChildUnwatched(pid);
        throw EOleError(QStringLiteral("The office could not be watched: %1").arg(QString::fromLocal8Bit(e.what())));
    }

    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(o.StartTimeoutMs);
    for (;;) {
        if (TryPipe(pipe)) return;
        int status = 0;
        if (ChildEnded(&status)) {
            // A start handed over to an office already running on the
            // profile ends at once with success; keep waiting for the pipe.
            if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0))
                throw EOleError(QStringLiteral("The office ended while starting (%1)")
                                    .arg(WIFEXITED(status) ? QStringLiteral("exit code %1").arg(WEXITSTATUS(status))
                                                           : QStringLiteral("signal %1").arg(WTERMSIG(status))));
        }
        if (std::chrono::steady_clock::now() >= until) {
            KillChild();
            throw EOleError(QStringLiteral("The office did not answer within %1 s of its start").arg(o.StartTimeoutMs / 1000));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void EnsureLocal()
{
    TState& s = S();
    if (s.Local.is()) return;
    // The office is reached over a socket: an office that dies while a call
    // is written must give an error, not end this program with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    // The office API types beyond the runtime's own: without them the first
    // call on an office interface fails.
    rtl::Bootstrap::set("URE_MORE_TYPES", "file://" QORVANE_LO_PROGRAM "/types/offapi.rdb");
    s.Local = cppu::defaultBootstrap_InitialComponentContext();
    std::lock_guard<std::mutex> l(s.Lock);
    if (!s.WatchdogStarted) {
        s.WatchdogStarted = true;
        std::thread(WatchdogLoop).detach();
    }
}

uno::Sequence<beans::PropertyValue> StoreArgs(const char* filter)
{
    uno::Sequence<beans::PropertyValue> a(2);
    a.getArray()[0].Name = "FilterName";
    a.getArray()[0].Value <<= rtl::OUString::createFromAscii(filter);
    a.getArray()[1].Name = "Overwrite";
    a.getArray()[1].Value <<= true;
    return a;
}

}  // namespace

// ------------------------------------------------------------------ connection

bool Connect(bool Start)
{
    TState& s = S();
    if (s.Desk.is() && !s.Disposed()) return true;
    if (s.Desk.is() || s.Bridge.is()) DropConnection();
    const TOfficeOptions o = OfficeOptions();
    const QString pipe = PipeName(o);
    try {
        EnsureLocal();
        if (TryPipe(pipe)) return true;
        if (!Start) return false;
        StartOffice(o, pipe);
        return true;
    } catch (...) {
        RethrowAsOleError(QStringLiteral("LibreOffice"));
    }
}

Reference<frame::XDesktop2> Desktop()
{
    TState& s = S();
    if (!s.Desk.is() || s.Disposed()) throw EOleError(QStringLiteral("The connection to the office is lost"));
    return s.Desk;
}

void AddHiddenDocument(const Reference<lang::XComponent>& Doc) { S().Hidden.push_back(Doc); }

void ForgetDocument(const Reference<lang::XComponent>& Doc)
{
    auto& h = S().Hidden;
    for (auto it = h.begin(); it != h.end(); ++it)
        if (*it == Doc) {
            h.erase(it);
            return;
        }
}

void ShowHiddenDocuments()
{
    TState& s = S();
    const TOfficeOptions o = OfficeOptions();
    const bool headless = s.Child > 0 ? s.ChildHeadless : HeadlessByOptions(o);
    std::vector<Reference<lang::XComponent>> docs;
    docs.swap(s.Hidden);
    QElapsedTimer storing;
    storing.start();
    s.LastStoreMs = 0;
    for (const auto& doc : docs) {
        Reference<frame::XModel> model(doc, UNO_QUERY);
        if (!model.is()) continue;
        if (headless) {
            // Nobody can see a window of this office: the document goes to a
            // file the user can open, and the office lets it go.
            const QString dir = OutputDir(o);
            QDir().mkpath(dir);
            QString file;
            const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            // A workbook as .xlsx, a word-processor document as .docx (or
            // .ods and .odt).
            const bool text = Reference<text::XTextDocument>(doc, UNO_QUERY).is(), own = o.StoreOwnFormat;
            const QString kind = text ? QStringLiteral("Document") : QStringLiteral("Workbook");
            const QString ext = own ? (text ? QStringLiteral("odt") : QStringLiteral("ods"))
                                    : (text ? QStringLiteral("docx") : QStringLiteral("xlsx"));
            for (int n = 0;; ++n) {
                file = QStringLiteral("%1/%2-%3%4.%5").arg(dir, kind, stamp, n ? QStringLiteral("-%1").arg(n) : QString(), ext);
                if (!QFileInfo::exists(file)) break;
            }
            Reference<frame::XStorable>(doc, UNO_QUERY_THROW)
                ->storeToURL(OU(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)),
                             StoreArgs(own ? (text ? "writer8" : "calc8") : (text ? "MS Word 2007 XML" : "Calc MS Excel 2007 XML")));
            s.Shown.append(file);
            ++s.ShownCount;
            s.LastStoreMs = storing.elapsed();
            try {
                Reference<util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
            } catch (const lang::DisposedException&) {
            }
            continue;
        }
        Reference<frame::XController> ctl = model->getCurrentController();
        Reference<frame::XFrame> frame = ctl.is() ? ctl->getFrame() : Reference<frame::XFrame>();
        Reference<awt::XWindow> win = frame.is() ? frame->getContainerWindow() : Reference<awt::XWindow>();
        if (!win.is()) continue;
        win->setVisible(true);
        Reference<awt::XTopWindow> top(win, UNO_QUERY);
        if (top.is()) top->toFront();
    }
}

OleVariant TOfficeApplication::SharedMember(IDispatch::TInvokeKind k, const QString& n, const OleArgs& a, const OleVariant& v)
{
    if (ole::Is(n, "Visible")) {
        if (k == IDispatch::TInvokeKind::Put) {
            FVisible = v.ToBool();
            if (FVisible) ShowHiddenDocuments();
            return {};
        }
        return OleVariant(FVisible);
    }
    if (ole::Is(n, "Run")) return RunMacro(this, a);
    if (ole::Is(n, "Quit")) return QuitOffice(), OleVariant();
    if (ole::Is(n, "Name")) return OleVariant(FName);
    ole::UnknownMember(this, n);
}

void NeedArgs(const IDispatch* o, const QString& name, const OleArgs& a, size_t lo, size_t hi)
{
    if (a.size() < lo || a.size() > hi) ole::BadArguments(o, name);
}

QString DocumentFileName(const Reference<lang::XComponent>& Doc)
{
    return QUrl(QS(Reference<frame::XModel>(Doc, UNO_QUERY_THROW)->getURL())).toLocalFile();
}

namespace {

QString FileUrl(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

beans::PropertyValue Prop(const char* name, const Any& v)
{
    beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = v;
    return p;
}

}  // namespace

QString ExistingFileUrl(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.isFile()) throw EOleError(QStringLiteral("The file \"%1\" could not be found").arg(path));
    // The office would make a new document of an empty file; the automation
    // servers it stands in for refuse one.
    if (fi.size() == 0) throw EOleError(QStringLiteral("The file \"%1\" is empty: it is no document").arg(path));
    return FileUrl(path);
}

Reference<lang::XComponent> LoadHidden(const QString& url, bool asTemplate, bool readOnly)
{
    std::vector<beans::PropertyValue> p{Prop("Hidden", Any(true))};
    if (asTemplate) {
        // Template macros are the installation's own code.
        p.push_back(Prop("AsTemplate", Any(true)));
        p.push_back(Prop("MacroExecutionMode", Any(document::MacroExecMode::ALWAYS_EXECUTE_NO_WARN)));
    }
    if (readOnly) p.push_back(Prop("ReadOnly", Any(true)));
    return Desktop()->loadComponentFromURL(OU(url), "_blank", 0, Sequence<beans::PropertyValue>(p.data(), sal_Int32(p.size())));
}

OleVariant TOfficeDocuments::Invoke(IDispatch::TInvokeKind, const QString& n, const OleArgs& a, const OleVariant&)
{
    return Guarded(TypeName() + QLatin1Char('.') + n, [&]() -> OleVariant {
        if (ole::Is(n, "Add")) {
            NeedArgs(this, n, a, 0, 1);
            if (a.empty() || a[0].IsEmpty()) return Load(Factory(), false, false);
            return Load(ExistingFileUrl(a[0].ToString()), true, false);
        }
        if (ole::Is(n, "Open")) {
            NeedArgs(this, n, a, 1, 1);
            return Load(ExistingFileUrl(a[0].ToString()), false, true);
        }
        ole::UnknownMember(this, n);
    });
}

OleVariant TOfficeDocuments::Load(const QString& url, bool asTemplate, bool readOnly)
{
    Reference<lang::XComponent> doc = LoadHidden(url, asTemplate, readOnly);
    if (!Takes(doc)) {
        if (doc.is()) Reference<util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
        throw EOleError(QStringLiteral("%1: the document could not be opened: %2").arg(TypeName(), url));
    }
    if (!readOnly) AddHiddenDocument(doc);
    return OleVariant(Wrap(doc));
}

void CloseDocument(const IDispatch* Object, const Reference<lang::XComponent>& Doc, const OleArgs& a)
{
    NeedArgs(Object, QStringLiteral("Close"), a, 0, 1);
    const bool save = !a.empty() && a[0].ToBool();
    if (save) {
        if (Reference<frame::XModel>(Doc, UNO_QUERY_THROW)->getURL().isEmpty())
            throw EOleError(QStringLiteral("%1.Close: a new document has no file to be saved to").arg(Object->TypeName()));
        Reference<frame::XStorable>(Doc, UNO_QUERY_THROW)->store();
    }
    ForgetDocument(Doc);
    Reference<util::XCloseable>(Doc, UNO_QUERY_THROW)->close(true);
}

void QuitOffice()
{
    TState& s = S();
    if (s.Child <= 0 || !s.Desk.is() || s.Disposed()) return;
    // Documents of the office, shown or still hidden, keep it running.
    Reference<container::XEnumeration> docs = s.Desk->getComponents()->createEnumeration();
    if (docs->hasMoreElements()) return;
    OfficeShutdown(true);
}

bool EventsEnabled() { return S().EventsEnabled; }
void SetEventsEnabled(bool v) { S().EventsEnabled = v; }

// ------------------------------------------------------------------ watchdog

TCallGuard::TCallGuard(int timeoutMs)
{
    TState& s = S();
    std::lock_guard<std::mutex> l(s.Lock);
    if (s.GuardDepth++ > 0) return;
    s.TimeoutMs = timeoutMs > 0 ? timeoutMs : s.Options.CallTimeoutMs;
    s.TimedOut = false;
    s.Armed = true;
    s.Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.TimeoutMs);
    s.Wake.notify_all();
}

TCallGuard::~TCallGuard()
{
    TState& s = S();
    std::lock_guard<std::mutex> l(s.Lock);
    if (--s.GuardDepth > 0) return;
    s.Armed = false;
    s.Wake.notify_all();
}

void RethrowAsOleError(const QString& Context)
{
    TState& s = S();
    bool timedOut;
    int timeoutMs;
    {
        std::lock_guard<std::mutex> l(s.Lock);
        timedOut = s.TimedOut;
        timeoutMs = s.TimeoutMs;
    }
    auto fail = [&](const QString& why) -> EOleError {
        if (timedOut)
            return EOleError(QStringLiteral("%1: the office did not answer within %2 s").arg(Context).arg(timeoutMs / 1000));
        return EOleError(Context.isEmpty() ? why : Context + QStringLiteral(": ") + why);
    };
    try {
        throw;
    } catch (const ::Exception&) {
        throw;
    } catch (const lang::DisposedException&) {
        throw fail(QStringLiteral("the connection to the office is lost"));
    } catch (const uno::Exception& e) {
        throw fail(QS(e.Message).isEmpty() ? QStringLiteral("the office refused the call") : QS(e.Message));
    } catch (const std::exception& e) {
        throw fail(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        throw fail(QStringLiteral("unknown failure"));
    }
}

}  // namespace unooffice

// ------------------------------------------------------------------ public

using namespace unooffice;

void SetOfficeOptions(const TOfficeOptions& Options)
{
    std::lock_guard<std::mutex> l(S().Lock);
    S().Options = Options;
}

TOfficeOptions OfficeOptions()
{
    std::lock_guard<std::mutex> l(S().Lock);
    return S().Options;
}

bool OfficeSupported() { return true; }

bool OfficeRunning()
{
    try {
        return Connect(false);
    } catch (const EOleError&) {
        return false;
    }
}

bool OfficeHeadless()
{
    TState& s = S();
    return s.Child > 0 ? s.ChildHeadless : HeadlessByOptions(OfficeOptions());
}

QStringList OfficeShownDocuments() { return S().Shown; }
qint64 OfficeLastStoreMs() { return S().LastStoreMs; }

int OfficeProcessId() { return int(S().Child); }

void OfficeShutdown(bool Force)
{
    TState& s = S();
    const bool ours = s.Child > 0;
    const bool end = Force || (ours && s.ChildHeadless);
    if (end && s.Desk.is() && !s.Disposed()) {
        try {
            TCallGuard guard(10000);
            s.Desk->terminate();
        } catch (...) {
            // The office goes away while answering: that is the point.
        }
    }
    DropConnection();
    if (!ours || !end) return;
    if (!WaitChildEnd(10000)) KillChild();
}

namespace {

// Runs f on the stored document File, opened read-only and hidden, and
// closes it again; every failure raised as EOleError of Context.
template <class F>
auto WithStoredDocument(const QString& File, const QString& Context, F&& f) -> decltype(f(Reference<lang::XComponent>(), false))
{
    TCallGuard guard;
    try {
        Connect(true);
        Reference<lang::XComponent> doc = LoadHidden(ExistingFileUrl(File), false, true);
        auto close = Finally([&] {
            try {
                if (doc.is()) Reference<util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
            } catch (...) {
            }
        });
        return f(doc, Reference<text::XTextDocument>(doc, UNO_QUERY).is());
    } catch (...) {
        RethrowAsOleError(Context);
    }
}

}  // namespace

QString OfficeDocumentText(const QString& File)
{
    return WithStoredDocument(File, QStringLiteral("OfficeDocumentText"), [&](const Reference<lang::XComponent>& doc, bool text) {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("text.txt"));
        uno::Sequence<beans::PropertyValue> a(3);
        a.getArray()[0].Name = "FilterName";
        a.getArray()[0].Value <<= rtl::OUString::createFromAscii(text ? "Text (encoded)" : "Text - txt - csv (StarCalc)");
        a.getArray()[1].Name = "FilterOptions";
        // Spreadsheets: ";" between cells, UTF-8, cells as shown.
        a.getArray()[1].Value <<= rtl::OUString::createFromAscii(text ? "UTF8,LF" : "59,34,76,1,,0,false,true,true");
        a.getArray()[2].Name = "Overwrite";
        a.getArray()[2].Value <<= true;
        Reference<frame::XStorable>(doc, UNO_QUERY_THROW)->storeToURL(OU(QUrl::fromLocalFile(out).toString(QUrl::FullyEncoded)), a);
        QFile f(out);
        if (!f.open(QIODevice::ReadOnly)) throw EOleError(QStringLiteral("The text of %1 could not be read").arg(File));
        QString content = QString::fromUtf8(f.readAll());
        if (content.startsWith(QChar(0xFEFF))) content.remove(0, 1);
        content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return content;
    });
}

void OfficeExportPdf(const QString& File, const QString& Pdf)
{
    WithStoredDocument(File, QStringLiteral("OfficeExportPdf"), [&](const Reference<lang::XComponent>& doc, bool text) {
        Reference<frame::XStorable>(doc, UNO_QUERY_THROW)
            ->storeToURL(OU(QUrl::fromLocalFile(QFileInfo(Pdf).absoluteFilePath()).toString(QUrl::FullyEncoded)),
                         StoreArgs(text ? "writer_pdf_Export" : "calc_pdf_Export"));
    });
}

int OfficeDocumentCount()
{
    try {
        if (!Connect(false)) return 0;
        TCallGuard guard;
        Reference<container::XEnumeration> e = Desktop()->getComponents()->createEnumeration();
        int n = 0;
        for (; e->hasMoreElements(); e->nextElement()) ++n;
        return n;
    } catch (...) {
        return 0;
    }
}

namespace office {
// The servers by program identifier.
static IDispatchPtr (*ServerFactory(const QString& ProgId))()
{
    if (ole::Is(ProgId, "Excel.Application")) return NewExcelApplication;
    if (ole::Is(ProgId, "Word.Application")) return NewWordApplication;
    return nullptr;
}

bool ActiveServer(const QString& ProgId, OleVariant& Result)
{
    auto make = ServerFactory(ProgId);
    if (!make) return false;
    if (!Connect(false)) throw EOleError(QStringLiteral("Operation unavailable: %1 is not running").arg(ProgId));
    Result = OleVariant(make());
    return true;
}

bool CreateServer(const QString& ProgId, OleVariant& Result)
{
    auto make = ServerFactory(ProgId);
    if (!make) return false;
    Connect(true);
    Result = OleVariant(make());
    return true;
}
}  // namespace office
