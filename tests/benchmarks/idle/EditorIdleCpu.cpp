// What an open, idle editor costs: the built plug-in binary hosted as a Linux host does (VST 2.4
// with effEditIdle from the host's 50 Hz GUI timer; VST 3 through the host's run loop), once
// with the editor closed and once with it open in a parent X window, each for the same time.
// The figure is the process's CPU time over the wall time, in percent of one core; the editor's
// own cost is the difference between the two. Run it on a display (tests/support/with-xvfb.sh).
//
//   vornik_editor_idle [--plugin=PATH] [--seconds=10] [--format=vst2|vst3|both]
#include "entry/vst2/Vst2Abi.h"
#include "entry/vst3/Vst3Abi.h"
#include "entry/vst3/Vst3TestHost.h"
#include "host/x11/RunLoopFrame.h"
#include "platform/YPlatformLibrary.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr int kHostTimerMs = 20;

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs turn until seconds passed; returns CPU percent of one core.
double Measure(double seconds, const std::function<void(int waitMs)>& turn) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const double cpuStart = ProcessSeconds();
    const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        turn(static_cast<int>(std::min<long long>(left, kHostTimerMs)));
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return 100.0 * (ProcessSeconds() - cpuStart) / wall;
}

// The host's own window, which the editor is embedded in.
struct HostWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    HostWindow() {
        if (display == nullptr) return;
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWOverrideRedirect, &attributes);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow() {
        if (display == nullptr) return;
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    // What a host's loop does with its own connection each turn.
    void Drain() {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }
};

intptr_t HostCallback(Vst2::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == Vst2::audioMasterVersion ? 2400 : 0;
}

bool MeasureVst2(const std::string& path, double seconds) {
    YPlatformLibrary library;
    if (!library.Open(YString::FromUTF8(path))) {
        std::fprintf(stderr, "%s\n", library.ErrorText().ToUTF8().c_str());
        return false;
    }
    auto entry = library.Function<Vst2::PluginEntryProc>("VSTPluginMain");
    Vst2::AEffect* effect = entry != nullptr ? entry(&HostCallback) : nullptr;
    if (effect == nullptr) return false;
    auto dispatch = [&](int32_t opcode, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, 0, value, ptr, opt);
    };
    dispatch(Vst2::effOpen);
    dispatch(Vst2::effSetSampleRate, 0, nullptr, 48000.0f);
    dispatch(Vst2::effSetBlockSize, 512);
    dispatch(Vst2::effMainsChanged, 1);
    HostWindow host;
    if (host.display == nullptr) return false;
    auto turn = [&](int waitMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        host.Drain();
        dispatch(Vst2::effEditIdle);
    };
    const double closed = Measure(seconds, turn);
    const bool opened = dispatch(Vst2::effEditOpen, 0, host.Parent()) == 1;
    const double open = opened ? Measure(seconds, turn) : -1.0;
    dispatch(Vst2::effEditClose);
    dispatch(Vst2::effMainsChanged, 0);
    dispatch(Vst2::effClose);
    std::printf("vst2  editor closed %6.3f %%  open %6.3f %%  editor alone %6.3f %% of a core over %.0f s\n", closed,
                open, open - closed, seconds);
    return opened;
}

bool MeasureVst3(const std::string& path, double seconds) {
    YPlatformLibrary library;
    if (!library.Open(YString::FromUTF8(path))) {
        std::fprintf(stderr, "%s\n", library.ErrorText().ToUTF8().c_str());
        return false;
    }
    auto getFactory = library.Function<Vst3::GetFactoryProc>("GetPluginFactory");
    Vst3::IPluginFactory* factory = getFactory != nullptr ? getFactory() : nullptr;
    if (factory == nullptr) return false;
    Vst3::PClassInfo info{};
    Vst3::IComponent* component = nullptr;
    Vst3::IEditController* controller = nullptr;
    Vst3Test::HostApplication application;
    if (factory->getClassInfo(0, &info) != Vst3::kResultOk ||
        factory->createInstance(info.cid, Vst3::IComponent::iid.bytes, reinterpret_cast<void**>(&component)) !=
            Vst3::kResultOk)
        return false;
    component->initialize(&application);
    component->queryInterface(Vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&controller));
    HostWindow host;
    Vst3Test::RunLoopFrame frame;
    long calls = 0, turns = 0;
    auto turn = [&](int waitMs) {
        calls += frame.RunOnce(waitMs);
        ++turns;
        host.Drain();
    };
    const double closed = Measure(seconds, turn);
    Vst3::IPlugView* view = controller != nullptr ? controller->createView("editor") : nullptr;
    bool opened = false;
    double open = -1.0;
    if (view != nullptr && host.display != nullptr) {
        view->setFrame(&frame);
        opened = view->attached(host.Parent(), Vst3::kPlatformTypeX11EmbedWindowID) == Vst3::kResultOk;
        if (opened) open = Measure(seconds, turn);
        view->removed();
        view->setFrame(nullptr);
        view->release();
    }
    if (controller != nullptr) controller->release();
    component->terminate();
    component->release();
    factory->release();
    std::printf("vst3  %ld turns, %ld callbacks\n", turns, calls);
    std::printf("vst3  editor closed %6.3f %%  open %6.3f %%  editor alone %6.3f %% of a core over %.0f s\n", closed,
                open, open - closed, seconds);
    return opened;
}

} // namespace

int main(int argc, char** argv) {
    std::string plugin = VORNIK_PLUGIN_BINARY, format = "both";
    double seconds = 10.0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--plugin=", 0) == 0) plugin = argument.substr(9);
        else if (argument.rfind("--seconds=", 0) == 0) seconds = std::atof(argument.c_str() + 10);
        else if (argument.rfind("--format=", 0) == 0) format = argument.substr(9);
        else {
            std::fprintf(stderr, "usage: vornik_editor_idle [--plugin=PATH] [--seconds=N] "
                                 "[--format=vst2|vst3|both]\n");
            return 2;
        }
    }
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "no display: run it through tests/support/with-xvfb.sh\n");
        return 2;
    }
    bool ok = true;
    if (format != "vst3") ok = MeasureVst2(plugin, seconds) && ok;
    if (format != "vst2") ok = MeasureVst3(plugin, seconds) && ok;
    return ok ? 0 : 1;
}
