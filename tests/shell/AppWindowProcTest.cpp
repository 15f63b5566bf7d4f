#include "shell/AppWindow.h"

#include "support/FakeClock.h"
#include "platform/MessageBox.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using platform::LParam;
using platform::MakeLParam;

class AppWindowProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        platform::SetMessageBoxHook([](const char*, const char*, platform::MessageBoxStyle) {
            return platform::MessageBoxAnswer::Ok;
        });
        std::memset(&guarded, 0, sizeof guarded);
        guarded.after = kGuard;
        appClass = {platform::ProgramInstance(), "OpenGL"};
        appWindow = {};
        appWindow.keys = &guarded.keys;
        appWindow.appClass = &appClass;
        appWindow.title = "test";
        appWindow.width = 800;
        appWindow.height = 600;
        appWindow.bitsPerPixel = 32;
        ASSERT_TRUE(RegisterAppClass(&appClass));
        ASSERT_TRUE(CreateAppWindow(&appWindow));
        appWindow.keepRunning = true;
        Deliver(); // whatever the window system reported about the new window
    }
    void TearDown() override {
        DestroyAppWindow(&appWindow);
        platform::UnregisterWindowClass("OpenGL", appClass.instance);
        platform::SetMessageBoxHook(nullptr);
    }

    // Dispatches every queued message of the window; counts the WM_QUITs instead of dispatching them.
    void Deliver() {
        platform::Message message;
        while (platform::PollMessage(&message, appWindow.window)) {
            if (message.message == platform::WM_QUIT) {
                ++quits;
            } else {
                platform::DeliverMessage(message);
            }
        }
    }
    void Post(uint32_t message, platform::WParam wParam, LParam lParam = 0) {
        ASSERT_TRUE(platform::QueueMessage(appWindow.window, message, wParam, lParam));
        Deliver();
    }
    int KeysDown() const {
        int count = 0;
        for (bool down : guarded.keys.keyDown) {
            count += down ? 1 : 0;
        }
        return count;
    }

    static constexpr int32_t kGuard = 0x5A5A5A5A;
    struct {
        KeyTable keys;
        int32_t after; // a write past the table's end would land here
    } guarded;
    AppClass appClass{};
    AppWindow appWindow{};
    int quits = 0;
};

TEST_F(AppWindowProcTest, KeyTableFollowsKeyMessagesUpToCode255) {
    Post(platform::WM_KEYDOWN, 0x41);
    Post(platform::WM_KEYDOWN, 0xFF);
    EXPECT_TRUE(guarded.keys[0x41]);
    EXPECT_TRUE(guarded.keys[0xFF]);
    Post(platform::WM_KEYUP, 0x41);
    EXPECT_FALSE(guarded.keys[0x41]);

    Post(platform::WM_KEYDOWN, 0x100);
    Post(platform::WM_KEYDOWN, 0x1041);
    Post(platform::WM_KEYUP, 0x1FF);
    EXPECT_EQ(KeysDown(), 1);
    EXPECT_EQ(guarded.after, kGuard);
}

TEST_F(AppWindowProcTest, SystemKeysAreNotRecorded) {
    Post(platform::WM_SYSKEYDOWN, 0x79);
    Post(platform::WM_SYSKEYDOWN, 0x12);
    EXPECT_EQ(KeysDown(), 0);

    // The same through the window system: Alt+F4 and F10 stay out of the table, a plain F4 goes in.
    const auto push = [](SDL_Keycode key, Uint16 modifiers) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    };
    push(SDLK_F4, KMOD_LALT);
    push(SDLK_F10, KMOD_NONE);
    Deliver();
    EXPECT_EQ(KeysDown(), 0);
    push(SDLK_F4, KMOD_NONE);
    Deliver();
    EXPECT_TRUE(guarded.keys[0x73]);
    EXPECT_EQ(KeysDown(), 1);
}

TEST_F(AppWindowProcTest, ToggleMessageFlipsTheWantedModeAndEndsTheMessageLoop) {
    appWindow.wantFullScreen = false;
    ASSERT_TRUE(RequestToggleFullScreen(&appWindow));
    Deliver();
    EXPECT_TRUE(appWindow.wantFullScreen);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(appWindow.keepRunning) << "a toggle builds a new window";

    ASSERT_TRUE(RequestToggleFullScreen(&appWindow));
    Deliver();
    EXPECT_FALSE(appWindow.wantFullScreen);
    EXPECT_EQ(quits, 2);
}

TEST_F(AppWindowProcTest, CloseRequestsTheEndOfTheRun) {
    Post(platform::WM_CLOSE, 0);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(appWindow.keepRunning);
}

