#pragma once

// The program: runs the main dialog modally and ends when it closes.
class COrvaneApp {
public:
    // Always false: the program ends with the dialog, there is no other loop.
    bool InitInstance();
};
