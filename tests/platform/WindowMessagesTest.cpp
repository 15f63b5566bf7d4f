#include "platform/DisplayMode.h"
#include "platform/GlGeneration.h"
#include "platform/Window.h"
#include "platform/linux/WindowInternals.h"
#include "platform/WindowMessages.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

using platform::Message;
using platform::WindowHandle;

struct Received {
    WindowHandle window;
    uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
};

std::vector<Received> received;

platform::LResult RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    received.push_back({window, message, wParam, lParam});
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

platform::LResult SaverKeepingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_SYSCOMMAND && wParam == platform::SC_SCREENSAVE) {
        return 0;
    }
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

constexpr const char* kClassName = "MessagesTest";

class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        received.clear();
        ASSERT_TRUE(platform::RegisterWindowClass({kClassName, RecordingProc, platform::ProgramInstance()}));
    }
    void TearDown() override {
        for (WindowHandle window : platform::internal::LiveWindows()) {
            platform::DestroyWindow(window);
        }
        platform::UnregisterWindowClass(kClassName, platform::ProgramInstance());
        platform::SetWaitMessageHookForTests(nullptr);
    }

    WindowHandle MakeWindow(void* createParam = nullptr, const char* className = kClassName) {
        const platform::WindowCreation creation{className,
                                                "test",
                                                platform::WindowStyle::Overlapped,
                                                false,
                                                0,
                                                0,
                                                320,
                                                240,
                                                {32, 16, 0, true},
                                                platform::ProgramInstance(),
                                                createParam};
        return platform::OpenWindow(creation);
    }

    // Takes every queued message for the window (all windows when null) without dispatching it.
    static std::vector<Message> TakeAll(WindowHandle filter) {
        std::vector<Message> messages;
        Message message;
        while (platform::PollMessage(&message, filter)) {
            messages.push_back(message);
        }
        return messages;
    }

    static void PushKey(SDL_Keycode key, Uint16 modifiers, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static void PushWindowEvent(WindowHandle window, SDL_WindowEventID id) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = id;
        event.window.windowID = SDL_GetWindowID(window->sdlWindow);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
};

TEST_F(WindowMessagesTest, CreationHandsTheParameterToWmCreateAndAsksAboutTheScreenSaver) {
    int marker = 0;
    WindowHandle window = MakeWindow(&marker);
    ASSERT_NE(window, nullptr);
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].message, platform::WM_CREATE);
    EXPECT_EQ(received[0].lParam, reinterpret_cast<platform::LParam>(&marker));
    EXPECT_EQ(received[1].message, platform::WM_SYSCOMMAND);
    EXPECT_EQ(received[1].wParam, platform::SC_SCREENSAVE);
    // The recording procedure passed it on, which lets the saver run.
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());

    ASSERT_TRUE(
        platform::RegisterWindowClass({"SaverKeeping", SaverKeepingProc, platform::ProgramInstance()}));
    WindowHandle keeping = MakeWindow(nullptr, "SaverKeeping");
    ASSERT_NE(keeping, nullptr);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    EXPECT_FALSE(platform::UnregisterWindowClass("SaverKeeping", platform::ProgramInstance()))
        << "a class with a window must stay registered";
    platform::DestroyWindow(keeping);
    EXPECT_TRUE(platform::UnregisterWindowClass("SaverKeeping", platform::ProgramInstance()));
}

TEST_F(WindowMessagesTest, RegisteringANameTwiceFails) {
    EXPECT_FALSE(platform::RegisterWindowClass({kClassName, RecordingProc, platform::ProgramInstance()}));
}

