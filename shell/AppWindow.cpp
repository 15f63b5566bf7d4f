#include "shell/AppWindow.h"

float viewWidth = 800.0f;
float viewHeight = 600.0f;
