#include "PresentationFixture.h"

#include "media/Sound.h"
#include "media/VideoClip.h"
#include "platform/MessageBox.h"
#include "scenes/MainScreenScene.h"
#include "scenes/PictureTextures.h"
#include "scenes/Scene.h"
#include "scenes/Scenes.h"
#include "shell/DrawFrame.h"
#include "shell/StartUp.h"
#include "shell/UpdateFrame.h"

#include <filesystem>

void PresentationFixture::SetUp() {
    driver.InstallRunningDriver();
    ASSERT_TRUE(gl.Ok());
    platform::SetMessageBoxHook([this](const char* text, const char*, platform::MessageBoxStyle) {
        messageBoxes.push_back(text);
        return platform::MessageBoxAnswer::Ok;
    });
    window.keys = &keys;
    window.buttons = &buttons;
    // What window creation does for a new context before start-up runs.
    ReshapeView(window.view, kWidth, kHeight);
}

void PresentationFixture::TearDown() {
    DestroyScenes(show.scenes);
    // Before a test's stand-in input backend goes, which the input object may refer to.
    show.input = InputDevices{};
    platform::SetMessageBoxHook(nullptr);
}

void StartedPresentationFixture::SetUp() {
    PresentationFixture::SetUp();
    UseBundledData();
    ASSERT_TRUE(RunStartUp());
}

void PresentationFixture::UseBundledData() const {
    const std::filesystem::path bundled = std::filesystem::path(STANDVIEW_SOURCE_DIR) / "Data";
    const std::filesystem::path beside = std::filesystem::path(workDir.Path()) / "Data";
#ifdef _WIN32
    // The C++ library makes no symbolic links on Windows.
    std::filesystem::copy(bundled, beside, std::filesystem::copy_options::recursive);
#else
    std::filesystem::create_directory_symlink(bundled, beside);
#endif
}

bool PresentationFixture::RunStartUp() {
    return StartUp(show, &window, &keys);
}

std::vector<int> PresentationFixture::Pixel(int x, int y) const {
    const std::vector<uint8_t> rgba = gl.ReadPixels(x, y, 1, 1);
    return {rgba[0], rgba[1], rgba[2]};
}

void PresentationFixture::PlaceCamera(const SceneNode& pose) {
    Camera& camera = rig.mainCamera;
    camera.SetMode(Free);
    camera.inFlight = false;
    camera.position = pose.position;
    camera.rotation = pose.rotation;
    // A turn by nothing rebuilds the view matrix from the rotation.
    camera.Rotate(Vec3(0.0f, 0.0f, 0.0f));
}

bool PresentationFixture::SwitchToNewContext() {
    laterContext = std::make_unique<platform::OffscreenContext>(kWidth, kHeight);
    ReshapeView(window.view, kWidth, kHeight);
    return laterContext->Ok();
}
