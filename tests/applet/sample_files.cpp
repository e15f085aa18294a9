// The sample machine's card and configuration file, for tests that open
// the whole sheet as a user would find it.
#include <filesystem>

#include "applet_support.h"

namespace fs = std::filesystem;

void PutSampleFiles(const std::string& root) {
    fs::path sample = ZP_SAMPLE_MACHINE;
    fs::copy_file(sample / "card.ini", fs::path(root) / "card.ini", fs::copy_options::overwrite_existing);
    fs::copy_file(sample / "drive_c" / "HARMPNP" / "ZP.INI", fs::path(root) / "drive_c" / "HARMPNP" / "ZP.INI",
                  fs::copy_options::overwrite_existing);
}