TEST_F(AppWindowProcTest, SizeMessagesSetVisibilityAndTheView) {
    Post(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
    EXPECT_FALSE(appWindow.visible);
    EXPECT_EQ(appWindow.view.width, 800.0f) << "minimising keeps the last view";

    Post(platform::WM_SIZE, 3, MakeLParam(10, 10)); // SIZE_MAXSHOW: none of ours
    EXPECT_FALSE(appWindow.visible);
    EXPECT_EQ(appWindow.view.width, 800.0f);

    Post(platform::WM_SIZE, platform::SIZE_RESTORED, MakeLParam(640, 480));
    EXPECT_TRUE(appWindow.visible);
    EXPECT_EQ(appWindow.view.width, 640.0f);
    EXPECT_EQ(appWindow.view.height, 480.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);

    Post(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
    Post(platform::WM_SIZE, platform::SIZE_MAXIMIZED, MakeLParam(1024, 700));
    EXPECT_TRUE(appWindow.visible);
    EXPECT_EQ(appWindow.view.width, 1024.0f);
    EXPECT_EQ(appWindow.view.height, 700.0f);
}

TEST_F(AppWindowProcTest, ReshapeViewSetsViewportAndProjection) {
    const auto projection = [] {
        GLfloat matrix[16];
        glGetFloatv(GL_PROJECTION_MATRIX, matrix);
        return std::vector<GLfloat>(matrix, matrix + 16);
    };
    const float focal = 1.0f / std::tan(22.5f * static_cast<float>(M_PI) / 180.0f);

    ReshapeView(appWindow.view, 400, 200);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 200);
    std::vector<GLfloat> m = projection();
    EXPECT_NEAR(m[5], focal, 1e-4);
    EXPECT_NEAR(m[5] / m[0], 2.0f, 1e-4) << "aspect = width / height";
    // Near plane 0.25, far plane 50.
    EXPECT_NEAR(m[10], -(50.0f + 0.25f) / (50.0f - 0.25f), 1e-4);
    EXPECT_NEAR(m[14], -2.0f * 50.0f * 0.25f / (50.0f - 0.25f), 1e-4);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    ReshapeView(appWindow.view, 300, 0);
    EXPECT_EQ(appWindow.view.height, 0.0f);
    m = projection();
    for (GLfloat value : m) {
        EXPECT_TRUE(std::isfinite(value));
    }
    EXPECT_NEAR(m[5] / m[0], 300.0f, 1e-2) << "a height of 0 is taken as 1 for the aspect";
}

// A wide screen gets the 4:3 view between side strips, a squarer one between strips above and below; the
// outlines widen with the view, and an ordinary window's view puts them back.
TEST_F(AppWindowProcTest, AFittedViewIsTheLargestCentred4By3Area) {
    struct Fit {
        int32_t width, height;
        GLint viewport[4];
        float outlineScale;
    };
    const Fit fits[] = {
        {1920, 1080, {240, 0, 1440, 1080}, 1.8f},
        {1280, 1024, {0, 32, 1280, 960}, 1.6f},
        {800, 600, {0, 0, 800, 600}, 1.0f},
    };
    for (const Fit& fit : fits) {
        ReshapeFittedView(appWindow.view, fit.width, fit.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(viewport[i], fit.viewport[i]) << fit.width << "x" << fit.height << " [" << i << "]";
        }
        EXPECT_EQ(appWindow.view.x, fit.viewport[0]);
        EXPECT_EQ(appWindow.view.y, fit.viewport[1]);
        EXPECT_EQ(appWindow.view.width, static_cast<float>(fit.viewport[2]));
        EXPECT_EQ(appWindow.view.height, static_cast<float>(fit.viewport[3]));
        EXPECT_FLOAT_EQ(appWindow.view.outlineScale, fit.outlineScale);
        GLfloat matrix[16];
        glGetFloatv(GL_PROJECTION_MATRIX, matrix);
        EXPECT_NEAR(matrix[5] / matrix[0], 4.0f / 3.0f, 1e-4) << "undistorted";
    }
    ReshapeView(appWindow.view, 1920, 1080);
    EXPECT_EQ(appWindow.view.x, 0);
    EXPECT_EQ(appWindow.view.outlineScale, 1.0f);
}

TEST_F(AppWindowProcTest, NewWindowIsVisibleWithClearedKeysAndTheCurrentTick) {
    testing_support::FakeClock clock(4242);
    Post(platform::WM_KEYDOWN, 0x70);
    DestroyAppWindow(&appWindow);
    EXPECT_EQ(appWindow.window, nullptr);
    EXPECT_EQ(appWindow.glContext, nullptr);
    ASSERT_TRUE(CreateAppWindow(&appWindow));
    EXPECT_TRUE(appWindow.visible);
    EXPECT_EQ(KeysDown(), 0) << "a key held across a re-creation reads as up";
    EXPECT_EQ(appWindow.lastTickCount, 4242u);
}

} // namespace
