// Making the program's five scenes for each window, and disposing of them before the window goes.
#pragma once

class SceneRegistry;

// Constructs, each on the heap and in this order, the start screen, the horse, parthenon and
// mountain exhibits and the video stage. They register themselves; nothing keeps another pointer.
// Needs a current OpenGL context. A second call registers a second set under numbered names.
void CreateScenes(SceneRegistry& registry);

// Stops every running scene of the five classes (so an exhibit's music stops) and destroys them all,
// closing their movies; scenes of other classes stay registered. Their textures go with the OpenGL
// context they were made in.
void DestroyScenes(SceneRegistry& registry);
