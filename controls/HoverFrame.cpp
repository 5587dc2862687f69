#include "controls/HoverFrame.h"

int HoverButtonFrame(bool sixFrames, bool on, bool pressed, bool hovering) {
    if (sixFrames) {
        const int state = pressed ? 2 : hovering ? 1 : 0;
        return (on ? 3 : 0) + state;
    }
    if (pressed) return 3;
    if (hovering) return 1;
    return on ? 2 : 0;
}
