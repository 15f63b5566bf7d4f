// The Win32 window backend under Wine: the system keeps the classes, each class carries its own procedure
// to its windows, and a handle is live exactly as long as the system's window.
#include "platform/Window.h"
#include "platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::WindowHandle;

struct Received {
    char procedure;
    WindowHandle window;
    uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
};

std::vector<Received> received;

template <char kName>
platform::LResult RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_CREATE || message == platform::WM_USER) {
        received.push_back({kName, window, message, wParam, lParam});
    }
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

constexpr const char* kFirstClass = "WindowWineTestA";
constexpr const char* kSecondClass = "WindowWineTestB";

WindowHandle MakeWindow(const char* className, void* createParam) {
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

// The posted WM_USER messages, each handed to its window's procedure as the frame loop does.
std::vector<platform::Message> DeliverPosted() {
    std::vector<platform::Message> posted;
    platform::Message message;
    while (platform::PollMessage(&message, nullptr)) {
        if (message.message == platform::WM_USER) {
            posted.push_back(message);
        }
        platform::DeliverMessage(message);
    }
    return posted;
}

TEST(Windows, ClassesCarryTheirProceduresAndHandlesLiveWithTheirWindows) {
    const auto instance = platform::ProgramInstance();
    ASSERT_TRUE(platform::RegisterWindowClass({kFirstClass, RecordingProc<'A'>, instance}));
    ASSERT_TRUE(platform::RegisterWindowClass({kSecondClass, RecordingProc<'B'>, instance}));
    EXPECT_FALSE(platform::RegisterWindowClass({kFirstClass, RecordingProc<'B'>, instance}))
        << "a taken name must stay with its first class";
    EXPECT_EQ(MakeWindow("WindowWineTestUnknown", nullptr), nullptr);
    EXPECT_EQ(MakeWindow("Button", nullptr), nullptr) << "only this layer's classes make windows";

    int marker = 0;
    const WindowHandle first = MakeWindow(kFirstClass, &marker);
    const WindowHandle second = MakeWindow(kSecondClass, nullptr);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].procedure, 'A');
    EXPECT_EQ(received[0].window, first);
    EXPECT_EQ(received[0].lParam, reinterpret_cast<platform::LParam>(&marker));
    EXPECT_EQ(received[1].procedure, 'B');
    EXPECT_EQ(received[1].window, second);
    EXPECT_FALSE(platform::UnregisterWindowClass(kFirstClass, instance)) << "its window still lives";

    platform::SetWindowUserData(second, &marker);
    EXPECT_EQ(platform::GetWindowUserData(second), &marker);
    EXPECT_EQ(platform::GetWindowUserData(first), nullptr);
    EXPECT_TRUE(platform::ReleaseDC(first, platform::GetDC(first)));
    EXPECT_FALSE(platform::ReleaseDC(first, platform::GetDC(second)));

    received.clear();
    ASSERT_TRUE(platform::QueueMessage(second, platform::WM_USER, 2, 0));
    ASSERT_TRUE(platform::QueueMessage(first, platform::WM_USER, 1, 0));
    const std::vector<platform::Message> posted = DeliverPosted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].window, second);
    EXPECT_EQ(posted[1].window, first);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].procedure, 'B');
    EXPECT_EQ(received[0].wParam, 2u);
    EXPECT_EQ(received[1].procedure, 'A');
    EXPECT_EQ(received[1].window, first);

    EXPECT_TRUE(platform::DestroyWindow(first));
    EXPECT_FALSE(platform::DestroyWindow(first));
    EXPECT_FALSE(platform::QueueMessage(first, platform::WM_USER, 0, 0));
    EXPECT_FALSE(platform::ShowWindow(first));
    EXPECT_EQ(platform::GetDC(first), nullptr);
    EXPECT_EQ(platform::GetWindowUserData(first), nullptr);
    received.clear();
    EXPECT_EQ(platform::DeliverMessage({first, platform::WM_USER, 0, 0}), 0);
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(platform::UnregisterWindowClass(kFirstClass, instance));
    EXPECT_FALSE(platform::UnregisterWindowClass(kFirstClass, instance));

    EXPECT_TRUE(platform::DestroyWindow(second));
    EXPECT_TRUE(platform::UnregisterWindowClass(kSecondClass, instance));
    ASSERT_TRUE(platform::RegisterWindowClass({kFirstClass, RecordingProc<'B'>, instance}))
        << "an unregistered name is free again";
    received.clear();
    const WindowHandle again = MakeWindow(kFirstClass, nullptr);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].procedure, 'B') << "the name's new class brings its own procedure";
    EXPECT_TRUE(platform::DestroyWindow(again));
    EXPECT_TRUE(platform::UnregisterWindowClass(kFirstClass, instance));
}

} // namespace
