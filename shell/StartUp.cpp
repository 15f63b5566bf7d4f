#include "shell/StartUp.h"

#include <GL/gl.h>

namespace {

constexpr GLfloat kClearGrey = 0.7f;
constexpr GLfloat kClearAlpha = 0.0f;
constexpr GLclampd kClearDepth = 1.0;

void SetGlState() {
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClearColor(kClearGrey, kClearGrey, kClearGrey, kClearAlpha);
    glClearDepth(kClearDepth);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
}

} // namespace

AppWindow* currentWindow = nullptr;
KeyTable* currentKeys = nullptr;

void ResetStartUpGlobalsForTests() {
    currentWindow = nullptr;
    currentKeys = nullptr;
}

bool StartUp(AppWindow* appWindow, KeyTable* keys) {
    currentWindow = appWindow;
    currentKeys = keys;
    SetGlState();
    return true;
}

void ShutDown() {}
