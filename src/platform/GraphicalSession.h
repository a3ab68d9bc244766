#pragma once

// Started where no window system answers (over ssh, from a text console, by a service), Qt
// ends the program with English advice to reinstall it. The program says instead, in Russian,
// that it needs a graphical session. From before the application object is made until it
// stands; what the window system's plugin said meanwhile is passed on as it was, unless it was
// only that no display answers.
class GraphicalSessionCheck {
public:
    GraphicalSessionCheck();
    ~GraphicalSessionCheck();
    GraphicalSessionCheck(const GraphicalSessionCheck&) = delete;
    GraphicalSessionCheck& operator=(const GraphicalSessionCheck&) = delete;
};
