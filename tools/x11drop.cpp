// Drops a file on an X11 window the way a file manager does, over the XDND
// protocol, so that scripts can feed files to the viewer under a virtual X
// server where nobody can drag. Also checks that a window's client still
// answers, with the _NET_WM_PING round trip that window managers use.
//
// usage: x11-drop WINDOW FILE [SECONDS]   drop FILE's URL (text/uri-list) in the
//                                         middle of WINDOW and wait up to SECONDS
//                                         (default 60) for the drop to finish
//        x11-drop --ping WINDOW [SECONDS] wait up to SECONDS (default 10) for the
//                                         window's client to answer a ping
//
// Exit status: 0 done (drop taken, or ping answered), 1 drop refused,
// 2 no answer in time, 3 any other failure.

#include <poll.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kXdndVersion = 5;

bool xError = false;

int RecordXError(Display* display, XErrorEvent* error)
{
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "x11-drop: X error: %s\n", text);
    xError = true;
    return 0;
}

struct Atoms {
    explicit Atoms(Display* display)
    {
        const auto get = [display](const char* name) { return XInternAtom(display, name, False); };
        aware = get("XdndAware");
        enter = get("XdndEnter");
        position = get("XdndPosition");
        status = get("XdndStatus");
        leave = get("XdndLeave");
        drop = get("XdndDrop");
        finished = get("XdndFinished");
        selection = get("XdndSelection");
        actionCopy = get("XdndActionCopy");
        uriList = get("text/uri-list");
        targets = get("TARGETS");
        protocols = get("WM_PROTOCOLS");
        ping = get("_NET_WM_PING");
    }
    Atom aware, enter, position, status, leave, drop, finished, selection, actionCopy, uriList, targets, protocols,
        ping;
};

// Waits for the next event until the deadline; false when none came.
bool NextEvent(Display* display, XEvent& event, Clock::time_point deadline)
{
    while (!XPending(display)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, int(std::min<long long>(left, 1000)));
    }
    XNextEvent(display, &event);
    return true;
}

// A server timestamp, which selection owners and XDND messages must carry:
// the time of a property change on our own window.
Time ServerTime(Display* display, Window window)
{
    XSelectInput(display, window, PropertyChangeMask);
    const unsigned char name[] = "x11-drop";
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, name, int(sizeof name - 1));
    XEvent event;
    XWindowEvent(display, window, PropertyChangeMask, &event);
    return event.xproperty.time;
}

void SendClientMessage(Display* display, Window to, Window about, Atom type, const long (&data)[5])
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = about;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = data[i];
    XSendEvent(display, to, False, NoEventMask, &event);
    // A round trip, so that a vanished window shows up as an error here.
    XSync(display, False);
}

std::string FileUrl(const std::filesystem::path& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : path.string()) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            url += char(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

// Hands the dropped file's URL, or the list of types, to the target.
void AnswerSelectionRequest(
    Display* display, const Atoms& atoms, const XSelectionRequestEvent& request, const std::string& uriList)
{
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    // Old clients leave the property out and mean the target's name.
    const Atom property = request.property != None ? request.property : request.target;
    if (request.selection == atoms.selection && request.target == atoms.uriList) {
        XChangeProperty(display, request.requestor, property, atoms.uriList, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(uriList.data()), int(uriList.size()));
        reply.xselection.property = property;
    } else if (request.selection == atoms.selection && request.target == atoms.targets) {
        const Atom offered[] = {atoms.targets, atoms.uriList};
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(offered), 2);
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

long TargetVersion(Display* display, const Atoms& atoms, Window target)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long version = -1;
    if (XGetWindowProperty(display, target, atoms.aware, 0, 1, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_ATOM && format == 32 && count == 1)
        version = static_cast<long>(*reinterpret_cast<Atom*>(data));
    if (data)
        XFree(data);
    return version;
}

int Drop(Display* display, Window target, const std::filesystem::path& file, int seconds)
{
    const Atoms atoms(display);
    const long theirs = TargetVersion(display, atoms, target);
    if (xError)
        return 3;
    if (theirs < 3) {
        std::fprintf(stderr, "x11-drop: window 0x%lx takes no drops (XdndAware %ld)\n", target, theirs);
        return 3;
    }
    const long version = std::min(theirs, kXdndVersion);
    const std::string uriList = FileUrl(file) + "\r\n";

    // The source window is never mapped: it only owns the selection and
    // receives the target's answers.
    const Window root = DefaultRootWindow(display);
    const Window source = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    const Time time = ServerTime(display, source);
    XSetSelectionOwner(display, atoms.selection, source, time);
    if (XGetSelectionOwner(display, atoms.selection) != source) {
        std::fprintf(stderr, "x11-drop: could not own the XdndSelection\n");
        return 3;
    }

    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, target, &attributes))
        return 3;
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display, target, root, attributes.width / 2, attributes.height / 2, &x, &y, &child);

    const auto src = static_cast<long>(source);
    SendClientMessage(
        display, target, target, atoms.enter, {src, version << 24, static_cast<long>(atoms.uriList), 0, 0});
    SendClientMessage(display, target, target, atoms.position,
        {src, 0, (long(x) << 16) | long(y), static_cast<long>(time), static_cast<long>(atoms.actionCopy)});
    if (xError)
        return 3;

    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    bool dropped = false;
    XEvent event;
    while (NextEvent(display, event, deadline)) {
        if (event.type == SelectionRequest) {
            AnswerSelectionRequest(display, atoms, event.xselectionrequest, uriList);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status && !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                SendClientMessage(display, target, target, atoms.leave, {src, 0, 0, 0, 0});
                std::fprintf(stderr, "x11-drop: the window refused the drop\n");
                return 1;
            }
            SendClientMessage(display, target, target, atoms.drop, {src, 0, static_cast<long>(time), 0, 0});
            dropped = true;
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
            // Before version 5 the finish says nothing about acceptance.
            const bool taken = version < 5 || (event.xclient.data.l[1] & 1);
            if (!taken)
                std::fprintf(stderr, "x11-drop: the window did not take the drop\n");
            return taken ? 0 : 1;
        }
    }
    std::fprintf(stderr, "x11-drop: no %s from window 0x%lx within %d s\n", dropped ? "XdndFinished" : "XdndStatus",
        target, seconds);
    return 2;
}

