// Runs a harness over the files of its seed corpus without libFuzzer, so the ordinary build proves that the
// harness builds and that every kept input (seeds and minimised findings) still passes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void ReplayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int iReplayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    ReplayFile(entry.path());
                    ++iReplayed;
                }
            }
        } else if (std::filesystem::is_regular_file(path)) {
            ReplayFile(path);
            ++iReplayed;
        }
    }
    std::cout << "Replayed " << iReplayed << " inputs." << std::endl;
    // No input at all means the corpus went missing: that must not pass silently.
    return iReplayed > 0 ? 0 : 1;
}
