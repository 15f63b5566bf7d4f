// Making the program's five scenes, once per window, and (for tests) disposing of them.
// Depends on the scene classes of scenes/.
#pragma once

// Constructs, each on the heap and in this order, the start screen, the horse, parthenon and
// mountain exhibits and the video stage. They register themselves; nothing keeps another pointer.
// Needs a current OpenGL context. A second call registers a second set under numbered names.
void CreateScenes();

// Destroys every registered scene of the five classes and empties the registry. The program itself
// never calls it: its scenes live to the end of the process.
void DestroyScenesForTests();
