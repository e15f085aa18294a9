// A stand-in for the shell's runner: writes its argument vector, one item a
// line, to $HOSTWIN_ROOT/runner.argv.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const std::string path = std::string(std::getenv("HOSTWIN_ROOT")) + "/runner.argv";
    const std::string partial = path + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "w");
    if (!out) return 1;
    for (int i = 0; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    std::fclose(out);
    return std::rename(partial.c_str(), path.c_str()) == 0 ? 0 : 1;
}
