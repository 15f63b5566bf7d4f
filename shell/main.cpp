// Entry point of the presentation; the window, its loop and the start-up live in shell/.
int main() { return 0; }
