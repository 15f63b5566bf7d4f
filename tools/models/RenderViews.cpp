// Renders the embedded models from each of the eight waypoints, 800 by 600, as the program's frame
// draws them (the glow and the scenes' own drawing left out), into OUTPUT_DIR/<waypoint>.png.
// The ramp is read from Data/shader.txt under the working directory.
// Usage: standview_model_views OUTPUT_DIR
#include "PngWriter.h"
#include "camera/CameraRig.h"
#include "camera/Waypoints.h"
#include "platform/OffscreenContext.h"
#include "render/CelShading.h"
#include "render/ShadeRamp.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// The frame's own size: outlines as wide as the setting.
constexpr float kOutlineScale = 1.0f;

// The program's start-up state and projection.
void SetUpLikeTheProgram() {
    SetModelGlState();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 0.25, 50.0);
    glMatrixMode(GL_MODELVIEW);
}

void DrawFrom(const CelShadingState& shading, const SceneNode& node) {
    glClearColor(229 / 255.0f, 121 / 255.0f, 34 / 255.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Matrix4 view;
    node.rotation.ToMatrix(view.m);
    view.Transpose();
    glLoadMatrixf(view.m);
    glTranslatef(-node.position.x, -node.position.y, -node.position.z);
    glPushMatrix();
    DrawLandscapeModel(shading, kOutlineScale);
    DrawFloatingModel(shading, kOutlineScale);
    glPopMatrix();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    platform::OffscreenContext gl(kWidth, kHeight);
    if (!gl.Ok()) {
        return 1;
    }
    float ramp[kShadeRampSize][3];
    const ShadeRampLoad load = LoadShadeRamp(ramp);
    if (!load.problem.empty()) {
        std::fprintf(stderr, "cannot read %s: %s\n", kShadeRampFile, load.problem.c_str());
        return 1;
    }
    CelShadingState shading;
    shading.shadeTexture = CreateShadeTexture(ramp);
    SetUpLikeTheProgram();
    CameraRig rig;
    AssignWaypointPoses(rig);
    const SceneNode* nodes[] = {&rig.waypointBooth,     &rig.waypointBooth1, &rig.waypointBooth2,
                                &rig.waypointBooth3,    &rig.waypointHorse,  &rig.waypointMountain,
                                &rig.waypointParthenon, &rig.waypointCubes};
    for (const SceneNode* node : nodes) {
        DrawFrom(shading, *node);
        const std::vector<uint8_t> rgba = gl.ReadPixels(0, 0, kWidth, kHeight);
        std::vector<uint8_t> rgb;
        for (int y = kHeight - 1; y >= 0; --y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                rgb.insert(rgb.end(), p, p + 3);
            }
        }
        const std::string path = std::string(argv[1]) + "/" + node->name + ".png";
        if (!models::WritePng(path, kWidth, kHeight, rgb)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
