#!/usr/bin/env python3
"""The monkey test's random actions, one a line, from a seed: the same seed gives the same lines.

Usage: monkey_actions.py SEED

The first line answers the full-screen question (answer yes|no); every later line is one action, with
its timings and places drawn here so that monkey.sh only carries them out:
    key KEY HOLD            a key held for HOLD seconds (scene keys, F1, outline keys, C, F)
    drag X Y STEPS DX DY STEER HOLD
                            the left button pressed at (X, Y), moved STEPS times by (DX, DY), with
                            STEER (a camera key, or -) held meanwhile, each step HOLD seconds apart
    notice                  another program's window mapped and given the focus (one at most)
    unnotice                that window closed
    refocus                 the focus given back to the show's window
    stop SECONDS            SIGSTOP, then SIGCONT after SECONDS
    pause SECONDS           nothing
    check                   the show must be running and drawing
The lines never end; monkey.sh reads as many as its time allows.
"""

import random
import sys

SCENE_KEYS = ["l", "k", "j", "h"]
OUTLINE_TOGGLES = ["1", "2", "3"]
STEER_KEYS = ["w", "s", "a", "d", "t", "g"]
SCREEN_WIDTH = 800
SCREEN_HEIGHT = 600
# Up and Down change the outline's width without limit; a walk kept within these steps of the start
# leaves the start screen's picture recognisable at the end.
OUTLINE_STEPS_UP = 3
OUTLINE_STEPS_DOWN = 2
# A drag's steps: how many, how far each (pixels, either way) and how long apart (seconds); some drags
# go on past the screen's edge.
DRAG_STEPS = (1, 20)
DRAG_STEP_X = 80
DRAG_STEP_Y = 60
DRAG_STEP_SECONDS = (0.02, 0.3)
# Of the drags, this many in len(STEER_KEYS) + this many steer with no key.
DRAGS_WITHOUT_KEY = 2
# The full-screen answer is the likelier one: the crash this test hunts came full screen.
FULL_SCREEN_SHARE = 0.75
# A check after this many actions on average.
ACTIONS_PER_CHECK = 12

# Relative weights of the actions.
WEIGHTS = {
    "scene": 20,
    "f1": 4,
    "notice": 3,
    "unnotice": 2,
    "refocus": 6,
    "drag": 8,
    "operator_camera": 2,
    "outline": 6,
    "camera_line": 1,
    "stop": 3,
    "pause": 8,
}


class Monkey:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.outline_steps = 0

    def hold(self, low, high):
        return f"{self.rng.uniform(low, high):.2f}"

    def scene(self):
        return f"key {self.rng.choice(SCENE_KEYS)} {self.hold(0.05, 2.0)}"

    def f1(self):
        return f"key F1 {self.hold(0.1, 1.0)}"

    def notice(self):
        return "notice"

    def unnotice(self):
        return "unnotice"

    def refocus(self):
        return "refocus"

    def drag(self):
        x = self.rng.randrange(SCREEN_WIDTH)
        y = self.rng.randrange(SCREEN_HEIGHT)
        steps = self.rng.randint(*DRAG_STEPS)
        dx = self.rng.randint(-DRAG_STEP_X, DRAG_STEP_X)
        dy = self.rng.randint(-DRAG_STEP_Y, DRAG_STEP_Y)
        steer = self.rng.choice(STEER_KEYS + ["-"] * DRAGS_WITHOUT_KEY)
        return f"drag {x} {y} {steps} {dx} {dy} {steer} {self.hold(*DRAG_STEP_SECONDS)}"

    def operator_camera(self):
        return f"key f {self.hold(0.1, 2.0)}"

    def outline(self):
        choices = list(OUTLINE_TOGGLES)
        if self.outline_steps < OUTLINE_STEPS_UP:
            choices.append("Up")
        if self.outline_steps > -OUTLINE_STEPS_DOWN:
            choices.append("Down")
        key = self.rng.choice(choices)
        self.outline_steps += {"Up": 1, "Down": -1}.get(key, 0)
        return f"key {key} {self.hold(0.05, 1.0)}"

    def camera_line(self):
        return f"key c {self.hold(0.05, 0.5)}"

    def stop(self):
        return f"stop {self.hold(0.1, 6.0)}"

    def pause(self):
        return f"pause {self.hold(0.1, 4.0)}"

    def lines(self):
        yield "answer " + ("yes" if self.rng.random() < FULL_SCREEN_SHARE else "no")
        names = list(WEIGHTS)
        weights = [WEIGHTS[name] for name in names]
        while True:
            yield getattr(self, self.rng.choices(names, weights)[0])()
            if self.rng.random() < 1 / ACTIONS_PER_CHECK:
                yield "check"


def main():
    if len(sys.argv) != 2 or not sys.argv[1].isdigit():
        sys.exit("usage: monkey_actions.py SEED")
    try:
        for line in Monkey(int(sys.argv[1])).lines():
            print(line, flush=True)
    except BrokenPipeError:
        # The reader has taken all it wants.
        sys.stdout = None


if __name__ == "__main__":
    main()
