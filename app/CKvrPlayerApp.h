// The application object: start-up, the modal run of the main dialog, and the end of the
// program when the dialog returns.
#pragma once

class CKvrPlayerApp {
public:
    // The whole life of the program; its exit status. The command-line text after the program
    // name is the recording to open, unless it is exactly "--help" or "--version".
    int InitInstance(int argc, char** argv);
};
