// keeper: holds a Wine prefix's session open between the tests that share it,
// so that Wine's services stay up.  Ends when the file named by its argument
// (the tier's display note) is gone, and after two hours at the latest.
#include "platform.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    for (int second = 0; second < 2 * 60 * 60; ++second) {
        if (GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) return 0;
        Sleep(1000);
    }
    return 0;
}
