// The frame loop's own work allocates nothing once the show runs: every operator new of this program is
// counted (which is why this test has a program of its own), over frames of the start screen, an exhibit
// and the Cubes, with the status line the loop writes after each frame.
#include "shell/PresentationFixture.h"

#include "camera/CameraRig.h"
#include "scenes/Scene.h"
#include "shell/DrawFrame.h"
#include "shell/ServiceStatus.h"
#include "shell/UpdateFrame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

} // namespace

void* operator new(std::size_t size) {
    if (counting.load()) {
        ++allocations;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

// Not inlined: seen inlined into the library's deallocation of what operator new gave, free would look
// mismatched to the compiler.
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

constexpr uint32_t kFrameMs = 16;
// Enough for each scene's first frames, which load and start what it shows, and for the camera to arrive.
constexpr int kSettleFrames = 10;
constexpr int kCountedFrames = 30;
// More port reads than the counted frames make (one per button line and frame).
constexpr size_t kReadsRoom = 1024;

template <typename Work> long AllocationsDuring(Work work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations.load();
}

class FrameAllocationTest : public StartedPresentationFixture {
protected:
    // Allocations over the counted frames of one scene, seen from its waypoint.
    long CountFrames(const char* scene, const SceneNode& waypoint) {
        show.scenes.Start(scene);
        PlaceCamera(waypoint);
        const auto frame = [&] {
            clock.AdvanceMs(kFrameMs);
            UpdateFrame(show, kFrameMs);
            DrawFrame(show);
            ShowStatus(show.scenes, buttons, &status);
        };
        for (int i = 0; i < kSettleFrames; ++i) {
            frame();
        }
        // The stand-in port lists every read the panel makes; that list is the test's, not the program's.
        port.reads.reserve(port.reads.size() + kReadsRoom);
        return AllocationsDuring([&] {
            for (int i = 0; i < kCountedFrames; ++i) {
                frame();
            }
        });
    }

    std::string status;
};

TEST_F(FrameAllocationTest, FramesOfEveryKindOfSceneAllocateNothing) {
    // The count sees the program's allocations at all: a string too long for its own buffer takes one.
    volatile size_t kept = 0;
    EXPECT_EQ(AllocationsDuring([&] { kept = std::string(status.size() + 100, 'x').size(); }), 1);
    EXPECT_EQ(CountFrames("MainScreen", rig.waypointBooth), 0);
    EXPECT_EQ(CountFrames("Parthenon", rig.waypointParthenon), 0);
    EXPECT_EQ(CountFrames("Cubes", rig.waypointCubes), 0);
}

} // namespace