bool TakesPings(Display* display, const Atoms& atoms, Window target)
{
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(display, target, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == atoms.ping;
        XFree(protocols);
    }
    return found;
}

int Ping(Display* display, Window target, int seconds)
{
    const Atoms atoms(display);
    if (!TakesPings(display, atoms, target) || xError) {
        std::fprintf(stderr, "x11-drop: window 0x%lx does not take _NET_WM_PING\n", target);
        return 3;
    }
    const Window root = DefaultRootWindow(display);
    const Window self = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    const auto stamp = static_cast<long>(ServerTime(display, self));
    // Qt sends the ping back to the root window for the window manager, to
    // those that select structure notes or substructure redirection there.
    XSelectInput(display, root, StructureNotifyMask);
    SendClientMessage(display, target, target, atoms.protocols,
        {static_cast<long>(atoms.ping), stamp, static_cast<long>(target), 0, 0});
    if (xError)
        return 3;
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    XEvent event;
    while (NextEvent(display, event, deadline)) {
        const XClientMessageEvent& message = event.xclient;
        if (event.type == ClientMessage && message.message_type == atoms.protocols &&
            message.data.l[0] == static_cast<long>(atoms.ping) && message.data.l[1] == stamp &&
            message.data.l[2] == static_cast<long>(target))
            return 0;
    }
    std::fprintf(stderr, "x11-drop: window 0x%lx did not answer a ping within %d s\n", target, seconds);
    return 2;
}

int Usage()
{
    std::fprintf(stderr,
        "usage: x11-drop WINDOW FILE [SECONDS]\n"
        "       x11-drop --ping WINDOW [SECONDS]\n");
    return 3;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool ping = argc > 1 && std::strcmp(argv[1], "--ping") == 0;
    const std::vector<std::string> args(argv + (ping ? 2 : 1), argv + argc);
    if (args.size() < (ping ? 1u : 2u) || args.size() > (ping ? 2u : 3u))
        return Usage();
    const Window target = std::strtoul(args[0].c_str(), nullptr, 0);
    const std::size_t secondsAt = ping ? 1 : 2;
    const int seconds = args.size() > secondsAt ? std::atoi(args[secondsAt].c_str()) : (ping ? 10 : 60);
    if (target == 0 || seconds <= 0)
        return Usage();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11-drop: cannot open the display\n");
        return 3;
    }
    XSetErrorHandler(RecordXError);
    int status = 3;
    if (ping) {
        status = Ping(display, target, seconds);
    } else {
        std::error_code error;
        const std::filesystem::path file = std::filesystem::absolute(args[1], error);
        status = error ? 3 : Drop(display, target, file.lexically_normal(), seconds);
    }
    XCloseDisplay(display);
    return status;
}