TEST_F(WindowMessagesTest, EveryWindowContextCountsAsANewGeneration) {
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    const uint32_t before = platform::GlContextGeneration();
    platform::GlContext context = platform::CreateGlContext(platform::GetDC(window));
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(platform::GlContextGeneration(), before + 1);
    // The offscreen driver accepts a swap interval but has no display to wait for.
    EXPECT_FALSE(platform::SwapWaitsForDisplay(platform::GetDC(window)));
    EXPECT_TRUE(platform::MakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(platform::DeleteGlContext(context));
}

TEST_F(WindowMessagesTest, QueueKeepsOrderFiltersByWindowAndForgetsDestroyedWindows) {
    WindowHandle first = MakeWindow();
    WindowHandle second = MakeWindow();
    ASSERT_TRUE(first && second);
    TakeAll(nullptr);

    EXPECT_TRUE(platform::QueueMessage(first, platform::WM_USER, 1, 0));
    EXPECT_TRUE(platform::QueueMessage(second, platform::WM_USER, 2, 0));
    EXPECT_TRUE(platform::QueueMessage(first, platform::WM_QUIT, 3, 0));

    const std::vector<Message> forFirst = TakeAll(first);
    ASSERT_EQ(forFirst.size(), 2u);
    EXPECT_EQ(forFirst[0].wParam, 1u);
    EXPECT_EQ(forFirst[1].message, platform::WM_QUIT);

    platform::DestroyWindow(second);
    EXPECT_TRUE(TakeAll(nullptr).empty()) << "messages of a destroyed window must go with it";
    EXPECT_FALSE(platform::QueueMessage(second, platform::WM_USER, 0, 0));

    received.clear();
    EXPECT_EQ(platform::DeliverMessage({second, platform::WM_USER, 0, 0}), 0);
    EXPECT_TRUE(received.empty());
}

TEST_F(WindowMessagesTest, TranslatesSdlEventsIntoWindowMessages) {
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    TakeAll(nullptr);

    PushKey(SDLK_ESCAPE, KMOD_NONE, true);
    PushKey(SDLK_ESCAPE, KMOD_NONE, false);
    PushKey(SDLK_x, KMOD_LALT, true);
    PushKey(SDLK_F10, KMOD_NONE, false);
    PushKey(SDLK_AUDIOPLAY, KMOD_NONE, true);
    PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);

    std::vector<Message> messages = TakeAll(window);
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[0].message, platform::WM_KEYDOWN);
    EXPECT_EQ(messages[0].wParam, 0x1Bu);
    EXPECT_EQ(messages[1].message, platform::WM_KEYUP);
    EXPECT_EQ(messages[2].message, platform::WM_SYSKEYDOWN);
    EXPECT_EQ(messages[2].wParam, 0x58u);
    EXPECT_EQ(messages[3].message, platform::WM_SYSKEYUP);
    EXPECT_EQ(messages[3].wParam, 0x79u);
    EXPECT_EQ(messages[4].message, platform::WM_SIZE);
    EXPECT_EQ(messages[4].wParam, platform::SIZE_MINIMIZED);
    EXPECT_EQ(messages[5].message, platform::WM_CLOSE);
    EXPECT_EQ(messages[6].message, platform::WM_CLOSE) << "a termination request closes the window";

    ASSERT_EQ(std::raise(SIGHUP), 0);
    messages = TakeAll(window);
    ASSERT_EQ(messages.size(), 1u) << "a closed terminal asks to close, as a termination request does";
    EXPECT_EQ(messages[0].message, platform::WM_CLOSE);
    // The process lives on, and nothing reaches the window.
    for (int ignored : {SIGPIPE, SIGUSR1, SIGUSR2}) {
        ASSERT_EQ(std::raise(ignored), 0);
    }
    EXPECT_TRUE(TakeAll(window).empty());

    PushWindowEvent(window, SDL_WINDOWEVENT_RESTORED);
    messages = TakeAll(window);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].wParam, platform::SIZE_RESTORED);
    EXPECT_EQ(platform::LowWord(messages[0].lParam), 320u);
    EXPECT_EQ(platform::HighWord(messages[0].lParam), 240u);
}

TEST_F(WindowMessagesTest, WaitMessageReturnsAtOnceWhenSomethingIsQueued) {
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(platform::QueueMessage(window, platform::WM_USER, 0, 0));
    platform::WaitMessage(); // would block for good if it ignored the queue
    EXPECT_EQ(TakeAll(window).size(), 1u);
}

TEST_F(WindowMessagesTest, FullScreenNeedsAnExactModeOfTheDisplay) {
    // The offscreen display offers no usable modes, so no full-screen mode can be chosen there.
    EXPECT_FALSE(platform::SetFullScreenDisplayMode(800, 600, 32));
    EXPECT_FALSE(platform::SetFullScreenDisplayMode(0, 0, 0));
    SDL_DisplayMode pending;
    EXPECT_FALSE(platform::internal::PendingFullScreenMode(&pending));
}

} // namespace
