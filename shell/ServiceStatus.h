// The status line the service manager shows for the show: which scenes run and which buttons stick.
#pragma once

#include <string>

class ButtonPanel;
class SceneRegistry;

// The status line: the running scenes ("Showing horse, mountain", or "No scene running"), then each
// stuck button ("; button 2 stuck"), written over *status in its own storage.
void ShowStatus(const SceneRegistry& scenes, const ButtonPanel& buttons, std::string* status);

// Sends the status line whenever it changes. Asked every frame: a frame that changes nothing allocates
// nothing, and nothing is said until a scene runs or a button sticks.
class StatusReporter {
public:
    StatusReporter();

    void Report(const SceneRegistry& scenes, const ButtonPanel& buttons);

private:
    std::string current;
    std::string shown; // the last text sent
};
